#include "race/Roster.h"

#include <gtest/gtest.h>

#include <cstring>

using Names = std::vector<std::string>;

TEST(Roster, LinesBecomeNamesAndEmptyLinesTakeNoSlot) {
    EXPECT_EQ(parseRoster("A\n\nB\n"), (Names{"A", "B"}));
    EXPECT_EQ(parseRoster("A\r\n\r\nB"), (Names{"A", "B"})) << "CR LF, no final line end";
    EXPECT_EQ(parseRoster(" Li \n"), (Names{" Li "}));
    EXPECT_EQ(parseRoster("  \n"), (Names{"  "})) << "blanks are a name, not an empty line";
    EXPECT_EQ(parseRoster(""), Names{});
    EXPECT_EQ(parseRoster("\n\r\n\n"), Names{});
}

TEST(Roster, OnlyTheFirstEightNamesAreTaken) {
    const Names names = parseRoster("1\n2\n\n3\n4\n5\n6\n7\n8\n9\n10\n");
    EXPECT_EQ(names, (Names{"1", "2", "3", "4", "5", "6", "7", "8"}));
}

TEST(Roster, Utf8IsToldApartFromCodePage936) {
    EXPECT_TRUE(looksLikeUtf8("\xE6\x9D\x8E\n\xE7\x8E\x8B\n"));  // 李, 王 in UTF-8
    EXPECT_FALSE(looksLikeUtf8("\xC0\xEE\n\xCD\xF5\n"));          // the same in GBK
    EXPECT_FALSE(looksLikeUtf8("Li\nWang\n")) << "plain ASCII needs no conversion";
    EXPECT_FALSE(looksLikeUtf8("\xC0\xAF")) << "overlong form";
    EXPECT_FALSE(looksLikeUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(looksLikeUtf8("\xF4\x90\x80\x80")) << "beyond U+10FFFF";
    EXPECT_FALSE(looksLikeUtf8("\xE6\x9D")) << "cut short";
    EXPECT_TRUE(hasUtf8Bom("\xEF\xBB\xBFLi"));
    EXPECT_FALSE(hasUtf8Bom("\xEF\xBB"));
}

TEST(Roster, LoadingResetsLoadedEntriesAndLeavesTheRestAlone) {
    Contestant table[MAX_CONTESTANTS] = {};
    int photo = 0;
    for (Contestant& c : table) {
        std::strcpy(c.name, "old");
        c.faceImage = &photo;
        c.timing = 1;
        c.startTick = c.stopTick = 5;
        c.elapsedMs = c.score = 9;
        c.place = c.placed = 3;
    }
    // 12 bytes of GBK text: cut to 10, at a character boundary.
    const Names names{"A", "\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xC5\xC8\xFD"};
    EXPECT_EQ(loadRosterInto(names, table, -2), 2);
    EXPECT_STREQ(table[1].name, "\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xC5");
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(table[i].score, -2);
        EXPECT_EQ(table[i].timing | table[i].elapsedMs, 0);
        EXPECT_EQ(table[i].startTick | table[i].stopTick, 0u);
        EXPECT_EQ(table[i].faceImage, &photo);
        EXPECT_EQ(table[i].place, 3);
        EXPECT_EQ(table[i].placed, 3);
    }
    EXPECT_STREQ(table[2].name, "old");
    EXPECT_EQ(table[2].score, 9);
    EXPECT_EQ(table[2].timing, 1);
}

TEST(Roster, PhotoNamesMayNotLeaveTheDataFolder) {
    for (const char* safe : {"A", " Li ", "a.b", "\xB1\xED", "\x95\x5C", "\xD5\x7C\xC0\xEE"}) {
        EXPECT_TRUE(isSafePhotoName(safe)) << safe;
    }
    for (const char* unsafe : {"", ".", "..", "..\\x", "...", "a\\b", "a/b", "C:x", "a*", "a?",
                               "a\"", "a<", "a>", "a|", "a\tb", "CON", "nul", "Com1", "lpt9 .",
                               "\xB1", "\xB1/", "a\xFF"}) {
        EXPECT_FALSE(isSafePhotoName(unsafe)) << unsafe;
    }
    EXPECT_TRUE(isSafePhotoName("CONSOLE"));
    EXPECT_TRUE(isSafePhotoName("COM0"));
}

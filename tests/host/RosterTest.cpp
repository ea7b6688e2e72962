#include "race/ClassFolders.h"
#include "race/ClassList.h"
#include "race/ClassPaste.h"
#include "race/ClassSavePlan.h"
#include "race/Roster.h"

#include "core/FileRules.h"
#include "core/TextEncoding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <random>

#include <iconv.h>

using Names = std::vector<std::string>;

TEST(Roster, LinesBecomeNamesAndEmptyLinesTakeNoSlot) {
    EXPECT_EQ(parseRoster("A\n\nB\n"), (Names{"A", "B"}));
    EXPECT_EQ(parseRoster("A\r\n\r\nB"), (Names{"A", "B"})) << "CR LF, no final line end";
    EXPECT_EQ(parseRoster(" Li \n"), (Names{" Li "}));
    EXPECT_EQ(parseRoster("  \n"), (Names{"  "})) << "blanks are a name, not an empty line";
    EXPECT_EQ(parseRoster(""), Names{});
    EXPECT_EQ(parseRoster("\n\r\n\n"), Names{});
    std::vector<int> lines;  // as the warning about a name names them
    EXPECT_EQ(parseRoster("A\n\nB", &lines), (Names{"A", "B"}));
    EXPECT_EQ(lines, (std::vector<int>{1, 3}));
}

TEST(Roster, OnlyTheFirstEightNamesAreTaken) {
    const Names names = parseRoster("1\n2\n\n3\n4\n5\n6\n7\n8\n9\n10\n");
    EXPECT_EQ(names, (Names{"1", "2", "3", "4", "5", "6", "7", "8"}));
}

TEST(Roster, Utf8IsToldApartFromCodePage936) {
    const auto encodingOf = [](std::string_view bytes) {
        std::size_t mark = 0;
        return detectTextEncoding(bytes, &mark);
    };
    EXPECT_EQ(encodingOf("\xE6\x9D\x8E\n\xE7\x8E\x8B\n"), TextEncoding::Utf8);  // 李, 王 in UTF-8
    EXPECT_EQ(encodingOf("\xC0\xEE\n\xCD\xF5\n"), TextEncoding::Cp936);         // the same in GBK
    EXPECT_EQ(encodingOf("Li\nWang\n"), TextEncoding::Cp936) << "plain ASCII needs no conversion";
    // Code page 936 that is also UTF-8, of a compatibility ideograph and a hanzi.
    EXPECT_EQ(encodingOf("\xEF\xA6\xBE\xE8\xBE\xA3"), TextEncoding::Cp936);
    EXPECT_FALSE(isValidUtf8("\xC0\xAF")) << "overlong form";
    EXPECT_FALSE(isValidUtf8("\xED\xA0\x80")) << "surrogate";
    EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80")) << "beyond U+10FFFF";
    EXPECT_FALSE(isValidUtf8("\xE6\x9D")) << "cut short";
    EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80 Li"));
    std::size_t mark = 0;
    // UTF-8 records lines with one code page 936 line appended by hand.
    EXPECT_EQ(detectLinesEncoding("\xE6\x9D\x8E,1000,0\r\n\xC0\xEE,2000,0\r\n", &mark), TextEncoding::Utf8);
    EXPECT_EQ(byteOrderMark("\xEF\xBB\xBFLi", &mark), TextEncoding::Utf8);
    EXPECT_EQ(mark, 3u);
    EXPECT_EQ(byteOrderMark("\xFF\xFEL\0", &mark), TextEncoding::Utf16Le);
    EXPECT_EQ(mark, 2u);
    EXPECT_EQ(byteOrderMark("\xFE\xFF\0L", &mark), TextEncoding::Utf16Be);
    EXPECT_EQ(byteOrderMark("\xEF\xBB", &mark), TextEncoding::Cp936);
    EXPECT_EQ(mark, 0u);
    // A mark wins over what the bytes after it look like.
    EXPECT_EQ(encodingOf("\xEF\xBB\xBF\xC0\xEE"), TextEncoding::Utf8);
}

// Bytes of `text` converted by the C library between two encodings.
std::string convert(const std::string& text, const char* from, const char* to) {
    iconv_t cd = iconv_open(to, from);
    if (cd == (iconv_t)-1) return "(no " + std::string(from) + " to " + to + ")";
    std::string out(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    size_t inLeft = text.size();
    char* at = &out[0];
    size_t outLeft = out.size();
    const size_t done = iconv(cd, &in, &inLeft, &at, &outLeft);
    iconv_close(cd);
    if (done == (size_t)-1) return "(cannot convert)";
    out.resize(out.size() - outLeft);
    return out;
}

// Names an operator types, saved by Notepad as "ANSI" or as UTF-8 without a
// mark, must be told apart, however short. The UTF-8 of hanzi is, read as
// code page 936, often hanzi too, and hanzi in code page 936 are often valid
// UTF-8 (of Latin, Greek or Cyrillic letters, or of rarer hanzi).
TEST(Roster, NamesOfHanziReadBackAsThemselvesInEitherEncoding) {
    std::vector<std::string> names = {"\xD0\xA1\xC7\xBF", "\xD0\xA1\xCE\xB0",  // 小强, 小伟
                                      "\xC8\xA4\xCE\xB6",                       // 趣味
                                      "\xD5\xD4\xD9\xB3", "\xD5\xD4\xD9\xA4",  // 赵俪, 赵伽
                                      "\xB0\xAC\xA1\xA4\xC4\xE1"};               // 艾·尼
    std::mt19937 random(20261209);
    while (names.size() < 4000) {
        std::string name;
        const int length = 2 + (int)(random() % 3);
        while ((int)name.size() < 2 * length) {
            // GB2312 level 1 (rows 0xB0..0xD7, the last ending at 0xF9) and
            // level 2 (rows 0xD8..0xF7), columns 0xA1..0xFE.
            const unsigned char lead = 0xB0 + random() % 72;
            const unsigned char trail = 0xA1 + random() % (lead == 0xD7 ? 89 : 94);
            name += (char)lead;
            name += (char)trail;
        }
        names.push_back(name);
    }
    std::string roster;
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& gbk = names[i];
        const std::string utf8 = convert(gbk, "CP936", "UTF-8");
        ASSERT_EQ(convert(utf8, "UTF-8", "CP936"), gbk) << "not a GB2312 name: " << utf8;
        std::size_t mark = 0;
        for (const std::string& line : {std::string(), std::string("\r\n"), std::string(",16000,0")}) {
            EXPECT_EQ(detectTextEncoding(gbk + line, &mark), TextEncoding::Cp936) << utf8 << line;
            EXPECT_EQ(detectTextEncoding(utf8 + line, &mark), TextEncoding::Utf8) << utf8 << line;
        }
        // Whole rosters of eight names read as one text.
        roster += gbk + "\r\n";
        if (i % 8 == 7) {
            EXPECT_EQ(detectTextEncoding(roster, &mark), TextEncoding::Cp936) << i;
            const std::string utf8Roster = convert(roster, "CP936", "UTF-8");
            EXPECT_EQ(detectTextEncoding(utf8Roster, &mark), TextEncoding::Utf8) << i;
            EXPECT_EQ(parseRoster(convert(utf8Roster, "UTF-8", "CP936")), parseRoster(roster));
            roster.clear();
        }
    }
}

TEST(Roster, GB2312IsKnownCharacterByCharacter) {
    struct Case {
        uint32_t codePoint;
        unsigned char lead, trail;  // in code page 936
        Gb2312Class expected;
    };
    const Case cases[] = {
        {0x5C0F, 0xD0, 0xA1, Gb2312Class::Level1},  // 小
        {0x4E2B, 0xD1, 0xBE, Gb2312Class::Level1},  // 丫
        {0x9F9F, 0xB9, 0xEA, Gb2312Class::Level1},  // 龟
        {0x946B, 0xF6, 0xCE, Gb2312Class::Level2},  // 鑫
        {0xFF0C, 0xA3, 0xAC, Gb2312Class::Other},   // full-width comma
        {0x00B7, 0xA1, 0xA4, Gb2312Class::Other},   // middle dot
        {0x4E42, 0x81, 0x56, Gb2312Class::None},    // 乂, GBK only
        {0x5586, 0x86, 0xB4, Gb2312Class::None},    // 喆, GBK only
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gb2312ClassOf(c.codePoint), c.expected) << std::hex << c.codePoint;
        EXPECT_EQ(gb2312ClassOfCode(c.lead, c.trail), c.expected) << std::hex << c.codePoint;
    }
    EXPECT_EQ(gb2312ClassOfCode(0xD7, 0xFA), Gb2312Class::None) << "past the end of level 1";
    EXPECT_EQ(gb2312ClassOfCode(0xAA, 0xA1), Gb2312Class::None) << "a row GB2312 leaves empty";
    EXPECT_EQ(gb2312ClassOf('A'), Gb2312Class::None);
    EXPECT_EQ(gb2312ClassOf(0x1F600), Gb2312Class::None);
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
                               "a\"", "a<", "a>", "a|", "a\tb", "CON", "nul", "Com1", "lpt9 .", "NUL.1", "con .txt",
                               "\xB1", "\xB1/", "a\xFF"}) {
        EXPECT_FALSE(isSafePhotoName(unsafe)) << unsafe;
    }
    EXPECT_TRUE(isSafePhotoName("CONSOLE"));
    EXPECT_TRUE(isSafePhotoName("COM0"));
    EXPECT_TRUE(isSafePhotoName("NULL.1"));
    EXPECT_TRUE(isSafePhotoName("Con1"));
}

// Names typed into the class list with a Chinese input method: blanks around
// them go, and what the files could not carry back is refused.
TEST(ClassList, TypedNamesAreTrimmedOrRefusedWithTheirReason) {
    struct Case {
        const char* typed;
        NameProblem expected;
        const char* kept;  // the class file afterwards
    };
    const Case cases[] = {
        {" \xC0\xEE\xC4\xC8\xA1\xA1\t", NameProblem::None, "Li\r\n\xC0\xEE\xC4\xC8\r\n"},  // 李娜　
        {"\xB0\xA1\xA1\xA1", NameProblem::None, "Li\r\n\xB0\xA1\r\n"},  // 啊 and a full-width space
        {"\xCB\xBE\xC2\xED\xCF\xE0\xC8\xE7\xBC\xD2Z", NameProblem::None,
         "Li\r\n\xCB\xBE\xC2\xED\xCF\xE0\xC8\xE7\xBC\xD2Z\r\n"},  // 11 bytes
        {"\xCB\xBE\xC2\xED\xCF\xE0\xC8\xE7\xBC\xD2\xC8\xCB", NameProblem::TooLong, "Li\r\n"},
        {"\xA1\xA1 \t", NameProblem::Empty, "Li\r\n"},
        {"", NameProblem::Empty, "Li\r\n"},
        {"\xD5\xC5,\xCE\xB0", NameProblem::Comma, "Li\r\n"},
        {"\xD5\xC5\r\n\xCE\xB0", NameProblem::LineBreak, "Li\r\n"},
        {"LI ", NameProblem::Taken, "Li\r\n"},
        {"CON", NameProblem::DeviceName, "Li\r\n"},
        {"nul.1", NameProblem::DeviceName, "Li\r\n"},
        {"COM10", NameProblem::None, "Li\r\nCOM10\r\n"},
    };
    for (const Case& c : cases) {
        ClassList list("Li", true, ""), one("Li", true, "");
        EXPECT_EQ(list.add(c.typed), c.expected) << c.typed;
        EXPECT_EQ(list.classText(), c.kept) << c.typed;
        EXPECT_EQ(one.rename(0, c.typed), c.expected == NameProblem::Taken ? NameProblem::None : c.expected)
            << "a child may take its own name in other letters";
    }
}

// A class of 20 runs in heats of 1-8, 9-16, 17-20, then 1-8 again; the
// roster holds the heat in class order whatever order it joined in.
TEST(ClassList, HeatsOfEightFollowTheClassAndTheRosterHoldsTheHeat) {
    std::string names;
    for (int i = 1; i <= 20; ++i) names += std::to_string(i) + (i % 5 ? "\n" : "\r\n\r\n");
    ClassList list(names, true, "");
    const auto heat = [&] {
        std::string members;
        for (const ClassChild& c : list.children()) members += c.inHeat ? c.name + " " : "";
        return members;
    };
    const char* const expected[] = {"1 2 3 4 5 6 7 8 ", "9 10 11 12 13 14 15 16 ", "17 18 19 20 ",
                                    "1 2 3 4 5 6 7 8 "};
    for (const char* next : expected) {
        list.nextHeat();
        EXPECT_EQ(heat(), next);
    }
    EXPECT_EQ(list.toggleHeat(12), ClassList::HeatChange::Full);
    EXPECT_EQ(list.toggleHeat(0), ClassList::HeatChange::Left);
    EXPECT_EQ(list.toggleHeat(12), ClassList::HeatChange::Joined);
    EXPECT_EQ(list.rosterText(), "2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n13\r\n");
    list.nextHeat();
    EXPECT_EQ(heat(), "14 15 16 17 18 19 20 ");
    EXPECT_EQ(list.move(19, 1), 19u);
    EXPECT_EQ(list.move(0, -1), 0u);
    EXPECT_EQ(list.move(19, -1), 18u);
    list.remove(0);
    EXPECT_EQ(list.children()[0].name, "2");
    EXPECT_EQ(list.rosterText(), "14\r\n15\r\n16\r\n17\r\n18\r\n20\r\n19\r\n");
}

// The heat comes from the roster: a name the class lacks joins at its end,
// and without a class file the roster is the class.
TEST(ClassList, TheRosterMakesTheHeatAndPhotosFollowRenames) {
    ClassList list("A\rB\rC\r", true, "C\nX\nA\n");
    EXPECT_EQ(list.classText(), "A\r\nB\r\nC\r\nX\r\n");
    EXPECT_EQ(list.rosterText(), "A\r\nC\r\nX\r\n");
    EXPECT_EQ(ClassList("A\r\n", false, "C\nX\n").classText(), "C\r\nX\r\n");
    // A and B swap names through a third one, and their photos with them; C,
    // renamed, gets a new photo, which moves with it up the list.
    EXPECT_EQ(list.rename(0, "T"), NameProblem::None);
    EXPECT_EQ(list.rename(1, "A"), NameProblem::None);
    EXPECT_EQ(list.rename(0, "B"), NameProblem::None);
    EXPECT_EQ(list.rename(2, "c"), NameProblem::None);
    list.setNewPhoto(2, "\xFF\xD8jpeg");
    EXPECT_EQ(list.move(2, -1), 1u);
    EXPECT_EQ(list.children()[1].newPhoto, "\xFF\xD8jpeg");
    std::string moves;
    for (const PhotoMove& m : list.photoMoves()) moves += m.from + ">" + m.to + " ";
    EXPECT_EQ(moves, "A>B C>c B>A ");
}

// A class pasted from a spreadsheet (tabs, a heading row, CR LF) or from CSV
// lines (commas, quotes): each name with 男 or 女 beside it and its line.
namespace {
std::string issuesOf(const std::vector<NameIssue>& issues) {
    std::string text;
    for (const NameIssue& i : issues)
        text += std::to_string((int)i.source) + ":" + std::to_string(i.line) + " " + i.name + " " +
                std::to_string((int)i.problem) + "; ";
    return text;
}
}  // namespace

// Names read from the files get the rules of typed ones: each that breaks one
// is named with its file and line, and nothing is cut or merged. 性别 follows
// a comma; the class is every name of a roster without a class file, and the
// heat the eight a race loads.
TEST(ClassList, NamesFromFilesAreCheckedNotCutOrMerged) {
    const std::string tooLong = "\xC2\xF2\xC2\xF2\xCC\xE1\xA1\xA4\xB0\xAC\xC1";  // 买买提·艾 and a lead byte: 11 bytes
    const std::string twelve = "\xC2\xF2\xC2\xF2\xCC\xE1\xA1\xA4\xB0\xAC\xC1\xA6";  // 买买提·艾力
    const ClassList read(NamesSource{"Tom\r\n" + twelve + "\r\n\xD5\xC5\xC8\xFD,\xC4\xD0\r\nNUL.1\r\n?x\r\n", true, {5}},
                         NamesSource{"tom\nB\nB\nCON\n", true, {}});
    EXPECT_EQ(read.classText(), "Tom\r\n" + twelve + "\r\n\xD5\xC5\xC8\xFD,\xC4\xD0\r\nNUL.1\r\n?x\r\ntom\r\nB\r\nB\r\nCON\r\n");
    EXPECT_EQ(read.children()[2].sex, "\xC4\xD0");
    EXPECT_EQ(issuesOf(read.fileIssues()),
              "0:2 " + twelve + " 4; 0:4 NUL.1 6; 0:5 ?x 7; 1:1 tom 5; 1:3 B 5; 1:4 CON 6; ");
    EXPECT_EQ(read.problems().size(), 6u);
    EXPECT_EQ(ClassList(NamesSource{tooLong + "\r\n", true, {}}, NamesSource{}).fileIssues().size(), 0u);

    std::string ten;
    for (int i = 1; i <= 10; ++i) ten += std::to_string(i) + "\r\n";
    ClassList fromRoster(NamesSource{}, NamesSource{ten, true, {}});
    EXPECT_EQ(fromRoster.children().size(), 10u);
    EXPECT_EQ(fromRoster.heatSize(), 8);
    EXPECT_TRUE(fromRoster.children()[7].inHeat);
    EXPECT_FALSE(fromRoster.children()[8].inHeat);
    // Nothing changed: neither file is rewritten, though the roster holds ten.
    EXPECT_FALSE(fromRoster.classChanged());
    EXPECT_FALSE(fromRoster.rosterChanged());
    fromRoster.setSex(9, "\xC5\xAE");
    EXPECT_TRUE(fromRoster.classChanged());
    EXPECT_FALSE(fromRoster.rosterChanged());
    fromRoster.move(1, 1);  // the heat's order is its numbers on the board
    EXPECT_TRUE(fromRoster.rosterChanged());
    fromRoster.move(2, -1);
    EXPECT_FALSE(fromRoster.rosterChanged());
    fromRoster.move(7, 1);  // the eighth past the ninth: still the same heat, in order
    EXPECT_FALSE(fromRoster.rosterChanged());
    fromRoster.toggleHeat(0);
    EXPECT_TRUE(fromRoster.rosterChanged());

    // A list typed into an empty class: its first eight are the heat, and a
    // pasted line that breaks a rule comes back with its line.
    ClassList fresh(NamesSource{}, NamesSource{});
    std::vector<PastedName> pasted;
    for (int i = 1; i <= 9; ++i) pasted.push_back(PastedName{i + 1, "N" + std::to_string(i), ""});
    pasted.push_back(PastedName{12, "n1", ""});
    EXPECT_EQ(issuesOf(fresh.addPasted(pasted)), "2:12 n1 5; ");
    EXPECT_EQ(fresh.heatSize(), 8);
    EXPECT_FALSE(fresh.children()[8].inHeat);
}

TEST(ClassPaste, NamesComeWithTheirSexAndLineAndHeadingsGo) {
    const std::string text =
        "\xD0\xD5\xC3\xFB\t\xD0\xD4\xB1\xF0\r\n"   // 1 姓名 性别
        "\xA1\xA1\xC0\xEE\xC4\xC8 \t\xC5\xAE\r\n"  // 2 李娜 女, blanks around
        "Wang\t\xC4\xD0\xC9\xFA\r\n"               // 3 男生
        "\r\n"                                     // 4
        " \t\xC4\xD0\r"                            // 5 no name
        "\"Zhao, Yi\",\xC4\xD0\n"                  // 6
        "\"\"\"\", 12\n"                           // 7 a name of one quote
        "\"\n"                                     // 8 a quote never closed, nothing in it
        "\xD1\xA7\xC9\xFA\xD0\xD5\xC3\xFB,x\n"     // 9 学生姓名
        "\xC3\xFB\xD7\xD6\n"                       // 10 名字
        "\"Li\"\"Na\" ,\" \xC5\xAE\"\n"            // 11
        "\xD0\xD5\xC3\xFB" "1\t\xC4\xD0\tx";       // 12 姓名1, no line end
    std::string names;
    for (const PastedName& n : parsePastedNames(text))
        names += std::to_string(n.line) + ":" + n.name + ":" + n.sex + " ";
    EXPECT_EQ(names, "2:\xC0\xEE\xC4\xC8:\xC5\xAE 3:Wang: 6:Zhao, Yi:\xC4\xD0 7:\": 11:Li\"Na:\xC5\xAE "
                     "12:\xD0\xD5\xC3\xFB" "1:\xC4\xD0 ");
    const std::pair<const char*, bool> several[] = {{"a\r\n", false}, {"a\r\nb", true}, {"a\r\n \r\n", false},
                                                    {"\r\n\xA1\xA1\ta\rb", true}, {"", false}};
    for (const auto& [pasted, expected] : several) EXPECT_EQ(isSeveralLines(pasted), expected) << pasted;
}

TEST(ClassFolders, NamesWindowsCannotHoldOrThatClashAreRefused) {
    using P = ClassNameProblem;
    struct Case { const char *name, *renaming; P expected; };
    const Case cases[] = {
        {"", "", P::Empty},          {"a/b", "", P::PathCharacter},  {"\xC8\xFD\xB0\xE0.", "", P::PathCharacter},
        {".", "", P::PathCharacter}, {"..", "", P::PathCharacter},   {"\xC8\xFD.\xB0\xE0", "", P::None},
        {"con.", "", P::PathCharacter}, {"COM1", "", P::DeviceName}, {"COM10", "", P::None},
        {"COM0", "", P::None},       {"nul.txt", "", P::DeviceName}, {"NULL", "", P::None},
        {"Backup", "", P::Reserved}, {"backups", "", P::None},       {"EXPORT", "", P::Reserved},
        {"\xB0\xE0\xBC\xB6", "", P::Reserved}, {"\xB0\xE0\xBC\xB6" "2", "", P::None},  // 班级, 班级2
        {"two", "", P::Taken},       {"Tw", "", P::None},            {"two", "Two", P::None},
        {"two", "two", P::Taken},    {"\xD2\xBB\xB0\xE0", "Two", P::Taken},
    };
    for (const Case& c : cases)
        EXPECT_EQ(checkClassName(c.name, {"\xD2\xBB\xB0\xE0", "Two"}, c.renaming), c.expected) << c.name;  // 一班
    EXPECT_EQ(trimmedClassName("\xA1\xA1 \xC8\xFD\xB0\xE0\t"), "\xC8\xFD\xB0\xE0");
    // 三班 first; then B, b, 二班, 一班 (er before yi, as code page 936 orders them).
    EXPECT_EQ(classOrder("\xC8\xFD\xB0\xE0", {"\xD2\xBB\xB0\xE0", "b", "\xC8\xFD\xB0\xE0", "B", "\xB6\xFE\xB0\xE0"}),
              (Names{"\xC8\xFD\xB0\xE0", "B", "b", "\xB6\xFE\xB0\xE0", "\xD2\xBB\xB0\xE0"}));
}

// A folder as Windows keeps it: letter case aside, and never a rename over a
// file. Mutating call number failAt (from 0) fails, with undoFails every one
// after it too.
struct CaseBlind {
    static int lower(char c) { return std::tolower((unsigned char)c); }
    bool operator()(const std::string& a, const std::string& b) const {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) { return lower(x) < lower(y); });
    }
};
using Files = std::map<std::string, std::string, CaseBlind>;

struct MapFiles : PlanFiles {
    explicit MapFiles(Files f) : files(std::move(f)) {}
    bool fails() { const int n = calls++; return n == failAt || (undoFails && n > failAt); }
    bool exists(const std::string& p) override { return files.count(p) != 0; }
    bool read(const std::string& p, std::string* bytes) override { return exists(p) && (*bytes = files[p], true); }
    bool rename(const std::string& from, const std::string& to) override {
        return !fails() && exists(from) && !exists(to) && files.emplace(to, files[from]).second && files.erase(from);
    }
    bool write(const std::string& p, const std::string& bytes) override { return !fails() && (files[p] = bytes, true); }
    bool remove(const std::string& p) override { return !fails() && files.erase(p) == 1; }
    std::string lastError() override { return "call " + std::to_string(calls - 1); }
    Files files;
    int failAt = -1, calls = 0;
    bool undoFails = false;
};

std::string shown(const std::vector<PlanStep>& steps) {
    std::string text;
    for (const PlanStep& s : steps)
        text += s.what + " " + (s.kind == PlanStep::Kind::Rename ? s.from + ">" + s.path : s.path + "=" + s.bytes) +
                "\n";
    return text;
}

// A and B swap names, D takes the name of E (who left), F becomes f, C gets
// a new photo; a move of a photo not there and one to itself are nothing.
TEST(ClassSavePlan, PhotosSwapAndAnyFailureLeavesEveryFileAsItWas) {
    const Files before = {{"d\\A.jpg", "a"}, {"d\\B.jpg", "b"}, {"d\\C.jpg", "c"}, {"d\\D.jpg", "d"},
                          {"d\\E.jpg", "e"}, {"d\\F.jpg", "f"}, {"d\\_class.txt", "old"}};
    const Files after = {{"d\\A.jpg", "b"}, {"d\\B.jpg", "a"}, {"d\\C.jpg", "new"}, {"d\\E.jpg", "d"},
                         {"d\\f.jpg", "f"}, {"d\\_class.txt", "A B C E f"}, {"d\\psn.txt", "A"},
                         {"d\\backup\\C-20261208-090503.jpg", "c"}, {"d\\backup\\E-20261208-090503.jpg", "e"}};
    const auto planOf = [](MapFiles& files) {
        ClassSavePlan plan(files, "d\\", "d\\backup\\", "20261208-090503");
        for (const char* move : {"A>B", "B>A", "X>Y", "C>C", "D>E", "F>f"})
            plan.movePhoto(std::string("d\\") + move[0] + ".jpg", std::string("d\\") + move[2] + ".jpg");
        plan.newPhoto("d\\C.jpg", "new");
        plan.writeText("d\\_class.txt", "A B C E f", "class");
        plan.writeText("d\\psn.txt", "A", "heat");
        return plan;
    };
    MapFiles files(before);
    EXPECT_EQ(shown(planOf(files).steps()),
              "照片 d\\A.jpg>d\\_photo,1.jpg\n照片 d\\B.jpg>d\\_photo,2.jpg\n照片 d\\D.jpg>d\\_photo,3.jpg\n"
              "照片 d\\F.jpg>d\\_photo,4.jpg\n照片 d\\E.jpg>d\\backup\\E-20261208-090503.jpg\n"
              "照片 d\\_photo,1.jpg>d\\B.jpg\n照片 d\\_photo,2.jpg>d\\A.jpg\n照片 d\\_photo,3.jpg>d\\E.jpg\n"
              "照片 d\\_photo,4.jpg>d\\f.jpg\n照片 d\\C.jpg>d\\backup\\C-20261208-090503.jpg\n照片 d\\C.jpg=new\n"
              "class d\\_class.txt=A B C E f\nheat d\\psn.txt=A\n");
    for (int k = 0; k <= 13; ++k) {  // the 13 steps fail one by one, then none
        MapFiles files(before);
        ClassSavePlan plan = planOf(files);
        const std::vector<PlanStep> steps = plan.steps();
        files.failAt = k;
        const ClassSavePlan::Outcome outcome = plan.carryOut();
        EXPECT_EQ(outcome.done, k == 13) << k;
        EXPECT_EQ(files.files, k == 13 ? after : before) << k;
        if (k == 13) break;
        EXPECT_EQ(outcome.failedStep, (std::size_t)k);
        EXPECT_EQ(shown({outcome.failed}), shown({steps[k]}));
        EXPECT_EQ(outcome.error, "call " + std::to_string(k));
        EXPECT_TRUE(outcome.restored) << k;
    }
    files.failAt = 6;
    files.undoFails = true;
    const ClassSavePlan::Outcome outcome = planOf(files).carryOut();
    EXPECT_FALSE(outcome.done || outcome.restored);
    EXPECT_EQ(outcome.failedStep, 6u);
}

// A parked or backup name another file has is never written over; with 99
// backups of the same second there is no name, and nothing is touched.
// The class's own folder takes its new name last: when it cannot, what was
// written before it is put back.
TEST(ClassSavePlan, TheClassFolderIsRenamedLastOrNothingStays) {
    const Files before = {{"d\\_class.txt", "old"}, {"d", ""}};
    for (int failAt : {1, -1}) {
        MapFiles files(before);
        ClassSavePlan plan(files, "d\\", "d\\backup\\", "20261208-090503");
        plan.renameLast("d", "e", "班级文件夹");
        plan.writeText("d\\_class.txt", "new", "名单");
        EXPECT_EQ(shown(plan.steps()), "名单 d\\_class.txt=new\n班级文件夹 d>e\n");
        files.failAt = failAt;
        EXPECT_EQ(plan.carryOut().done, failAt < 0);
        const Files after = {{"d\\_class.txt", "new"}, {"e", ""}};
        EXPECT_EQ(files.files, failAt < 0 ? after : before);
    }
}

TEST(ClassSavePlan, NamesOtherFilesHaveAreSkipped) {
    const std::string aside = "d\\backup\\B-20261208-090503";
    MapFiles files({{"d\\A.jpg", "a"}, {"d\\B.jpg", "b"}, {"d\\_photo,1.jpg", "x"}, {aside + ".jpg", "y"}});
    ClassSavePlan plan(files, "d\\", "d\\backup\\", "20261208-090503"), again = plan;
    plan.movePhoto("d\\A.jpg", "d\\B.jpg");
    plan.newPhoto("d\\B.jpg", "new");
    EXPECT_EQ(shown(plan.steps()), "照片 d\\A.jpg>d\\_photo,2.jpg\n照片 d\\B.jpg>" + aside + "-2.jpg\n" +
                                       "照片 d\\_photo,2.jpg>d\\B.jpg\n照片 d\\B.jpg>" + aside + "-3.jpg\n" +
                                       "照片 d\\B.jpg=new\n");
    EXPECT_TRUE(plan.carryOut().done);
    EXPECT_EQ(files.files, (Files{{"d\\B.jpg", "new"}, {"d\\_photo,1.jpg", "x"}, {aside + ".jpg", "y"},
                                  {aside + "-2.jpg", "b"}, {aside + "-3.jpg", "a"}}));
    for (int n = 4; n <= 99; ++n) files.files[aside + "-" + std::to_string(n) + ".jpg"] = "z";
    const Files full = files.files;
    again.newPhoto("d\\B.jpg", "newer");
    const ClassSavePlan::Outcome outcome = again.carryOut();
    EXPECT_EQ(shown({outcome.failed}), "照片 d\\B.jpg>\n");
    EXPECT_EQ(outcome.error, "备份文件夹里这张照片同一时刻的文件名都已用完。");
    EXPECT_EQ(files.files, full);
}

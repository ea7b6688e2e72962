#include "core/IniText.h"
#include "settings/SettingsRules.h"

#include <gtest/gtest.h>

TEST(SettingsRules, OutputSizeLimitsWithTheWidthCheckedFirst) {
    EXPECT_EQ(checkOutputSize(100, 100), SizeCheck::Ok);
    EXPECT_EQ(checkOutputSize(8000, 3000), SizeCheck::Ok);
    EXPECT_EQ(checkOutputSize(99, 1080), SizeCheck::BadWidth);
    EXPECT_EQ(checkOutputSize(8001, 1080), SizeCheck::BadWidth);
    EXPECT_EQ(checkOutputSize(0, 1080), SizeCheck::BadWidth);
    EXPECT_EQ(checkOutputSize(1920, 99), SizeCheck::BadHeight);
    EXPECT_EQ(checkOutputSize(1920, 3001), SizeCheck::BadHeight);
    EXPECT_EQ(checkOutputSize(50, 5000), SizeCheck::BadWidth);
}

TEST(SettingsRules, HandEditedIntegersAndFlags) {
    int v = 42;
    EXPECT_TRUE(parseIniInt(" -15\t", &v));
    EXPECT_EQ(v, -15);
    for (const char* bad : {"", "  ", "1 2", "12px", "3000000000", "0x10"}) {
        EXPECT_FALSE(parseIniInt(bad, &v)) << bad;
    }
    EXPECT_EQ(v, -15);
    for (const char* on : {"1", "TRUE", " yes ", "True"}) {
        v = 0;
        EXPECT_TRUE(parseIniBool(on, &v)) << on;
        EXPECT_EQ(v, 1) << on;
    }
    for (const char* off : {"0", "false", "No"}) {
        v = 1;
        EXPECT_TRUE(parseIniBool(off, &v)) << off;
        EXPECT_EQ(v, 0) << off;
    }
    EXPECT_FALSE(parseIniBool("2", &v));
    EXPECT_FALSE(parseIniBool("yess", &v));
}

TEST(SettingsRules, ColoursReadInTheirCommonSpellingsAndWriteAsEightDigits) {
    uint32_t c = 0;
    EXPECT_TRUE(parseIniColour("80112233", &c));
    EXPECT_EQ(c, 0x80112233u);
    EXPECT_TRUE(parseIniColour("0xff00aaBB", &c));
    EXPECT_EQ(c, 0xFF00AABBu);
    EXPECT_TRUE(parseIniColour(" #112233 ", &c));
    EXPECT_EQ(c, 0xFF112233u) << "six digits are opaque";
    for (const char* bad : {"", "#", "1122334", "112233445", "GG112233", "0x", "##112233"}) {
        EXPECT_FALSE(parseIniColour(bad, &c)) << bad;
    }
    EXPECT_EQ(formatIniColour(0xFF0A0B0Cu), "FF0A0B0C");
    EXPECT_EQ(formatIniColour(0x00000001u), "00000001");
}

TEST(SettingsRules, ColorrefKeepsRedGreenBlueAndComesBackOpaque) {
    EXPECT_EQ(argbToColorref(0x80112233u), 0x00332211u);
    EXPECT_EQ(colorrefToArgb(0x00332211u), 0xFF112233u);
    EXPECT_EQ(colorrefToArgb(argbToColorref(0x00ABCDEFu)), 0xFFABCDEFu);
}

TEST(SettingsRules, IniValuesReadAsTheProfileFunctionsReadThem) {
    const std::string ini =
        "; raceTitle=注释\r\nraceTitle=节外\r\n[Other]\r\nraceTitle=别的节\r\n"
        " [ trackVANE ]\r\n  RaceTitle  =  \"春季[运动]会\"  \r\nraceTitle=第二个\r\n"
        "tips='a=b'\nempty=\r[Trackvane]\r\nwidth=1\r\n";
    std::string v;
    EXPECT_TRUE(findIniValue(ini, "Trackvane", "raceTitle", &v));
    EXPECT_EQ(v, "春季[运动]会");
    EXPECT_TRUE(findIniValue(ini, "Trackvane", "tips", &v));
    EXPECT_EQ(v, "a=b");
    EXPECT_TRUE(findIniValue(ini, "Trackvane", "empty", &v));
    EXPECT_EQ(v, "");
    EXPECT_FALSE(findIniValue(ini, "Trackvane", "width", &v)) << "only the first section counts";
    EXPECT_FALSE(findIniValue(ini, "Trackvane", "title", &v));
}

TEST(SettingsRules, AnIniValueIsWrittenWithEveryOtherByteKept) {
    const std::string ini = "; 注释\r\n[Trackvane]\r\nwidth = 1280\r\nraceTitle=旧\r\n\r\n[Other]\r\nx=1";
    EXPECT_EQ(withIniValue(ini, "Trackvane", "RACETITLE", "新"),
              "; 注释\r\n[Trackvane]\r\nwidth = 1280\r\nRACETITLE=新\r\n\r\n[Other]\r\nx=1");
    EXPECT_EQ(withIniValue(ini, "Trackvane", "tips", "提示"),
              "; 注释\r\n[Trackvane]\r\nwidth = 1280\r\nraceTitle=旧\r\ntips=提示\r\n\r\n[Other]\r\nx=1");
    EXPECT_EQ(withIniValue("[Trackvane]\nwidth=1", "Trackvane", "height", "2"),
              "[Trackvane]\nwidth=1\r\nheight=2\r\n");
    EXPECT_EQ(withIniValue("; 注释", "Trackvane", "width", "1"), "; 注释\r\n[Trackvane]\r\nwidth=1\r\n");
    EXPECT_EQ(withIniValue("", "Trackvane", "width", "1"), "[Trackvane]\r\nwidth=1\r\n");
}

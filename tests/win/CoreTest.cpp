// The core services as the windows use them: the INI store an operator may
// edit by hand, the records appends, the time stamp text.
#include "core/Core.h"
#include "tests/win/WinTestSupport.h"

#include <gtest/gtest.h>

namespace {
class CoreTest : public ::testing::Test {
protected:
    void SetUp() override { c.setConfigPath(dir.file("Trackvane.ini")); }
    ScratchFolder dir;
    CCore c;
};
}  // namespace

TEST_F(CoreTest, MissingFileGivesDefaultsForEveryKey) {
    EXPECT_EQ(c.getConfigInt("width"), 1280);
    EXPECT_EQ(c.getConfigInt("height"), 720);
    EXPECT_EQ(c.getConfigClr("clrStr"), 0xFFFFFFFFu);
    EXPECT_EQ(c.getConfigStr("fontTitle"), "黑体");
    EXPECT_FALSE(c.getConfigStr("raceTitle").empty());
    EXPECT_FALSE(c.getConfigB("isZhangai"));
}

TEST_F(CoreTest, SavedValuesReadBackAcrossObjects) {
    EXPECT_TRUE(c.saveConfigInt("scoreInit", -12));
    EXPECT_TRUE(c.saveConfigStr("raceTitle", "春季运动会"));
    EXPECT_TRUE(c.saveConfigStr("tips", ""));
    EXPECT_TRUE(c.saveConfigB("isZhangai", TRUE));
    EXPECT_TRUE(c.saveConfigClr("clrDigi", 0xFF10A0FF));
    CCore again;
    again.setConfigPath(dir.file("Trackvane.ini"));
    EXPECT_EQ(again.getConfigInt("scoreInit"), -12);
    EXPECT_EQ(again.getConfigStr("raceTitle"), "春季运动会");
    EXPECT_EQ(again.getConfigStr("tips"), "");  // empty is a value, not a missing key
    EXPECT_TRUE(again.getConfigB("isZhangai"));
    EXPECT_EQ(again.getConfigClr("clrDigi"), 0xFF10A0FFu);
    // Colours are stored as readable hex ARGB.
    EXPECT_NE(dir.read("Trackvane.ini").find("clrDigi=FF10A0FF"), std::string::npos);
}

TEST_F(CoreTest, HandEditedBadValuesReadAsDefaults) {
    dir.write("Trackvane.ini", "[Trackvane]\r\nwidth=abc\r\nheight=99999999999\r\n"
                               "clrStr=zz\r\nisZhangai=maybe\r\nscoreInit=-5\r\n");
    EXPECT_EQ(c.getConfigInt("width"), 1280);
    EXPECT_EQ(c.getConfigInt("height"), 720);
    EXPECT_EQ(c.getConfigInt("scoreInit"), -5);
    // Sizes the options dialog would refuse read as the default as well.
    dir.write("Trackvane.ini", "[Trackvane]\r\nwidth=0\r\nheight=3001\r\n");
    EXPECT_EQ(c.getConfigInt("width"), 1280);
    EXPECT_EQ(c.getConfigInt("height"), 720);
    EXPECT_EQ(c.getConfigClr("clrStr"), 0xFFFFFFFFu);
    EXPECT_FALSE(c.getConfigB("isZhangai"));
}

TEST_F(CoreTest, TextSavedAsUtf8ByNotepadReadsAsTheSameText) {
    // Notepad's UTF-8 has a byte-order mark first.
    dir.write("Trackvane.ini", "\xEF\xBB\xBF; comment\r\n[Trackvane]\r\n"
                               "raceTitle=\xE6\x98\xA5\xE5\xAD\xA3\r\nwidth=1920\r\n");
    EXPECT_EQ(c.getConfigStr("raceTitle"), "春季");
    EXPECT_EQ(c.getConfigInt("width"), 1920);
    // Saved, it stays UTF-8, every other byte as it was.
    EXPECT_TRUE(c.saveConfigStr("raceTitle", "秋季"));
    EXPECT_EQ(dir.read("Trackvane.ini"), "\xEF\xBB\xBF; comment\r\n[Trackvane]\r\n"
                                         "raceTitle=\xE7\xA7\x8B\xE5\xAD\xA3\r\nwidth=1920\r\n");
}

// Tests run as root under Wine, where a read-only attribute does not stop a
// write; a file held exclusively by another program does.
TEST_F(CoreTest, SavingIntoAFileHeldByAnotherProgramReportsFailure) {
    dir.write("Trackvane.ini", "[Trackvane]\r\n");
    HANDLE lock = CreateFileA(dir.file("Trackvane.ini").c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_FALSE(c.saveConfigInt("width", 1920));
    CloseHandle(lock);
    c.setConfigPath(dir.file("no such folder\\Trackvane.ini"));
    EXPECT_FALSE(c.saveConfigInt("width", 1920));
}

// A file is replaced whole or not at all, and never read in part: what is
// read may be written back.
TEST_F(CoreTest, FilesAreReplacedAndReadWholeOrNotAtAll) {
    const std::string path = dir.file("r.csv");
    dir.write("r.csv", "old\r\n");
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD error = 0;
    EXPECT_FALSE(c.replaceWhole(path, "new\r\n", &error));
    EXPECT_NE(error, 0u);
    CloseHandle(held);
    EXPECT_EQ(dir.read("r.csv"), "old\r\n");
    EXPECT_FALSE(c.isFileExist(path + ".new"));
    EXPECT_TRUE(c.replaceWhole(path, "new\r\n"));
    EXPECT_EQ(dir.read("r.csv"), "new\r\n");
    std::string bytes = "x";
    EXPECT_FALSE(c.readFile(path, &bytes, 4, &error));
    EXPECT_EQ(error, (DWORD)ERROR_FILE_TOO_LARGE);
    EXPECT_EQ(bytes, "");
    EXPECT_TRUE(c.readFile(path, &bytes, 5));
    EXPECT_EQ(bytes, "new\r\n");
}

TEST_F(CoreTest, AppendsLinesWithLineBreaksAndCreatesOnlyWhenMissing) {
    const std::string path = dir.file("r.csv");
    c.createFile(path);
    EXPECT_TRUE(c.isFileExist(path));
    EXPECT_TRUE(c.logAddLines(path, {"计时赛,2026-12-08 10:00:00"}));
    EXPECT_TRUE(c.logAddLines(path, {"A,1,2", ""}));
    c.createFile(path);  // leaves an existing file as it is
    EXPECT_EQ(dir.read("r.csv"), "计时赛,2026-12-08 10:00:00\r\nA,1,2\r\n\r\n");
}

TEST_F(CoreTest, AppendsStartOnALineOfTheirOwnAfterACutOffLine) {
    const std::string path = dir.file("r.csv");
    dir.write("r.csv", "A,12");
    EXPECT_TRUE(c.logAddLines(path, {"计时赛,2026-12-08 10:00:00", ""}));
    EXPECT_EQ(dir.read("r.csv"), "A,12\r\n计时赛,2026-12-08 10:00:00\r\n\r\n");
    EXPECT_TRUE(c.logAddLines(path, {"B,1,2"}));
    EXPECT_EQ(dir.read("r.csv"), "A,12\r\n计时赛,2026-12-08 10:00:00\r\n\r\nB,1,2\r\n");
}

TEST_F(CoreTest, AppendsKeepTheEncodingTheFileHas) {
    const std::string path = dir.file("r.csv");
    const std::string block = "计时赛,2026-12-08 10:00:00\r\n张伟,16000,0\r\n\r\n";
    const std::string utf8Block =
        "\xE8\xAE\xA1\xE6\x97\xB6\xE8\xB5\x9B,2026-12-08 10:00:00\r\n"
        "\xE5\xBC\xA0\xE4\xBC\x9F,16000,0\r\n\r\n";
    const std::vector<std::string> lines = {"计时赛,2026-12-08 10:00:00", "张伟,16000,0", ""};
    const auto utf16le = [](const std::string& ansi) {
        std::string bytes;
        for (wchar_t ch : toWide(ansi)) {
            bytes += (char)(ch & 0xFF);
            bytes += (char)(ch >> 8);
        }
        return bytes;
    };
    struct Case {
        const char* what;
        std::string before;
        std::string added;
    };
    const Case cases[] = {
        {"code page 936, byte for byte", "障碍赛,2026-12-07 09:00:00\r\n李娜,1,2\r\n\r\n", block},
        {"UTF-8 without a mark, as a spreadsheet saves it",
         "\xE8\xAE\xA1\xE6\x97\xB6\xE8\xB5\x9B,2026-12-07 09:00:00,\n\xE6\x9D\x8E\xE5\xA8\x9C,1,2\n,,\n",
         utf8Block},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" "A,1,2\r\n", utf8Block},
        {"cut between CR and LF", "A,1,2\r", block},
        {"UTF-8 cut between CR and LF", "\xE6\x9D\x8E\xE5\xA8\x9C,1,2\r", utf8Block},
        {"UTF-16 with a mark", std::string("\xFF\xFE" "A\0\r\0\n\0", 8), utf16le(block)},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.what);
        dir.write("r.csv", k.before);
        EXPECT_TRUE(c.logAddLines(path, lines));
        const std::string after = dir.read("r.csv");
        ASSERT_GE(after.size(), k.before.size() + k.added.size());
        EXPECT_EQ(after.substr(0, k.before.size()), k.before);
        EXPECT_EQ(after.substr(k.before.size()), k.added);
    }
}

TEST_F(CoreTest, HandMadeTextIsReadInWhateverEncodingAnEditorSavedIt) {
    // 小强 and 趣味 in code page 936 are valid UTF-8 too, of Cyrillic, Latin
    // and Greek letters.
    struct Case {
        const char* what;
        std::string bytes;
        std::string text;
    };
    const Case cases[] = {
        {"code page 936", "小强\r\n小伟\r\n趣味", "小强\r\n小伟\r\n趣味"},
        {"UTF-8 without a mark", "\xE5\xB0\x8F\xE5\xBC\xBA\r\n\xE8\xB6\xA3\xE5\x91\xB3",
         "小强\r\n趣味"},
        {"UTF-8 with a mark", "\xEF\xBB\xBF\xE5\xB0\x8F\xE5\xBC\xBA", "小强"},
        {"UTF-16 LE with a mark", std::string("\xFF\xFE\x0F\x5C\x3A\x5F\r\0\n\0A\0", 12),
         "小强\r\nA"},
        {"UTF-16 BE with a mark", std::string("\xFE\xFF\x5C\x0F\x5F\x3A", 6), "小强"},
        {"plain ASCII", "Li Ming\n", "Li Ming\n"},
    };
    for (const Case& k : cases) {
        std::vector<int> lossy = {99};
        EXPECT_EQ(c.textToAnsi(k.bytes, &lossy), k.text) << k.what;
        EXPECT_TRUE(lossy.empty()) << k.what;
    }
    // Hangul has no place in code page 936: the line is named, not hidden.
    std::vector<int> lossy;
    const std::string text =
        c.textToAnsi("A\r\n\xEA\xB9\x80\xE5\xB0\x8F\r\n\r\nB\xF0\x9F\x98\x80\n", &lossy);
    EXPECT_EQ(text.substr(0, 11), "A\r\n?小\r\n\r\nB");
    EXPECT_EQ(lossy, (std::vector<int>{2, 4}));
    dir.write("Trackvane.ini", "[Trackvane]\r\nraceTitle=趣味\r\ntips=小强\r\n");
    EXPECT_EQ(c.getConfigStr("raceTitle"), "趣味");
    EXPECT_EQ(c.getConfigStr("tips"), "小强");
}

TEST_F(CoreTest, AppendToAFileHeldExclusivelyFailsAndWritesNothing) {
    const std::string path = dir.file("r.csv");
    dir.write("r.csv", "x\r\n");
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    DWORD error = 0;
    EXPECT_FALSE(c.logAddLines(path, {"A,1,2", ""}, &error));
    EXPECT_EQ(error, (DWORD)ERROR_SHARING_VIOLATION);
    CloseHandle(lock);
    EXPECT_EQ(dir.read("r.csv"), "x\r\n");
}

TEST_F(CoreTest, TimeStampTextHasAColonNoCommaAndReadsBack) {
    const std::string stamp = c.getTimeNowStr();
    EXPECT_NE(stamp.find(':'), std::string::npos);
    EXPECT_EQ(stamp.find(','), std::string::npos);
    LocalTime t{};
    EXPECT_TRUE(parseTimeStamp(stamp, &t));
    EXPECT_EQ(formatTimeStamp(t), stamp);
}

TEST_F(CoreTest, ColourConversionsKeepRgbAndMakeOpaque) {
    EXPECT_EQ(c.getClrRef(0x80112233), (COLORREF)0x00332211);
    EXPECT_EQ(c.getColorFromClrRef(0x00332211), 0xFF112233u);
}

TEST_F(CoreTest, TextIsMeasuredAndOutlinedWithTheCjkFont) {
    Gdiplus::GpFontFamily* family = nullptr;
    ASSERT_EQ(gp::GdipCreateFontFamilyFromName(L"\u9ed1\u4f53", nullptr, &family), gp::Ok);
    gp::ScopedFamily owned(family);
    SIZE s = c.getTextBoundsByFontFamily(family, 39, "姓名");
    EXPECT_GT(s.cx, 39);
    EXPECT_GT(s.cy, 39);
    gp::ScopedPath path;
    Gdiplus::GpPath* p = nullptr;
    gp::GdipCreatePath(gp::FillModeAlternate, &p);
    path.reset(p);
    c.drawStr(p, family, 10, 20, 39, "姓名");
    INT points = 0;
    gp::GdipGetPointCount(p, &points);
    EXPECT_GT(points, 0);
    c.drawStr(p, family, 10, 80, 39, "1");  // earlier figures stay
    INT more = 0;
    gp::GdipGetPointCount(p, &more);
    EXPECT_GT(more, points);
}

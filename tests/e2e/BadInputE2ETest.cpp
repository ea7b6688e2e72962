// The real program on data folders an operator could hand it: rosters,
// records files, pictures and settings that are missing, empty, garbled,
// oversized or locked. Every case checks that the program neither crashes
// nor hangs, that it names the file it could not use where the operator must
// act, and that a race run on it still reaches the records file whole.
#include "core/Core.h"
#include "core/TimeStamp.h"
#include "race/ClassFiles.h"
#include "tests/e2e/ProgramDriver.h"
#include "tests/win/WinTestSupport.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <string>
#include <vector>

using namespace e2e;

namespace {

const char kRecords[] = "data\\_records.csv";
const char kTwoNames[] = "张伟\r\n李娜\r\n";
const long kNoTime = 8880000;

std::string boxTexts(const ProgramDriver& p) {
    std::string all;
    for (const ShownBox& b : p.boxes()) all += "[" + b.text + "]\n";
    return all.empty() ? "(no box)" : all;
}

// A box that names no file leaves the operator guessing what to fix.
void expectEveryBoxNames(const ProgramDriver& p, const std::string& file) {
    for (const ShownBox& b : p.boxes())
        EXPECT_NE(b.text.find(file), std::string::npos) << "a box that does not name " << file << ":\n"
                                                         << b.text;
}

// Where nothing needed the operator, the only box is the one Export shows.
void expectNoBoxButTheExport(const ProgramDriver& p) {
    for (const ShownBox& b : p.boxes())
        EXPECT_NE(b.text.find("已导出到"), std::string::npos) << "unexpected box:\n" << b.text;
}

bool sawBox(const ProgramDriver& p, const std::string& part) {
    for (const ShownBox& b : p.boxes())
        if (b.text.find(part) != std::string::npos) return true;
    return false;
}

LocalTime localNow() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

std::string header(const LocalTime& t) { return "计时赛," + formatTimeStamp(t) + "\r\n"; }

// One contestant line of a block: the name as written, then time and score.
struct Entry {
    std::string name;
    long ms;
    long score;
};

// Checks that `added` is exactly one block of a race in which only the
// contestant at `timedIndex` ran (about 300 ms, but a slow frame may stretch
// it); returns its lines.
std::vector<Entry> expectOneBlock(const std::string& added, const std::vector<std::string>& names,
                                  int timedIndex = 0, const std::string& mode = "计时赛") {
    std::vector<Entry> entries;
    const std::vector<std::string> lines = crlfLines(added);
    EXPECT_EQ(lines.size(), names.size() + 2) << "appended:\n" << added;
    if (lines.size() != names.size() + 2) return entries;
    EXPECT_EQ(lines[0].compare(0, mode.size() + 1, mode + ","), 0) << lines[0];
    LocalTime stamp = {};
    EXPECT_TRUE(parseTimeStamp(lines[0].substr(std::min(lines[0].size(), mode.size() + 1)), &stamp))
        << lines[0];
    for (size_t i = 0; i < names.size(); ++i) {
        const std::string& line = lines[i + 1];
        EXPECT_EQ(line.compare(0, names[i].size() + 1, names[i] + ","), 0)
            << "line " << i + 1 << ": " << line << "\nexpected the name " << names[i];
        const std::string rest = line.size() > names[i].size() ? line.substr(names[i].size() + 1) : "";
        Entry e = {names[i], std::strtol(rest.c_str(), nullptr, 10), 0};
        const size_t comma = rest.find(',');
        e.score = comma == std::string::npos ? -1 : std::strtol(rest.c_str() + comma + 1, nullptr, 10);
        if ((int)i == timedIndex) {
            EXPECT_GE(e.ms, 100) << line;
            EXPECT_LE(e.ms, 60000) << line;
        } else {
            EXPECT_EQ(e.ms, kNoTime) << line;
        }
        entries.push_back(e);
    }
    EXPECT_EQ(lines.back(), "");
    return entries;
}

// The block must start a line of its own, or the reader takes its header
// for the tail of whatever line the file ended in.
void expectBlockOnItsOwnLines(const std::string& file, const std::string& added) {
    ASSERT_GE(file.size(), added.size());
    const size_t at = file.size() - added.size();
    EXPECT_TRUE(at == 0 || file[at - 1] == '\n')
        << "the new block is glued to the line before it: ..."
        << file.substr(at > 40 ? at - 40 : 0, std::min<size_t>(at, 40) + 30);
}

// The weekly row of a contestant in an exported table: summed ms and score.
struct WeeklyRow {
    bool found = false;
    long ms = 0;
    long score = 0;
};
WeeklyRow weeklyRow(const std::string& table, const std::string& name) {
    WeeklyRow row;
    for (const std::string& line : crlfLines(table)) {
        // 周冠军榜,place,number,name,time text,ms,score
        if (line.compare(0, 9, "周冠军榜,") != 0) continue;
        // Fields may be quoted, with "" for a quote inside.
        std::vector<std::string> f(1);
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            const char ch = line[i];
            if (quoted && ch == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                f.back() += '"';
                ++i;
            } else if (ch == '"') {
                quoted = !quoted;
            } else if (ch == ',' && !quoted) {
                f.emplace_back();
            } else {
                f.back() += ch;
            }
        }
        if (f.size() == 7 && f[3] == name) {
            row.found = true;
            row.ms = std::strtol(f[5].c_str(), nullptr, 10);
            row.score = std::strtol(f[6].c_str(), nullptr, 10);
        }
    }
    return row;
}

void expectCleanEnd(ProgramDriver& p) {
    const Ending end = p.close();
    EXPECT_TRUE(end.clean()) << end.describe() << "\nboxes:\n" << boxTexts(p);
}

// Starts the program, checks it came up with `rows` contestants, runs one
// short race and returns what it appended to the records file.
std::string startAndRace(ProgramDriver& p, int rows) {
    EXPECT_TRUE(p.start()) << "the program did not come up; boxes:\n" << boxTexts(p);
    if (!p.running()) return std::string();
    EXPECT_EQ(p.listRows(), rows);
    const std::string added = p.runShortRace();
    EXPECT_TRUE(p.responsive()) << "the program stopped answering after the race";
    return added;
}

// --- pictures, drawn in the test ---

const uint32_t kRed = 0xFFDC0000;    // 张伟's own photo
const uint32_t kGreen = 0xFF00A000;  // the default photo
const uint32_t kMagenta = 0xFFFF00FF;

bool isRed(uint32_t c) {
    const int a = c >> 24, r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
    return a >= 250 && r > 170 && g < 60 && b < 60;
}
bool isGreen(uint32_t c) {
    const int a = c >> 24, r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
    return a >= 250 && g > 120 && r < 70 && b < 70;
}
bool isMagenta(uint32_t c) {
    const int a = c >> 24, r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
    return a >= 250 && r > 180 && b > 180 && g < 80;
}
size_t countPixels(const Pixels& px, bool (*match)(uint32_t)) {
    size_t n = 0;
    for (uint32_t c : px.argb) n += match(c) ? 1 : 0;
    return n;
}

void writeGoodPictures(const ProgramDriver& p) {
    ASSERT_TRUE(writeSolidPicture(p.path("bg.jpg"), 1280, 720, 0xFF1428A0, L"image/jpeg"));
    ASSERT_TRUE(writeSolidPicture(p.path("logo.png"), 400, 100, 0xFFFFA000, L"image/png"));
    ASSERT_TRUE(writeSolidPicture(p.path("data\\_face.jpg"), 300, 400, kGreen, L"image/jpeg"));
    ASSERT_TRUE(writeSolidPicture(p.path("data\\张伟.jpg"), 300, 400, kRed, L"image/jpeg"));
}

const char* const kPictures[] = {"bg.jpg", "logo.png", "data\\_face.jpg", "data\\张伟.jpg"};

// One picture replaced by `bad`; the others are good. The race must run, the
// scoreboard must still be drawn, and the photos that are good must show.
void raceWithOneBadPicture(const char* picture,
                           const std::function<void(const ProgramDriver&, const std::string&)>& bad) {
    SCOPED_TRACE(picture);
    ProgramDriver p;
    p.write("data\\psn.txt", kTwoNames);
    writeGoodPictures(p);
    bad(p, picture);
    const std::string added = startAndRace(p, 2);
    expectOneBlock(added, {"张伟", "李娜"});
    EXPECT_NE(p.outputWindow(), nullptr) << "no audience window";
    std::string picturePath;
    p.exportBoards(&picturePath);
    Pixels frame;
    ASSERT_TRUE(readPicture(picturePath, &frame)) << "no scoreboard picture; boxes:\n" << boxTexts(p);
    const std::string name = picture;
    if (name != "data\\张伟.jpg") {
        EXPECT_GT(countPixels(frame, isRed), 500u) << "张伟's photo missing";
    } else {
        EXPECT_EQ(countPixels(frame, isRed), 0u);
    }
    if (name != "data\\_face.jpg") {
        EXPECT_GT(countPixels(frame, isGreen), 500u) << "default photo missing";
    }
    const std::string file = name.substr(name.find_last_of('\\') + 1);
    for (const ShownBox& b : p.boxes()) {
        if (b.text.find("已导出到") != std::string::npos) continue;
        EXPECT_NE(b.text.find(file), std::string::npos) << "a box that does not name " << file << ":\n"
                                                         << b.text;
    }
    expectCleanEnd(p);
}

// --- settings ---

struct OutputSize {
    int w = 0, h = 0;
};
OutputSize outputSize(const ProgramDriver& p) {
    OutputSize s;
    RECT r;
    if (HWND w = p.outputWindow(); w && GetWindowRect(w, &r)) {
        s.w = r.right - r.left;
        s.h = r.bottom - r.top;
    }
    return s;
}

}  // namespace

// ---------------------------------------------------------------- roster

TEST(BadRoster, AMissingRosterIsToldAndAnEmptyRaceIsStillRecorded) {
    for (bool withDataFolder : {true, false}) {
        SCOPED_TRACE(withDataFolder ? "data folder without psn.txt" : "no data folder at all");
        ProgramDriver p;
        if (withDataFolder) p.write("data\\readme.txt", "");
        const std::string added = startAndRace(p, 0);
        EXPECT_TRUE(sawBox(p, p.path("data\\psn.txt"))) << "no box naming the roster:\n" << boxTexts(p);
        expectEveryBoxNames(p, "psn.txt");
        expectOneBlock(added, {});
        expectCleanEnd(p);
    }
}

TEST(BadRoster, EmptyAndGarbageRostersGiveAUsableList) {
    {
        SCOPED_TRACE("empty");
        ProgramDriver p;
        p.write("data\\psn.txt", "");
        expectOneBlock(startAndRace(p, 0), {});
        expectEveryBoxNames(p, "psn.txt");
        expectCleanEnd(p);
    }
    {
        SCOPED_TRACE("4 KB of pseudo-random bytes");
        ProgramDriver p;
        const std::string garbage = pseudoRandomBytes(4096, 0x5eed);
        ASSERT_NE(garbage.find('\0'), std::string::npos);
        p.write("data\\psn.txt", garbage);
        ASSERT_TRUE(p.start()) << boxTexts(p);
        const int rows = p.listRows();
        EXPECT_GE(rows, 0);
        EXPECT_LE(rows, 8);
        const std::string added = p.runShortRace();
        const std::vector<std::string> lines = crlfLines(added);
        ASSERT_EQ((int)lines.size(), rows + 2) << added;
        EXPECT_EQ(lines[0].compare(0, 7, "计时赛,"), 0);
        for (int i = 1; i <= rows; ++i) {
            // name,time,score: the name is whatever bytes the line began with.
            const std::string& line = lines[i];
            const size_t scoreComma = line.rfind(',');
            ASSERT_NE(scoreComma, std::string::npos) << line;
            const size_t timeComma = line.rfind(',', scoreComma - 1);
            ASSERT_NE(timeComma, std::string::npos) << line;
            EXPECT_LE(timeComma, 11u) << "a name longer than 11 bytes: " << line;
            const long ms = std::strtol(line.c_str() + timeComma + 1, nullptr, 10);
            if (i == 1) {
                EXPECT_GE(ms, 100);
            } else {
                EXPECT_EQ(ms, kNoTime);
            }
        }
        EXPECT_EQ(lines.back(), "");
        expectEveryBoxNames(p, "psn.txt");
        expectCleanEnd(p);
    }
}

namespace {

std::vector<std::string> listNames(const ProgramDriver& p) {
    std::vector<std::string> names;
    for (int row = 0; row < p.listRows(); ++row) names.push_back(p.listText(row, 1));
    return names;
}

}  // namespace

// However Notepad saved the roster, the list shows the names and the race
// records them as the program's code page has them. 小强 and 小伟 in code
// page 936 are valid UTF-8 too (of Cyrillic and Latin letters).
TEST(BadRoster, RostersInEveryEncodingNotepadSavesReadAsTheSameNames) {
    const std::string xiao = "\xE5\xB0\x8F\xE5\xBC\xBA\r\n\xE5\xB0\x8F\xE4\xBC\x9F\r\n";  // UTF-8
    const std::string zhang = "\xE5\xBC\xA0\xE4\xBC\x9F\r\n\xE6\x9D\x8E\xE5\xA8\x9C\r\n";
    const std::string utf16 = std::string("\xFF\xFE\x0F\x5C\x3A\x5F\r\0\n\0\x0F\x5C\x1F\x4F\r\0\n\0", 18);
    struct Case {
        const char* what;
        std::string bytes;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {"code page 936", "小强\r\n小伟\r\n", {"小强", "小伟"}},
        {"UTF-8 without a mark", xiao, {"小强", "小伟"}},
        {"UTF-8 without a mark, other names", zhang, {"张伟", "李娜"}},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + zhang, {"张伟", "李娜"}},
        {"UTF-8 without a mark, a rarer given name", "\xE8\xB5\xB5\xE4\xBF\xAA\r\n", {"赵俪"}},
        {"UTF-16 LE with a mark (Notepad's \"Unicode\")", utf16, {"小强", "小伟"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramDriver p;
        p.write("data\\psn.txt", c.bytes);
        ASSERT_TRUE(p.start()) << boxTexts(p);
        EXPECT_EQ(listNames(p), c.names);
        expectOneBlock(p.runShortRace(), c.names);
        EXPECT_EQ(p.boxes().size(), 0u) << boxTexts(p);
        expectCleanEnd(p);
    }
}

TEST(BadRoster, ANameTheCodePageCannotHoldIsToldWithItsLine) {
    ProgramDriver p;
    // 张伟, then 김철수 (Hangul, which code page 936 lacks), in UTF-8.
    p.write("data\\psn.txt", "\xE5\xBC\xA0\xE4\xBC\x9F\r\n\r\n\xEA\xB9\x80\xEC\xB2\xA0\xEC\x88\x98\r\n");
    ASSERT_TRUE(p.start()) << boxTexts(p);
    EXPECT_EQ(p.listRows(), 2);
    ASSERT_EQ(p.boxes().size(), 1u) << boxTexts(p);
    EXPECT_NE(p.boxes()[0].text.find("第 3 行"), std::string::npos) << boxTexts(p);
    expectEveryBoxNames(p, "psn.txt");
    p.runShortRace();
    EXPECT_EQ(p.boxes().size(), 1u) << "told more than once:\n" << boxTexts(p);
    expectCleanEnd(p);
}

TEST(BadRoster, EveryKindOfLineEndGivesTheSameNames) {
    const char* const rosters[] = {"张伟\r\n李娜\r\n王芳\r\n", "张伟\n李娜\n王芳\n", "张伟\r\n李娜\r\n王芳",
                                   "张伟\r李娜\r王芳\r"};
    for (const char* roster : rosters) {
        SCOPED_TRACE(roster);
        ProgramDriver p;
        p.write("data\\psn.txt", roster);
        expectOneBlock(startAndRace(p, 3), {"张伟", "李娜", "王芳"});
        EXPECT_EQ(p.boxes().size(), 0u) << boxTexts(p);
        expectCleanEnd(p);
    }
}

TEST(BadRoster, LongNamesAreCutAtACharacterBoundary) {
    ProgramDriver p;
    p.write("data\\psn.txt",
            "张伟李娜王A\r\n"                      // 11 bytes: fits
            "张伟李娜王芳\r\n"                     // 12 bytes: the sixth character goes
            "一二三四五六七八九十甲乙丙丁戊\r\n"   // 30 bytes
            "A张伟李娜王芳\r\n"                    // 13 bytes: 11 fit
            "AB张伟李娜王\r\n");                   // 12 bytes: half of 王 would be the 11th
    const std::string added = startAndRace(p, 5);
    expectOneBlock(added, {"张伟李娜王A", "张伟李娜王", "一二三四五", "A张伟李娜王", "AB张伟李娜"});
    // Nothing else may follow the cut names: no half character before the comma.
    for (const char* line : {"张伟李娜王,", "一二三四五,", "A张伟李娜王,", "AB张伟李娜,"})
        EXPECT_NE(added.find(std::string("\r\n") + line), std::string::npos) << line << "\n" << added;
    EXPECT_EQ(p.boxes().size(), 0u) << boxTexts(p);
    expectCleanEnd(p);
}

TEST(BadRoster, NamesWithCommaColonOrPathCharactersStayInsideTheDataFolder) {
    ProgramDriver p;
    const std::vector<std::string> names = {"张,伟", "李:娜", "..\\x", "../x", "..\\..\\x", "\\x"};
    std::string roster;
    for (const std::string& n : names) roster += n + "\r\n";
    p.write("data\\psn.txt", roster);
    ASSERT_TRUE(writeSolidPicture(p.path("data\\_face.jpg"), 300, 400, kGreen, L"image/jpeg"));
    // Where "..\x" and "..\..\x" would lead if a name were taken as a path.
    ASSERT_TRUE(writeSolidPicture(p.path("x.jpg"), 300, 400, kMagenta, L"image/jpeg"));
    ASSERT_TRUE(writeSolidPicture(p.path("..\\x.jpg"), 300, 400, kMagenta, L"image/jpeg"));
    const std::string outsideBefore = p.read("x.jpg") + p.read("..\\x.jpg");
    auto outsideData = [&] {
        std::vector<std::string> out;
        for (const std::string& f : p.listFiles())
            if (f.compare(0, 9, "app\\data\\") != 0) out.push_back(f);
        return out;
    };
    const std::vector<std::string> filesBefore = outsideData();

    const std::string added = startAndRace(p, (int)names.size());
    // A comma or colon written as it stands would split the line or make it
    // a header; their full-width forms keep the line a contestant's.
    const std::vector<Entry> race =
        expectOneBlock(added, {"张，伟", "李：娜", "..\\x", "../x", "..\\..\\x", "\\x"});
    std::string picturePath;
    const WeeklyRow row = weeklyRow(p.exportBoards(&picturePath), "张,伟");
    EXPECT_TRUE(row.found) << "no weekly row for 张,伟";
    if (!race.empty()) {
        EXPECT_EQ(row.ms, race[0].ms) << "the weekly board lost the race of 张,伟";
    }
    Pixels frame;
    ASSERT_TRUE(readPicture(picturePath, &frame)) << boxTexts(p);
    EXPECT_EQ(countPixels(frame, isMagenta), 0u) << "a picture from outside the data folder is shown";
    EXPECT_GT(countPixels(frame, isGreen), 1000u) << "the default photo is not shown";
    expectNoBoxButTheExport(p);
    expectCleanEnd(p);

    EXPECT_EQ(outsideData(), filesBefore);
    EXPECT_EQ(p.read("x.jpg") + p.read("..\\x.jpg"), outsideBefore);
}

// ---------------------------------------------------------------- records file

namespace {

// Runs a race on a records file that starts with `bytes` and checks the new
// block landed whole, on lines of its own, and that the weekly board read it
// back: 张伟's weekly time is the race's time plus `zhangWeiBefore` ms.
void raceOnRecords(const std::string& bytes, long zhangWeiBefore, DWORD startMs = 60000) {
    ProgramDriver p;
    p.write("data\\psn.txt", kTwoNames);
    p.write(kRecords, bytes);
    ASSERT_TRUE(p.start(startMs)) << boxTexts(p);
    EXPECT_EQ(p.listRows(), 2);
    std::string added = p.runShortRace();
    // After a file that ended inside a line, the block starts with a line
    // break of its own.
    if (!bytes.empty() && bytes.back() != '\n') {
        EXPECT_EQ(added.compare(0, 2, "\r\n"), 0) << "the new block is glued to the last line";
        added.erase(0, std::min<size_t>(2, added.size()));
    }
    const std::vector<Entry> race = expectOneBlock(added, {"张伟", "李娜"});
    const std::string file = p.read(kRecords);
    EXPECT_EQ(file.compare(0, bytes.size(), bytes), 0) << "the old contents were changed";
    expectBlockOnItsOwnLines(file, added);
    const WeeklyRow row = weeklyRow(p.exportBoards(), "张伟");
    EXPECT_TRUE(row.found) << "no weekly row for 张伟; boxes:\n" << boxTexts(p);
    if (!race.empty()) {
        EXPECT_EQ(row.ms, zhangWeiBefore + race[0].ms) << "the weekly board lost the race";
    }
    expectNoBoxButTheExport(p);
    expectCleanEnd(p);
}

// Holds the records file open with no sharing at all, as a spreadsheet that
// opened it might.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        for (int i = 0; i < 100 && h_ == INVALID_HANDLE_VALUE; ++i) {
            h_ = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (h_ == INVALID_HANDLE_VALUE) Sleep(50);  // the program may be reading it just now
        }
    }
    ~FileLock() { release(); }
    bool held() const { return h_ != INVALID_HANDLE_VALUE; }
    void release() {
        if (held()) CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
    }
    std::string contents() const {
        std::string bytes;
        LARGE_INTEGER zero = {};
        SetFilePointerEx(h_, zero, nullptr, FILE_BEGIN);
        char chunk[4096];
        DWORD got = 0;
        while (ReadFile(h_, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
        return bytes;
    }

private:
    HANDLE h_ = INVALID_HANDLE_VALUE;
};

// Starts a race and runs contestant `key` for about 300 ms, leaving the end
// of the race to the caller.
void runWithoutEnding(ProgramDriver& p, UINT key) {
    p.key(VK_RETURN);
    p.settle();
    p.key(key);
    p.settle();
    p.pause(300);
    p.key(key);
    p.settle();
}

}  // namespace

TEST(BadRecords, GarbageBeforeTheFirstRace) {
    raceOnRecords(pseudoRandomBytes(4096, 0xbad5eed), 0);
}

TEST(BadRecords, AFileCutOffInTheMiddleOfALine) {
    raceOnRecords(header(localNow()) + "张伟,1000,2\r\n李娜,15", 1000);
}

TEST(BadRecords, LinesOfAHundredThousandCharacters) {
    const LocalTime now = localNow();
    std::string bytes = header(now) + "张伟,1000,2\r\n";
    bytes += std::string(100000, 'A') + "\r\n";
    bytes += "张伟," + std::string(100000 - 5, '9') + "\r\n";  // a time of 99 997 digits
    std::string longName;
    while (longName.size() < 100000) longName += "张伟";
    bytes += longName + ",7,7\r\n";
    bytes += header(now) + "李娜,500,1\r\n";
    bytes += ":" + std::string(99999, 'B') + "\r\n";  // a header whose time cannot be read
    bytes += "张伟,300,1\r\n\r\n";                     // so this race does not count
    raceOnRecords(bytes, 1000);
}

TEST(BadRecords, NumbersBeyondThirtyTwoBitsAddNothing) {
    std::string bytes = header(localNow());
    bytes += "张伟,4294967296,5\r\n";
    bytes += "张伟,2147483648,5\r\n";
    bytes += "张伟,99999999999999999999,5\r\n";
    bytes += "张伟,-2147483649,5\r\n";
    bytes += "张伟,1000,2147483648\r\n";
    bytes += "张伟,1000,-99999999999\r\n";
    bytes += "李娜,700,4\r\n\r\n";
    raceOnRecords(bytes, 0);
}

TEST(BadRecords, SeveralMegabytesOfOldRacesAndGarbage) {
    std::string bytes = header(localNow()) + "张伟,1000,0\r\n李娜,2000,0\r\n\r\n";
    const std::string old = header(LocalTime{2020, 1, 6, 10, 0, 0}) + "张伟,5000,1\r\n李娜,6000,2\r\n\r\n";
    while (bytes.size() < 5 * 1024 * 1024) bytes += old;
    bytes += pseudoRandomBytes(64 * 1024, 77) + "\r\n";
    raceOnRecords(bytes, 1000);
}

namespace {

// Export again: the boxes and tables of the exports before are gone first,
// so that what is read is this export's.
std::string exportAfresh(ProgramDriver& p) {
    p.clearBoxes();
    p.remove("data\\export\\");
    return p.exportBoards();
}

LocalTime daysBefore(const LocalTime& t, int days) {
    return fromSerialSeconds(toSerialSeconds(t) - days * 86400LL);
}

}  // namespace

// The operator corrects a wrong time with an editor while the program runs:
// same length, far from the start of the file.
TEST(BadRecords, AResultCorrectedInPlaceShowsAtTheNextRefresh) {
    const LocalTime now = localNow();
    std::string bytes;
    for (int week = 5; week >= 1; --week)
        bytes += header(daysBefore(now, 7 * week)) + "张伟,10000,1\r\n李娜,12000,2\r\n\r\n";
    bytes += header(now) + "张伟,16000,0\r\n李娜,21000,0\r\n\r\n";
    ProgramDriver p;
    p.write("data\\psn.txt", kTwoNames);
    p.write(kRecords, bytes);
    ageFile(p.path(kRecords));
    ASSERT_TRUE(p.start()) << boxTexts(p);
    EXPECT_EQ(weeklyRow(p.exportBoards(), "张伟").ms, 16000);

    const size_t at = bytes.rfind("16000");
    ASSERT_GT(at, 256u);
    HANDLE f = CreateFileA(p.path(kRecords).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    SetFilePointer(f, (LONG)at, nullptr, FILE_BEGIN);
    DWORD written = 0;
    WriteFile(f, "61000", 5, &written, nullptr);
    CloseHandle(f);
    ASSERT_EQ(p.read(kRecords).size(), bytes.size());

    p.key('0');  // clear data: the roster again and a refresh
    p.settle();
    EXPECT_EQ(weeklyRow(exportAfresh(p), "张伟").ms, 61000);
    expectNoBoxButTheExport(p);
    expectCleanEnd(p);
}

// Made with a real spreadsheet from a records file in code page 936 (four
// races, the last one this week):
//   soffice --headless --infilter="CSV:44,34,65,1"
//           --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76' records.csv
// It wrote UTF-8 without a mark, LF line ends, a trailing comma on every
// header line, ",," for each empty line, and dropped the last empty line.
// The time stamps are moved to the weeks around the day the test runs.
const char kSpreadsheetSaved[] =
    "\xE8\xAE\xA1\xE6\x97\xB6\xE8\xB5\x9B,2026-11-17 09:00:00,\n"
    "\xE5\xBC\xA0\xE4\xBC\x9F,10000,1\n"
    "\xE6\x9D\x8E\xE5\xA8\x9C,12000,2\n"
    ",,\n"
    "\xE9\x9A\x9C\xE7\xA2\x8D\xE8\xB5\x9B,2026-11-24 09:30:00,\n"
    "\xE5\xBC\xA0\xE4\xBC\x9F,11000,4\n"
    "\xE6\x9D\x8E\xE5\xA8\x9C,13000,1\n"
    ",,\n"
    "\xE8\xAE\xA1\xE6\x97\xB6\xE8\xB5\x9B,2026-12-01 09:00:00,\n"
    "\xE5\xBC\xA0\xE4\xBC\x9F,9000,0\n"
    "\xE6\x9D\x8E\xE5\xA8\x9C,8880000,0\n"
    ",,\n"
    "\xE9\x9A\x9C\xE7\xA2\x8D\xE8\xB5\x9B,2026-12-08 10:05:07,\n"
    "\xE5\xBC\xA0\xE4\xBC\x9F,16000,3\n"
    "\xE6\x9D\x8E\xE5\xA8\x9C,21000,2\n";

TEST(BadRecords, AFileSavedAgainByASpreadsheetAsUtf8StillCountsAndStaysUtf8) {
    std::string bytes = kSpreadsheetSaved;
    const LocalTime now = localNow();
    const std::pair<const char*, LocalTime> stamps[] = {{"2026-11-17 09:00:00", daysBefore(now, 21)},
                                                        {"2026-11-24 09:30:00", daysBefore(now, 14)},
                                                        {"2026-12-01 09:00:00", daysBefore(now, 7)},
                                                        {"2026-12-08 10:05:07", now}};
    for (const auto& [old, when] : stamps) bytes.replace(bytes.find(old), 19, formatTimeStamp(when));
    ProgramDriver p;
    p.write("data\\psn.txt", kTwoNames);
    p.write(kRecords, bytes);
    ASSERT_TRUE(p.start()) << boxTexts(p);
    EXPECT_EQ(weeklyRow(p.exportBoards(), "张伟").ms, 16000) << "this week's race read from UTF-8";

    const std::string added = p.runShortRace();
    const std::string file = p.read(kRecords);
    EXPECT_EQ(file.compare(0, bytes.size(), bytes), 0) << "the old contents were changed";
    // One encoding for the whole file: the block is UTF-8 too.
    EXPECT_TRUE(isValidUtf8(added)) << added;
    EXPECT_NE(added.find("\xE5\xBC\xA0\xE4\xBC\x9F,"), std::string::npos) << added;
    const std::vector<Entry> race = expectOneBlock(fileTextToAnsi(added, TextEncoding::Utf8), {"张伟", "李娜"});
    const WeeklyRow row = weeklyRow(exportAfresh(p), "张伟");
    ASSERT_FALSE(race.empty());
    EXPECT_EQ(row.ms, 16000 + race[0].ms) << "the races before it no longer count";
    EXPECT_EQ(row.score, 3);
    expectNoBoxButTheExport(p);
    expectCleanEnd(p);
}

TEST(BadRecords, LockedAtTheEndOfARaceIsToldAndWrittenLater) {
    ProgramDriver p;
    p.write("data\\psn.txt", kTwoNames);
    int retryBoxes = 0;
    // Retry once while the file is still held, then Cancel.
    p.setAnswer([&](const ShownBox& b) {
        if (!b.hasRetry) return IDOK;
        return ++retryBoxes == 1 ? IDRETRY : IDCANCEL;
    });
    ASSERT_TRUE(p.start()) << boxTexts(p);
    runWithoutEnding(p, '1');
    FileLock lock(p.path(kRecords));
    ASSERT_TRUE(lock.held());
    p.key(VK_OEM_PERIOD);
    ASSERT_TRUE(p.waitUntil([&] { return retryBoxes >= 2; }, 15000))
        << "expected a Retry/Cancel box, and another after Retry; boxes:\n" << boxTexts(p);
    for (const ShownBox& b : p.boxes()) {
        EXPECT_TRUE(b.hasRetry && b.hasCancel) << b.text;
        EXPECT_NE(b.text.find(p.path(kRecords)), std::string::npos) << "the box does not name the file:\n"
                                                                    << b.text;
    }
    EXPECT_EQ(lock.contents(), "") << "something was written past the lock";
    lock.release();
    EXPECT_TRUE(p.responsive());

    // The next race's end writes the kept block first, then its own.
    const std::string added = p.runShortRace('2', 2);
    const std::vector<std::string> lines = crlfLines(added);
    ASSERT_EQ(lines.size(), 8u) << added;
    expectOneBlock(added.substr(0, added.find("\r\n\r\n") + 4), {"张伟", "李娜"}, 0);
    expectOneBlock(added.substr(added.find("\r\n\r\n") + 4), {"张伟", "李娜"}, 1);
    EXPECT_EQ(p.read(kRecords), added);
    EXPECT_EQ(retryBoxes, 2) << boxTexts(p);
    expectCleanEnd(p);
}

TEST(BadRecords, LockedWhenTheProgramClosesListsTheUnwrittenLines) {
    for (bool releaseAtTheLastWarning : {false, true}) {
        SCOPED_TRACE(releaseAtTheLastWarning ? "released while the last warning is up" : "held to the end");
        ProgramDriver p;
        p.write("data\\psn.txt", kTwoNames);
        ASSERT_TRUE(p.start()) << boxTexts(p);
        runWithoutEnding(p, '1');
        FileLock lock(p.path(kRecords));
        ASSERT_TRUE(lock.held());
        std::string lastWarning;
        p.setAnswer([&](const ShownBox& b) {
            if (b.hasRetry) return IDCANCEL;
            lastWarning = b.text;
            if (releaseAtTheLastWarning) lock.release();
            return IDOK;
        });
        p.key(VK_OEM_PERIOD);
        ASSERT_TRUE(p.waitForBox("_records.csv", 15000)) << boxTexts(p);
        const Ending end = p.close();
        EXPECT_TRUE(end.clean()) << end.describe() << "\n" << boxTexts(p);

        EXPECT_NE(lastWarning.find(p.path(kRecords)), std::string::npos) << lastWarning;
        EXPECT_NE(lastWarning.find("计时赛,"), std::string::npos) << lastWarning;
        EXPECT_NE(lastWarning.find("张伟,"), std::string::npos) << lastWarning;
        EXPECT_NE(lastWarning.find("李娜,8880000,0"), std::string::npos) << lastWarning;
        lock.release();
        const std::string file = p.read(kRecords);
        if (releaseAtTheLastWarning) {
            // The way out is one more chance to write it.
            expectOneBlock(file, {"张伟", "李娜"});
        } else {
            EXPECT_EQ(file, "");
        }
    }
}

// ---------------------------------------------------------------- pictures

TEST(BadPictures, Missing) {
    for (const char* picture : kPictures)
        raceWithOneBadPicture(picture,
                              [](const ProgramDriver& p, const std::string& name) { p.remove(name); });
}

TEST(BadPictures, Empty) {
    for (const char* picture : kPictures)
        raceWithOneBadPicture(picture,
                              [](const ProgramDriver& p, const std::string& name) { p.write(name, ""); });
}

TEST(BadPictures, CorruptOrCutShort) {
    for (const char* picture : kPictures)
        raceWithOneBadPicture(picture, [](const ProgramDriver& p, const std::string& name) {
            p.write(name, pseudoRandomBytes(4096, 0xfeed));
        });
    for (const char* picture : kPictures)
        raceWithOneBadPicture(picture, [](const ProgramDriver& p, const std::string& name) {
            const std::string whole = p.read(name);
            p.write(name, whole.substr(0, whole.size() / 3));  // the header and a third of the data
        });
}

TEST(BadPictures, TenThousandByTenThousandPixels) {
    for (const char* picture : kPictures)
        raceWithOneBadPicture(picture, [](const ProgramDriver& p, const std::string& name) {
            ASSERT_TRUE(writeHugeIndexedPng(p.path(name), 10000, 10000));
        });
}

// Whatever picture is chosen as a child's photo in 名单: a JPEG at most 600
// pixels high, white where it was transparent, or a reason why not.
TEST(BadPictures, PhotosChosenInTheClassListBecomeJpegsAtMostSixHundredHigh) {
    ScratchFolder dir;
    ASSERT_TRUE(writeSolidPicture(dir.file("big.png"), 900, 1200, 0x00000000, L"image/png"));
    ASSERT_TRUE(writeSolidPicture(dir.file("small.jpg"), 400, 300, 0xFFE00000, L"image/jpeg"));
    dir.write("garbage.jpg", pseudoRandomBytes(4096, 0xfeed));
    struct Case {
        const char* source;
        int width, height;
        uint32_t centre;
    };
    for (const Case& c : {Case{"big.png", 450, 600, 0xFFFFFF}, Case{"small.jpg", 400, 300, 0xE00000},
                          Case{"garbage.jpg", 0, 0, 0}}) {
        std::string jpeg, reason;
        const bool made = photoAsJpeg(toWide(dir.file(c.source)), &jpeg, &reason);
        ASSERT_EQ(made, c.width != 0) << c.source << ": " << reason;
        if (!made) {
            EXPECT_NE(reason.find("不是能识别的图片"), std::string::npos) << reason;
            continue;
        }
        dir.write("photo.jpg", jpeg);
        Pixels photo;
        ASSERT_TRUE(readPicture(dir.file("photo.jpg"), &photo)) << c.source;
        EXPECT_EQ(photo.width * 10000 + photo.height, c.width * 10000 + c.height) << c.source;
        const uint32_t centre = photo.argb[(size_t)photo.height / 2 * photo.width + photo.width / 2];
        for (int shift : {0, 8, 16})
            EXPECT_NEAR((int)(centre >> shift & 0xFF), (int)(c.centre >> shift & 0xFF), 4) << c.source;
    }
}

// ---------------------------------------------------------------- the folder

// Whatever else lies where the zip was unpacked: a DLL named like GDI+ beside
// the exe is never loaded in its place. Windows looks beside the exe first
// for a DLL that is not one of its known DLLs; Wine is told to do the same.
TEST(BadFolder, ADummyGdiplusDllBesideTheExeIsNeverLoaded) {
    ProgramDriver p;
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dummy = self;
    dummy = dummy.substr(0, dummy.find_last_of('\\') + 1) + "dummy-gdiplus.dll";
    ASSERT_TRUE(CopyFileA(dummy.c_str(), p.path("gdiplus.dll").c_str(), FALSE)) << dummy;
    p.write("data\\psn.txt", kTwoNames);
    const bool underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    char saved[512] = {};
    GetEnvironmentVariableA("WINEDLLOVERRIDES", saved, sizeof saved);
    if (underWine) SetEnvironmentVariableA("WINEDLLOVERRIDES", "mscoree,mshtml=;gdiplus=n,b");
    const std::string added = startAndRace(p, 2);
    SetEnvironmentVariableA("WINEDLLOVERRIDES", saved[0] ? saved : nullptr);
    expectOneBlock(added, {"张伟", "李娜"});
    EXPECT_NE(p.outputWindow(), nullptr);
    expectCleanEnd(p);
}

// ---------------------------------------------------------------- settings

TEST(BadSettings, MissingEmptyOrGarbageIniFallsBackToDefaults) {
    const std::string kinds[] = {"missing", "empty", "garbage"};
    for (const std::string& kind : kinds) {
        SCOPED_TRACE(kind);
        ProgramDriver p;
        p.write("data\\psn.txt", kTwoNames);
        if (kind == "empty") p.write("Trackvane.ini", "");
        if (kind == "garbage") p.write("Trackvane.ini", pseudoRandomBytes(4096, 99));
        const std::string added = startAndRace(p, 2);
        EXPECT_EQ(p.caption(), "Trackvane（计时赛）");
        for (const Entry& e : expectOneBlock(added, {"张伟", "李娜"})) EXPECT_EQ(e.score, 0);
        const OutputSize size = outputSize(p);
        EXPECT_EQ(size.w, 1280);
        EXPECT_EQ(size.h, 720);
        EXPECT_EQ(p.boxes().size(), 0u) << boxTexts(p);
        expectCleanEnd(p);
    }
}

TEST(BadSettings, ValuesOutOfRangeOrOfTheWrongType) {
    std::string longTitle;
    while (longTitle.size() < 10000) longTitle += "运动";  // 5000 characters
    struct Case {
        const char* what;
        std::string ini;
        const char* caption;
    };
    const Case cases[] = {
        {"wrong types",
         "[Trackvane]\r\nwidth=abc\r\nheight=-5\r\nclrStr=zz\r\nclrDigi=GGGGGGGG\r\nisZhangai=maybe\r\n"
         "scoreInit=99999999999\r\nscoreStep=x\r\n",
         "Trackvane（计时赛）"},
        {"title and tips of 5000 characters",
         "[Trackvane]\r\nraceTitle=" + longTitle + "\r\ntips=" + longTitle + "\r\n", "Trackvane（计时赛）"},
        {"zero size", "[Trackvane]\r\nwidth=0\r\nheight=0\r\n", "Trackvane（计时赛）"},
        {"huge size", "[Trackvane]\r\nwidth=100000\r\nheight=100000\r\n", "Trackvane（计时赛）"},
        {"negative width, obstacle race",
         "[Trackvane]\r\nwidth=-1280\r\nheight=720\r\nisZhangai=1\r\nscoreInit=2147483648\r\n",
         "Trackvane（障碍赛）"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramDriver p;
        p.write("data\\psn.txt", kTwoNames);
        p.write("Trackvane.ini", c.ini);
        const std::string added = startAndRace(p, 2);
        EXPECT_EQ(p.caption(), c.caption);
        const std::string mode = std::string(c.caption).substr(std::string("Trackvane（").size(), 6);
        // A number that does not fit is not a score: the default 0 stands.
        for (const Entry& e : expectOneBlock(added, {"张伟", "李娜"}, 0, mode)) EXPECT_EQ(e.score, 0);
        // The size the options dialog would accept, or the scoreboard is lost.
        const OutputSize size = outputSize(p);
        EXPECT_TRUE(size.w >= 100 && size.w <= 8000 && size.h >= 100 && size.h <= 3000)
            << "audience window " << size.w << " x " << size.h;
        std::string picturePath;
        p.exportBoards(&picturePath);
        Pixels frame;
        EXPECT_TRUE(readPicture(picturePath, &frame)) << "no scoreboard picture; boxes:\n" << boxTexts(p);
        expectNoBoxButTheExport(p);
        expectCleanEnd(p);
    }
}

TEST(BadSettings, ATitleFontThatIsNotInstalledStillShowsTheTitle) {
    for (const char* font : {"NoSuchFont字体", ""}) {
        SCOPED_TRACE(std::string("fontTitle=") + font);
        ProgramDriver p;
        p.write("data\\psn.txt", kTwoNames);
        p.write("Trackvane.ini", std::string("[Trackvane]\r\nfontTitle=") + font + "\r\n");
        expectOneBlock(startAndRace(p, 2), {"张伟", "李娜"});
        std::string picturePath;
        p.exportBoards(&picturePath);
        Pixels frame;
        ASSERT_TRUE(readPicture(picturePath, &frame)) << boxTexts(p);
        ASSERT_EQ(frame.width, 1280);
        // The default title, centred near the top in white on nothing.
        size_t lit = 0;
        for (int y = 15; y < 110; ++y)
            for (int x = 400; x < 880; ++x) {
                const uint32_t c = frame.argb[(size_t)y * frame.width + x];
                lit += (c >> 24) > 200 && (c >> 16 & 0xFF) > 200 && (c >> 8 & 0xFF) > 200 && (c & 0xFF) > 200;
            }
        EXPECT_GT(lit, 500u) << "no title drawn";
        expectNoBoxButTheExport(p);
        expectCleanEnd(p);
    }
}


// The records file read a piece at a time must give the weekly board exactly
// what reading the whole file gives: after appends, half-written lines,
// edits in place, truncation, replacement, the week rolling over, and a file
// saved again as UTF-8.
#include "output/RecordsFile.h"

#include "core/Core.h"
#include "output/TermBoard.h"
#include "framework/Handles.h"
#include "tests/win/WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

const LocalTime kNow = {2026, 12, 9, 18, 0, 0};  // a Wednesday

std::string block(const char* stamp, int t1, int t2) {
    return std::string("计时赛,") + stamp + "\r\n张伟," + std::to_string(t1) + ",3\r\n李娜," +
           std::to_string(t2) + ",5\r\n\r\n";
}

class RecordsFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(roster, 0, sizeof roster);
        std::strcpy(roster[0].name, "张伟");
        std::strcpy(roster[1].name, "李娜");
        path = dir.file("r.csv");
    }

    // The board as a whole read of the file's present bytes gives it.
    void expectSameAsWholeRead(const LocalTime& now) {
        Contestant piecewise[MAX_CONTESTANTS];
        Contestant whole[MAX_CONTESTANTS];
        ASSERT_EQ(file.update(path), RecordsFile::Read::Done);
        const bool a = file.sumWeek(now, roster, 2, piecewise);
        RecordsIndex index;
        index.feed(dir.read("r.csv"));
        index.finish();
        const bool b = index.sumWeek(now, roster, 2, whole);
        EXPECT_EQ(a, b);
        for (int i = 0; i < 2; ++i) {
            EXPECT_STREQ(piecewise[i].name, whole[i].name);
            EXPECT_EQ(piecewise[i].elapsedMs, whole[i].elapsedMs) << i;
            EXPECT_EQ(piecewise[i].score, whole[i].score) << i;
            EXPECT_EQ(piecewise[i].place, whole[i].place) << i;
        }
    }

    // The board of the file as `gbk`, the same text in code page 936, gives it.
    void expectBoardOf(const std::string& gbk) {
        Contestant piecewise[MAX_CONTESTANTS];
        Contestant whole[MAX_CONTESTANTS];
        ASSERT_EQ(file.update(path), RecordsFile::Read::Done);
        const bool a = file.sumWeek(kNow, roster, 2, piecewise);
        RecordsIndex index;
        index.feed(gbk);
        index.finish();
        EXPECT_EQ(a, index.sumWeek(kNow, roster, 2, whole));
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(piecewise[i].elapsedMs, whole[i].elapsedMs) << i;
            EXPECT_EQ(piecewise[i].score, whole[i].score) << i;
        }
        EXPECT_GT(whole[0].elapsedMs, 0);
    }

    // 张伟's (i = 0) or 李娜's (1) weekly time as the file gives it now.
    int32_t sumOf(int i) {
        Contestant totals[MAX_CONTESTANTS];
        file.sumWeek(kNow, roster, 2, totals);
        return totals[i].elapsedMs;
    }

    void append(const std::string& bytes) {
        std::string now = dir.read("r.csv");
        dir.write("r.csv", now + bytes);
    }

    ScratchFolder dir;
    std::string path;
    Contestant roster[MAX_CONTESTANTS];
    RecordsFile file;
};

TEST_F(RecordsFileTest, AppendsAreReadAloneAndGiveTheSameBoard) {
    dir.write("r.csv", block("2026-12-07 09:00:00", 10000, 12000));
    expectSameAsWholeRead(kNow);
    EXPECT_TRUE(file.lastReadWasWhole());
    append(block("2026-12-08 09:00:00", 9000, 8880000));
    expectSameAsWholeRead(kNow);
    EXPECT_FALSE(file.lastReadWasWhole());
}

TEST_F(RecordsFileTest, AHalfWrittenLastLineCountsOnlyAsItStands) {
    dir.write("r.csv", block("2026-12-07 09:00:00", 10000, 12000) + "计时赛,2026-12-08 10:00:00\r\n张伟,70");
    expectSameAsWholeRead(kNow);
    append("00,1\r\n李娜,1,1\r\n");
    expectSameAsWholeRead(kNow);
    EXPECT_FALSE(file.lastReadWasWhole());
    // Cut between CR and LF: the CR alone already ends the line.
    append("张伟,5,1\r");
    expectSameAsWholeRead(kNow);
    EXPECT_EQ(sumOf(0), 17005);
    append("\n李娜,2,1\r\n");
    expectSameAsWholeRead(kNow);
    EXPECT_FALSE(file.lastReadWasWhole());
}


TEST_F(RecordsFileTest, AnEditInPlaceAnywhereIsSeenAndAFileLeftAloneIsNotRead) {
    std::string bytes;
    for (int day = 2; day <= 6; ++day) {
        const std::string stamp = "2026-11-0" + std::to_string(day) + " 09:00:00";
        bytes += block(stamp.c_str(), 10000 + day, 20000);
    }
    bytes += block("2026-12-08 09:00:00", 16000, 12000);
    dir.write("r.csv", bytes);
    ageFile(path);
    expectSameAsWholeRead(kNow);
    EXPECT_EQ(sumOf(0), 16000);
    ASSERT_EQ(file.update(path), RecordsFile::Read::Done);
    EXPECT_EQ(file.lastBytesRead(), 0u) << "a file nobody touched was read again";

    // A wrong result corrected in an editor: same length, far from the start.
    const size_t at = bytes.rfind("16000");
    ASSERT_GT(at, 256u);
    {
        ScopedFile f(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(f);
        LARGE_INTEGER offset;
        offset.QuadPart = (LONGLONG)at;
        DWORD written = 0;
        SetFilePointerEx(f.get(), offset, nullptr, FILE_BEGIN);
        ASSERT_TRUE(WriteFile(f.get(), "61000", 5, &written, nullptr));
    }
    expectSameAsWholeRead(kNow);
    EXPECT_TRUE(file.lastReadWasWhole());
    EXPECT_EQ(sumOf(0), 61000);
}

// What a spreadsheet makes of the file when the operator saves it again as
// UTF-8, and what is appended after that.
TEST_F(RecordsFileTest, AFileSavedAgainAsUtf8MatchesTheRosterAsText) {
    CCore c;
    const std::string older = block("2026-12-07 09:00:00", 10000, 12000);
    const std::string week = older + block("2026-12-08 09:00:00", 9000, 8000);
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        SCOPED_TRACE(mark.empty() ? "without a mark" : "with a mark");
        RecordsFile fresh;
        std::swap(file, fresh);
        dir.write("r.csv", mark + c.ansiToUtf8(older));
        expectBoardOf(older);
        EXPECT_EQ(file.encoding(), TextEncoding::Utf8);
        append(c.ansiToUtf8(block("2026-12-08 09:00:00", 9000, 8000)));
        expectBoardOf(week);
        EXPECT_FALSE(file.lastReadWasWhole());
        // A block an older version appended in code page 936 still counts.
        append(block("2026-12-08 10:00:00", 1, 1));
        expectBoardOf(week + block("2026-12-08 10:00:00", 1, 1));
        // The term board names its children as the weekly board does.
        const LocalTime from{2026, 12, 7, 0, 0, 0};
        EXPECT_EQ(termTable(computeTermBoard(dir.read("r.csv"), from, kNow, false, fileTextToAnsi)),
                  termTable(computeTermBoard(week + block("2026-12-08 10:00:00", 1, 1), from, kNow, false,
                                             fileTextToAnsi)));
        EXPECT_EQ(computeTermBoard(dir.read("r.csv"), from, kNow, false, fileTextToAnsi).rows[0].name, "李娜");
    }
}

TEST_F(RecordsFileTest, ATruncatedOrRewrittenFileIsReadAgainWhole) {
    dir.write("r.csv", block("2026-12-07 09:00:00", 10000, 12000) + block("2026-12-08 09:00:00", 1, 2));
    expectSameAsWholeRead(kNow);
    dir.write("r.csv", block("2026-12-07 09:00:00", 10000, 12000));  // shorter
    expectSameAsWholeRead(kNow);
    EXPECT_TRUE(file.lastReadWasWhole());
    // Same length, another beginning.
    dir.write("r.csv", block("2026-12-07 09:00:00", 20000, 22000));
    expectSameAsWholeRead(kNow);
    EXPECT_TRUE(file.lastReadWasWhole());
}

TEST_F(RecordsFileTest, AFileReplacedByAnotherIsReadAgainWhole) {
    dir.write("r.csv", block("2026-12-07 09:00:00", 10000, 12000));
    expectSameAsWholeRead(kNow);
    DeleteFileA(path.c_str());
    // Whether or not the system hands out the same file id again, the board
    // is that of the new file.
    dir.write("r.csv", block("2026-12-07 09:00:00", 10000, 12000) + block("2026-12-08 09:00:00", 5, 6));
    expectSameAsWholeRead(kNow);
    DeleteFileA(path.c_str());
    EXPECT_EQ(file.update(path), RecordsFile::Read::Missing);
}

TEST_F(RecordsFileTest, TheWeekRollsOverAndAClockSetBackSeesTheOldWeekAgain) {
    dir.write("r.csv", block("2026-12-01 09:00:00", 10000, 12000) + block("2026-12-08 09:00:00", 1, 2));
    expectSameAsWholeRead({2026, 12, 2, 9, 0, 0});
    expectSameAsWholeRead(kNow);           // last week's race is gone
    expectSameAsWholeRead({2026, 12, 3, 9, 0, 0});  // and back again
}

TEST_F(RecordsFileTest, AFileHeldExclusivelyCannotBeRead) {
    dir.write("r.csv", block("2026-12-07 09:00:00", 10000, 12000));
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    EXPECT_EQ(file.update(path), RecordsFile::Read::Unreadable);
    CloseHandle(lock);
    expectSameAsWholeRead(kNow);
}

}  // namespace

// The records file read a piece at a time must give the weekly board exactly
// what reading the whole file gives: after appends, half-written lines,
// truncation, replacement, and the week rolling over.
#include "output/RecordsFile.h"
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

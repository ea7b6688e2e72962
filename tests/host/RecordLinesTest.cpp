#include "race/RecordLines.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

Contestant racer(const char* name, int32_t elapsedMs, int32_t score) {
    Contestant c{};
    std::strncpy(c.name, name, sizeof c.name - 1);
    c.elapsedMs = elapsedMs;
    c.score = score;
    return c;
}

}  // namespace

TEST(RecordLines, ABlockIsHeaderContestantsAndAnEmptyLine) {
    const Contestant table[] = {racer("A", 65432, 10), racer("B", NO_TIME, 0),
                                racer("C", 0, -4)};
    const std::vector<std::string> block =
        raceRecordBlock("\xD5\xCF\xB0\xAD\xC8\xFC", "2026-12-08 21:28:23", table, 3);
    EXPECT_EQ(block, (std::vector<std::string>{"\xD5\xCF\xB0\xAD\xC8\xFC,2026-12-08 21:28:23",
                                               "A,65432,10", "B,8880000,0", "C,0,-4", ""}));
    EXPECT_EQ(raceRecordBlock("m", "s", table, 0), (std::vector<std::string>{"m,s", ""}));
}

TEST(RecordLines, WrittenLinesReadBackAsWhatTheyWere) {
    const RecordLine header = classifyRecordLine(recordHeaderLine("m", "2026-12-08 21:28:23"));
    ASSERT_EQ(header.kind, RecordLine::Header);
    ASSERT_TRUE(header.timeValid);
    EXPECT_EQ(formatTimeStamp(header.raceTime), "2026-12-08 21:28:23");

    const RecordLine line = classifyRecordLine(recordContestantLine(racer("\xC0\xEE", -5, INT32_MIN)));
    ASSERT_EQ(line.kind, RecordLine::Contestant);
    EXPECT_EQ(line.name, "\xC0\xEE");
    EXPECT_EQ(line.elapsedMs, -5);
    EXPECT_EQ(line.score, INT32_MIN);
}

TEST(RecordLines, ReaderTellsLineKindsApart) {
    EXPECT_EQ(classifyRecordLine("").kind, RecordLine::Empty);
    EXPECT_EQ(classifyRecordLine("\r").kind, RecordLine::Empty);
    EXPECT_EQ(classifyRecordLine("A,65432,10\r").kind, RecordLine::Contestant);
    EXPECT_EQ(classifyRecordLine("A,65432,10,extra").kind, RecordLine::Contestant);
    // A colon anywhere makes a header, even in a name; a bad stamp is flagged.
    const RecordLine nameWithColon = classifyRecordLine("Li:Wei,65432,10");
    EXPECT_EQ(nameWithColon.kind, RecordLine::Header);
    EXPECT_FALSE(nameWithColon.timeValid);
    EXPECT_FALSE(classifyRecordLine("m,2026-02-30 10:00:00").timeValid);
    EXPECT_FALSE(classifyRecordLine("m:2026-12-08 10:00:00").timeValid);
    for (const char* bad : {"A", "A,65432", "A,65432,", "A,,10", "A,65432,10x", "A,65 432,10",
                            "A,2147483648,1", "A,1,-2147483649", "Li,Wei,65432,10", "A,1,2\r\r"}) {
        EXPECT_EQ(classifyRecordLine(bad).kind, RecordLine::Bad) << bad;
    }
}

TEST(RecordLines, LinesASpreadsheetWroteBackReadAsTheyWere) {
    for (const char* empty : {",", ",,", ",,,\r"})
        EXPECT_EQ(classifyRecordLine(empty).kind, RecordLine::Empty) << empty;
    EXPECT_EQ(classifyRecordLine(", ,").kind, RecordLine::Bad);
    const RecordLine header = classifyRecordLine("m,2026-12-09 01:27:41,");
    ASSERT_EQ(header.kind, RecordLine::Header);
    EXPECT_TRUE(header.timeValid);
    const RecordLine calc = classifyRecordLine("m,2026/12/9 10:05,");
    ASSERT_TRUE(calc.timeValid);
    EXPECT_EQ(formatTimeStamp(calc.raceTime), "2026-12-09 10:05:00");
    const RecordLine line = classifyRecordLine("A,16000,0,");
    ASSERT_EQ(line.kind, RecordLine::Contestant);
    EXPECT_EQ(line.elapsedMs, 16000);
}

TEST(RecordLines, VeryLongLinesAreReadWithoutLimits) {
    const std::string longName(100000, 'n');
    const RecordLine line = classifyRecordLine(longName + ",1,2");
    ASSERT_EQ(line.kind, RecordLine::Contestant);
    EXPECT_EQ(line.name.size(), 100000u);
    EXPECT_EQ(classifyRecordLine("A,1," + std::string(100000, '9')).kind, RecordLine::Bad);
    EXPECT_EQ(classifyRecordLine(std::string(100000, ',')).kind, RecordLine::Empty);
    EXPECT_EQ(classifyRecordLine(std::string(100000, ':')).kind, RecordLine::Header);
}

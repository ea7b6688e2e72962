#include "records/Ranking.h"
#include "records/RecordsIndex.h"
#include "output/Honours.h"
#include "output/TermBoard.h"
#include "records/RecordLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Places = std::vector<int>;

struct Entry {
    int32_t elapsedMs;
    int32_t score;
};

std::vector<Contestant> tableOf(const std::vector<Entry>& entries) {
    std::vector<Contestant> table(MAX_CONTESTANTS);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        table[i].elapsedMs = entries[i].elapsedMs;
        table[i].score = entries[i].score;
        table[i].placed = 1;  // left over from an earlier run
        table[i].place = 99;
    }
    return table;
}

Places placesOf(const std::vector<Contestant>& table, std::size_t count) {
    Places places;
    for (std::size_t i = 0; i < count; ++i) places.push_back(table[i].place);
    return places;
}

Places placedResults(const std::vector<Entry>& entries, bool obstacle) {
    std::vector<Contestant> table = tableOf(entries);
    placeResults(table.data(), static_cast<int>(entries.size()), obstacle);
    return placesOf(table, entries.size());
}

}  // namespace

TEST(Placing, TimeTrialShortestFirstEqualTimesShareAndNoTimeComesLast) {
    EXPECT_EQ(placedResults({{61000, 0}, {59000, 0}, {NO_TIME, 0}, {59000, 0}}, false),
              (Places{2, 1, 3, 1}));
    EXPECT_EQ(placedResults({{5, 9}, {5, -9}}, false), (Places{1, 1})) << "scores ignored";
}

TEST(Placing, ObstacleRaceByScoreThenTime) {
    EXPECT_EQ(placedResults({{70000, 10}, {90000, 12}, {65000, 10}, {70000, 10}}, true),
              (Places{3, 1, 2, 3}));
    EXPECT_EQ(placedResults({{1, 5}, {1, -3}, {1, 0}}, true), (Places{1, 3, 2}));
    EXPECT_EQ(placedResults({{1, -5}}, true), (Places{1}));
    EXPECT_EQ(placedResults({{9, INT32_MIN}, {1, INT32_MAX}, {1, INT32_MIN}}, true),
              (Places{3, 1, 2}));
}

TEST(Placing, TimesAtOrBeyondTheCeilingStillGetPlacesInOrder) {
    const int32_t ceiling = static_cast<int32_t>(TIME_CEILING);
    const std::vector<Entry> entries{{ceiling + 5, 0}, {1000, 0}, {ceiling, 0}, {ceiling, 0}, {-1, 0}};
    EXPECT_EQ(placedResults(entries, false), (Places{3, 1, 2, 2, 4}));
    EXPECT_EQ(placedResults(entries, true), (Places{3, 1, 2, 2, 4}));
}

TEST(Placing, WeeklyPlacesOnlyWhoRanThenScoreThenMoreRacesThenTheSmallerSum) {
    struct Case {
        std::vector<Entry> entries;
        std::vector<int> races;
        Places places;
        const char* why;
    };
    const Case cases[] = {
        {{{0, 0}, {130000, 0}, {50000, 0}, {1000, 0}}, {0, 2, 1, 1}, {0, 1, 3, 2},
         "no race: no place; equal scores: more races, then the smaller sum"},
        {{{0, 0}, {0, 0}}, {0, 0}, {0, 0}, "nobody ran"},
        {{{1000, 7}, {500, 9}}, {2, 1}, {2, 1}, "scores differ: the score decides"},
        {{{70000, 10}, {90000, 12}, {65000, 10}, {70000, 10}}, {1, 1, 1, 1}, {3, 1, 2, 3},
         "one race each: by score, then time, as the race itself"},
        {{{1, 5}, {1, -3}, {1, 0}}, {3, 3, 3}, {1, 3, 2}, "negative scores below zero"},
        {{{5, 0}, {5, 0}, {4, 0}}, {2, 2, 1}, {1, 1, 2}, "equal in all three share a place"},
    };
    for (const Case& c : cases) {
        std::vector<Contestant> table = tableOf(c.entries);
        placeWeekly(table.data(), c.races.data(), static_cast<int>(c.entries.size()));
        EXPECT_EQ(placesOf(table, c.entries.size()), c.places) << c.why;
        for (std::size_t i = 0; i < c.entries.size(); ++i)
            EXPECT_EQ(table[i].placed, c.races[i] > 0 ? 1 : 0) << c.why << ", entry " << i;
    }
}

TEST(Placing, NothingToPlaceLeavesTheTableAlone) {
    std::vector<Contestant> table = tableOf({{1, 1}});
    placeResults(table.data(), 0, false);
    placeByScore(table.data(), 0);
    EXPECT_EQ(table[0].place, 99);
}

namespace {

const LocalTime TUESDAY{2026, 12, 8, 21, 28, 23};

struct Week {
    bool hasWeeklyData;
    std::vector<Contestant> totals;
};

std::vector<Contestant> rosterOf(const std::vector<std::string>& names) {
    std::vector<Contestant> roster(MAX_CONTESTANTS);
    for (std::size_t i = 0; i < names.size(); ++i) std::strcpy(roster[i].name, names[i].c_str());
    return roster;
}

Week sumWeekOf(const std::string& file, const std::vector<std::string>& names,
               const LocalTime& now = TUESDAY) {
    RecordsIndex index;
    index.feed(file);
    index.finish();
    Week week{false, std::vector<Contestant>(MAX_CONTESTANTS)};
    for (Contestant& c : week.totals) c.score = 77;  // stale content to be cleared
    const std::vector<Contestant> roster = rosterOf(names);
    week.hasWeeklyData = index.sumWeek(now, roster.data(), static_cast<int>(names.size()),
                                       week.totals.data());
    return week;
}

}  // namespace

TEST(WeeklyBoard, OnlyRacesFromMondayMidnightUntilNowCount) {
    const std::string file =
        "m,2026-12-06 23:59:59\nA,1000,1\n\n"   // last Sunday
        "m,2026-12-07 00:00:00\nA,2000,2\n\n"   // Monday at midnight
        "m,2026-12-13 12:00:00\nA,4000,4\n\n"   // Sunday noon
        "m,2026-12-13 12:00:01\nA,8000,8\n\n";  // after now
    const Week sunday = sumWeekOf(file, {"A"}, LocalTime{2026, 12, 13, 12, 0, 0});
    EXPECT_TRUE(sunday.hasWeeklyData);
    EXPECT_EQ(sunday.totals[0].elapsedMs, 6000);
    EXPECT_EQ(sunday.totals[0].score, 6);

    const Week monday = sumWeekOf("m,2026-12-06 23:59:00\nA,1000,1\n", {"A", "B"},
                                  LocalTime{2026, 12, 7, 0, 1, 0});
    EXPECT_FALSE(monday.hasWeeklyData);
    EXPECT_EQ(monday.totals[0].elapsedMs | monday.totals[0].score, 0);
    EXPECT_EQ(placesOf(monday.totals, 2), (Places{0, 0})) << "nobody ran this week";
}

TEST(WeeklyBoard, LinesWithoutARealTimeOrARaceAddNothing) {
    const std::string file =
        "A,1000,1\n"  // before any header
        "m,2026-12-08 10:00:00\nA,8880000,5\nA,0,5\nA,-3,5\nA,abc,5\n\n"
        "m,2026-13-08 10:00:00\nA,1000,5\n";  // a stamp that cannot be read
    const Week week = sumWeekOf(file, {"A"});
    EXPECT_FALSE(week.hasWeeklyData);
    EXPECT_EQ(week.totals[0].elapsedMs | week.totals[0].score, 0);
}

TEST(WeeklyBoard, NamesMatchByteForByteAndEveryEqualEntryGetsTheSums) {
    const std::string file = "m,2026-12-08 10:00:00\nA,1000,3\n\xC0\xEE,500,-1\nZ,9,9\na,7,7\n";
    const Week week = sumWeekOf(file, {"A", "\xC0\xEE", "A"});
    EXPECT_TRUE(week.hasWeeklyData);
    EXPECT_EQ(week.totals[0].elapsedMs, 1000);
    EXPECT_EQ(week.totals[2].elapsedMs, 1000);
    EXPECT_EQ(week.totals[2].score, 3);
    EXPECT_EQ(week.totals[1].score, -1);
    EXPECT_EQ(placesOf(week.totals, 3), (Places{1, 2, 1}));
    EXPECT_STREQ(week.totals[1].name, "\xC0\xEE");
    for (int i = 3; i < MAX_CONTESTANTS; ++i) EXPECT_EQ(week.totals[i].score, 0);

    const Week strangers = sumWeekOf(file, {"B"});
    EXPECT_TRUE(strangers.hasWeeklyData) << "a name not in the roster still counts as data";
    EXPECT_EQ(strangers.totals[0].elapsedMs, 0);
    EXPECT_TRUE(sumWeekOf(file, {}).hasWeeklyData);
}

TEST(WeeklyBoard, ANameWithAColonOpensARaceOfItsOwn) {
    const std::string file = "m,2026-12-08 10:00:00\nA,1000,1\nLi:Wei,2000,2\nA,4000,4\n";
    const Week week = sumWeekOf(file, {"A", "Li:Wei"});
    EXPECT_EQ(week.totals[0].elapsedMs, 1000);
    EXPECT_EQ(week.totals[1].elapsedMs, 0);
}

TEST(WeeklyBoard, NamesWithACommaOrAColonAsWrittenCountForTheirContestant) {
    Contestant race[3] = {};
    std::strcpy(race[0].name, "Li:Wei");
    std::strcpy(race[1].name, "A,B");
    std::strcpy(race[2].name, "C");
    for (int i = 0; i < 3; ++i) race[i].elapsedMs = 1000 * (i + 1);
    std::string file;
    for (const std::string& line : raceRecordBlock("m", "2026-12-08 10:00:00", race, 3))
        file += line + "\n";
    const Week week = sumWeekOf(file, {"Li:Wei", "A,B", "C"});
    EXPECT_EQ(week.totals[0].elapsedMs, 1000);
    EXPECT_EQ(week.totals[1].elapsedMs, 2000);
    EXPECT_EQ(week.totals[2].elapsedMs, 3000);  // the lines after them still count
    EXPECT_STREQ(week.totals[0].name, "Li:Wei");  // the board shows the name as given
}

TEST(WeeklyBoard, ANameWithoutARaceThisWeekIsNotPlacedAndRacesAreCounted) {
    const std::string file =
        "m,2026-12-08 10:00:00\nA,1000,0\nB,500,2\nA,8880000,0\n\n"
        "m,2026-12-08 11:00:00\nA,2000,0\nD,700,0\n";
    RecordsIndex index;
    index.feed(file);
    index.finish();
    const std::vector<Contestant> roster = rosterOf({"A", "B", "C", "D"});
    Contestant totals[MAX_CONTESTANTS];
    int races[MAX_CONTESTANTS];
    std::fill(races, races + MAX_CONTESTANTS, 9);
    ASSERT_TRUE(index.sumWeek(TUESDAY, roster.data(), 4, totals, races));
    EXPECT_EQ(std::vector<int>(races, races + MAX_CONTESTANTS),
              (std::vector<int>{2, 1, 0, 1, 0, 0, 0, 0}))
        << "a line without a time is no race";
    // B leads by score; A ran twice, so ahead of D's smaller sum; C not at all.
    EXPECT_EQ(placesOf(std::vector<Contestant>(totals, totals + 4), 4), (Places{2, 1, 0, 3}));
}

TEST(WeeklyBoard, SumsSaturateInsteadOfOverflowing) {
    const std::string file =
        "m,2026-12-08 10:00:00\nA,2147483647,-2147483648\nA,2147483647,-2147483648\n";
    const Week week = sumWeekOf(file, {"A"});
    EXPECT_EQ(week.totals[0].elapsedMs, INT32_MAX);
    EXPECT_EQ(week.totals[0].score, INT32_MIN);
}

// The whole class's board: ten children, nine of whom ran this week, two
// of them tied; the first eight places' entries shown in place order (class
// order within a place), the ninth left out, and one who did not run absent.
TEST(WeeklyBoard, AClassBoardShowsItsFirstEightInPlaceOrder) {
    std::string file = "m,2026-12-08 10:00:00\n";
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i) names.push_back("C" + std::to_string(i));
    // C0 slowest ... C8 fastest; C7 and C8 tied; C9 did not run; X is no child.
    for (int i = 0; i < 9; ++i) file += names[i] + "," + std::to_string(20000 - 1000 * std::min(i, 7)) + ",0\n";
    file += "X,100,0\n";
    RecordsIndex index;
    index.feed(file);
    index.finish();
    Contestant totals[MAX_CONTESTANTS];
    bool has = false;
    ASSERT_EQ(index.sumClassWeek(TUESDAY, names, totals, &has), 8);
    EXPECT_TRUE(has);
    std::string shown;
    for (const Contestant& c : totals) shown += std::string(c.name) + ":" + std::to_string(c.place) + " ";
    EXPECT_EQ(shown, "C7:1 C8:1 C6:2 C5:3 C4:4 C3:5 C2:6 C1:7 ");
    EXPECT_EQ(totals[0].elapsedMs, 13000);
    EXPECT_EQ(index.sumClassWeek(TUESDAY, {"C9"}, totals, &has), 0);
    EXPECT_TRUE(has) << "the week has results, of other children";
}

TEST(RecordsIndex, PiecesOfAnySizeReadLikeTheWholeFile) {
    const std::string file =
        "m,2026-12-08 10:00:00\r\nA,1000,1\r\nB,2000,2\r\n\r\nm,2026-12-08 11:00:00\r\nA,300,3";
    const Week whole = sumWeekOf(file, {"A", "B"});
    ASSERT_EQ(whole.totals[0].elapsedMs, 1300);
    const std::vector<Contestant> roster = rosterOf({"A", "B"});
    for (std::size_t size = 1; size <= 7; ++size) {
        RecordsIndex index;
        for (std::size_t pos = 0; pos < file.size(); pos += size) index.feed(file.substr(pos, size));
        Contestant totals[MAX_CONTESTANTS];
        index.sumWeek(TUESDAY, roster.data(), 2, totals);
        EXPECT_EQ(totals[0].elapsedMs, 1000) << "unterminated last line held back, size " << size;
        index.finish();
        index.sumWeek(TUESDAY, roster.data(), 2, totals);
        EXPECT_EQ(totals[0].elapsedMs, 1300) << size;
        EXPECT_EQ(totals[1].score, 2) << size;
    }
}

TEST(RecordsIndex, ResetForgetsEverythingIncludingAHeldLine) {
    RecordsIndex index;
    index.feed("m,2026-12-08 10:00:00\nA,1000,1\nA,5");
    index.reset();
    index.feed("00,1\n");
    index.finish();
    const std::vector<Contestant> roster = rosterOf({"A"});
    Contestant totals[MAX_CONTESTANTS];
    EXPECT_FALSE(index.sumWeek(TUESDAY, roster.data(), 1, totals));
}

// What a spreadsheet writes when the operator opens the file to look and
// saves it again: LF line ends, a trailing empty field on every header line,
// an empty row as commas, and dates in its own form.
TEST(WeeklyBoard, AFileSavedAgainByASpreadsheetStillCounts) {
    const std::string written =
        "m,2026-12-07 09:00:00\r\nA,1000,1\r\nB,2000,2\r\n\r\n"
        "m,2026-12-08 10:05:07\r\nA,300,3\r\n\r\n";
    const Week before = sumWeekOf(written, {"A", "B"});
    ASSERT_EQ(before.totals[0].elapsedMs, 1300);
    const std::string forms[] = {
        "m,2026-12-07 09:00:00,\nA,1000,1\nB,2000,2\n,,\nm,2026-12-08 10:05:07,\nA,300,3\n,,\n",
        "m,2026/12/7 9:00\nA,1000,1\nB,2000,2\n\nm,2026/12/8 10:05:07\nA,300,3\n\n",
        "m,2026-12-7 9:00:00,\r\nA,1000,1,\r\nB,2000,2,\r\n,,,\r\nm,2026-12-8 10:05,\r\nA,300,3,\r\n",
        // A file cut between CR and LF, or saved with lone CRs.
        "m,2026-12-07 09:00:00\rA,1000,1\rB,2000,2\r\rm,2026-12-08 10:05:07\rA,300,3\r",
    };
    for (const std::string& form : forms) {
        const Week week = sumWeekOf(form, {"A", "B"});
        EXPECT_TRUE(week.hasWeeklyData) << form;
        EXPECT_EQ(week.totals[0].elapsedMs, 1300) << form;
        EXPECT_EQ(week.totals[0].score, 4) << form;
        EXPECT_EQ(week.totals[1].elapsedMs, 2000) << form;
        EXPECT_EQ(placesOf(week.totals, 2), placesOf(before.totals, 2)) << form;
    }
}

TEST(RecordsIndex, DroppingRacesBeforeAMomentKeepsTheRestAndTheRaceStillOpen) {
    const std::vector<Contestant> roster = rosterOf({"A"});
    const int64_t monday = toSerialSeconds(LocalTime{2026, 12, 7, 0, 0, 0});
    Contestant totals[MAX_CONTESTANTS];
    {
        // This week's race, then an older one whose lines go on after the drop.
        RecordsIndex index;
        index.feed("m,2026-12-08 10:00:00\nA,1000,1\n\nm,2026-12-01 10:00:00\nA,2000,2\n");
        index.dropRacesBefore(monday);
        EXPECT_EQ(index.raceCount(), 1u);
        index.feed("A,4000,4\n\nm,2026-12-08 11:00:00\nA,300,3\n");
        index.finish();
        EXPECT_EQ(index.raceCount(), 2u);
        EXPECT_TRUE(index.sumWeek(TUESDAY, roster.data(), 1, totals));
        EXPECT_EQ(totals[0].elapsedMs, 1300) << "a line of the dropped race landed in another";
        EXPECT_EQ(totals[0].score, 4);
    }
    {
        RecordsIndex index;
        index.feed("m,2026-12-01 10:00:00\nA,2000,2\n");
        index.dropRacesBefore(monday);
        EXPECT_EQ(index.raceCount(), 0u);
        index.feed("A,4000,4\n");
        EXPECT_FALSE(index.sumWeek(TUESDAY, roster.data(), 1, totals));
        EXPECT_EQ(totals[0].elapsedMs, 0);
    }
}

namespace {

using Table = std::vector<std::vector<std::string>>;

std::string asWritten(std::string_view name, TextEncoding) { return std::string(name); }

TermBoard termOf(const std::string& file, LocalTime from, LocalTime to, bool obstacle,
                 const NameToAnsi& toAnsi = asWritten) {
    return computeTermBoard(file, from, to, obstacle, toAnsi);
}

Table tableOf(const TermBoard& board) {
    Table table{termHeadings(board)};
    for (const TermRow& row : board.rows) table.push_back(termCells(board, row));
    return table;
}

// 22 December 2026 (a Tuesday) to 8 January 2027: three weeks across New Year.
const std::string ACROSS_NEW_YEAR =
    "计时赛,2026-12-21 10:00:00\nA,9000,0\n\n"                   // the day before the range
    "计时赛,2026-12-22 09:00:00\nA,12345,0\nB,11000,0\nC,8880000,0\n\n"
    "计时赛,2026-12-23 09:00:00\nA,12005,0\nB,0,0\nC,-5,0\n\n"    // two races in one week
    "障碍赛,2026-12-29 09:00:00\nA,5000,90\n\n"                   // the other mode
    "计时赛,2027-01-05 09:00:00\nA,10000,0\nB,11500,0\nD,3725410,0\nC,9990,0\n\n"
    "计时赛,2027-01-09 00:00:00\nA,1000,0\n";                    // the day after
const LocalTime DEC_22{2026, 12, 22, 0, 0, 0}, JAN_8{2027, 1, 8, 15, 30, 0};

}  // namespace

TEST(TermBoard, EachChildsWeeklyBestsAndProgressInTheTextsTheTableShows) {
    struct Case {
        const char* why;
        std::string file;
        LocalTime from, to;
        bool obstacle;
        Table table;
    };
    const Case cases[] = {
        {"timed, across New Year: the best of two races in a week; a child of one week gains "
         "+0.00; a time over an hour keeps its hours; lines without a result and the other "
         "mode count for nothing",
         ACROSS_NEW_YEAR, DEC_22, JAN_8, false,
         {{"姓名", "场次", "第一周最好", "最近一周最好", "进步", "12-21", "12-28", "01-04"},
          {"A", "3", "00'12.00\"", "00'10.00\"", "+2.00", "00'12.00\"", "", "00'10.00\""},
          {"C", "1", "00'09.99\"", "00'09.99\"", "+0.00", "", "", "00'09.99\""},
          {"D", "1", "1:02:05.41", "1:02:05.41", "+0.00", "", "", "1:02:05.41"},
          {"B", "2", "00'11.00\"", "00'11.50\"", "-0.50", "00'11.00\"", "", "00'11.50\""}}},
        {"obstacle: the highest score, then the shortest time; points gained",
         "障碍赛,2026-12-08 10:00:00\nA,50000,90\nB,48000,95\n\n"
         "障碍赛,2026-12-09 10:00:00\nA,47000,90\nB,60000,100\n\n"
         "计时赛,2026-12-10 10:00:00\nA,1000,0\n\n"
         "障碍赛,2026-12-15 10:00:00\nB,40000,95\nA,52000,95\nE,8880000,100\n",
         {2026, 12, 7, 0, 0, 0}, {2026, 12, 20, 0, 0, 0}, true,
         {{"姓名", "场次", "第一周最好", "最近一周最好", "进步", "12-07", "12-14"},
          {"A", "3", "90分 00'47.00\"", "95分 00'52.00\"", "+5", "90分 00'47.00\"", "95分 00'52.00\""},
          {"B", "3", "100分 01'00.00\"", "95分 00'40.00\"", "-5", "100分 01'00.00\"", "95分 00'40.00\""}}},
        {"a range that ends before it begins", ACROSS_NEW_YEAR, JAN_8, DEC_22, false,
         {{"姓名", "场次", "第一周最好", "最近一周最好", "进步"}}},
        {"a range of more than 366 days", ACROSS_NEW_YEAR, {2026, 1, 7, 0, 0, 0}, JAN_8, false,
         {{"姓名", "场次", "第一周最好", "最近一周最好", "进步"}}},
    };
    for (const Case& c : cases) EXPECT_EQ(tableOf(termOf(c.file, c.from, c.to, c.obstacle)), c.table) << c.why;
}

TEST(TermBoard, TheClassMedianOfEachWeekAndTheFileForASpreadsheet) {
    const TermBoard board = termOf(ACROSS_NEW_YEAR, DEC_22, JAN_8, false);
    ASSERT_EQ(board.median.size(), 3u);
    EXPECT_EQ(board.median[0].value, 11502.5) << "two children: between their bests";
    EXPECT_FALSE(board.median[1].any);
    EXPECT_EQ(board.median[2].value, 10750) << "9.99, 10.00, 11.50 and an hour";
    const std::string csv = termTable(board);
    EXPECT_EQ(csv.substr(0, csv.find("\r\nC,")),
              "姓名,场次,第一周最好,最近一周最好,进步,12-21,12-28,01-04\r\n"
              "A,3,\"00'12.00\"\"\",\"00'10.00\"\"\",2.00,\"00'12.00\"\"\",,\"00'10.00\"\"\"");
    EXPECT_NE(csv.find("\r\nB,2,\"00'11.00\"\"\",\"00'11.50\"\"\",-0.50,"), std::string::npos);
}

// Each side of every edge: the first second of the range and the one before
// it, a school year of exactly 366 days and one day more, a range that ends
// the day before it begins, a name twice in one race, a line without a name,
// a timed race's score, and progress in the hundredths shown.
TEST(TermBoard, TheEdgesOfTheRangeAndOfARow) {
    const std::string file =
        "计时赛,2027-08-31 23:59:59\nC,5000,0\n\n"
        "计时赛,2027-09-01 00:00:00\nA,10000,5\nA,9000,0\n,8000,0\n\n"
        "计时赛,2027-09-08 10:00:00\nB,12001,0\n\n"
        "计时赛,2028-08-31 23:59:59\nB,11999,0\n\n"
        "计时赛,2028-09-01 00:00:00\nB,5000,0\n\n";
    const LocalTime from{2027, 9, 1, 0, 0, 0};
    const TermBoard year = termOf(file, from, {2028, 8, 31, 0, 0, 0}, false);
    EXPECT_EQ(year.mondays.size(), 53u);
    ASSERT_EQ(year.rows.size(), 2u);
    EXPECT_EQ(termCells(year, year.rows[0])[0], "B");
    EXPECT_EQ(termProgressText(year, year.rows[0]), "+0.01") << "12.001 and 11.999 show as 12.00 and 11.99";
    const std::vector<std::string> a = termCells(year, year.rows[1]);
    EXPECT_EQ(std::vector<std::string>(a.begin(), a.begin() + 5),
              (std::vector<std::string>{"A", "1", "00'09.00\"", "00'09.00\"", "+0.00"}));
    EXPECT_TRUE(termOf(file, from, {2028, 9, 1, 0, 0, 0}, false).mondays.empty()) << "367 days";
    EXPECT_TRUE(termOf(file, from, {2027, 8, 31, 0, 0, 0}, false).mondays.empty()) << "the day before";
    EXPECT_EQ(termOf(file, from, from, false).rows.size(), 1u) << "one day";

    const TermBoard once = termOf("障碍赛,2026-12-08 10:00:00\nA,50000,-3\n", {2026, 12, 7, 0, 0, 0},
                                  {2026, 12, 8, 0, 0, 0}, true);
    EXPECT_EQ(termProgressText(once, once.rows[0]), "+0");
}

// The boys alone: the table keeps their rows and the median is theirs; an
// obstacle gain of nothing goes to the spreadsheet as a plain 0.
TEST(TermBoard, OnlySomeOfItsChildrenAndTheirMedian) {
    TermBoard board = termOf(ACROSS_NEW_YEAR, DEC_22, JAN_8, false);
    keepTermRows(board, [](const TermRow& row) { return row.name == "A" || row.name == "B"; });
    ASSERT_EQ(board.rows.size(), 2u);
    EXPECT_EQ(board.median[2].value, 10750) << "10.00 and 11.50";
    EXPECT_EQ(board.median[0].value, 11502.5);
    const TermBoard once = termOf("\xD5\xCF\xB0\xAD\xC8\xFC,2026-12-08 10:00:00\nA,50000,7\n", {2026, 12, 7, 0, 0, 0},
                                  {2026, 12, 8, 0, 0, 0}, true);
    EXPECT_NE(termTable(once).find("\r\nA,1,"), std::string::npos);
    EXPECT_NE(termTable(once).find(",0,"), std::string::npos) << termTable(once);
}

TEST(TermBoard, TheTermBeginsOnTheFirstOfSeptemberOrFebruary) {
    const std::pair<LocalTime, const char*> cases[] = {
        {{2026, 9, 1, 8, 0, 0}, "2026-09-01"},  {{2026, 12, 31, 23, 0, 0}, "2026-09-01"},
        {{2027, 1, 20, 8, 0, 0}, "2026-09-01"}, {{2027, 2, 1, 0, 0, 0}, "2027-02-01"},
        {{2027, 8, 31, 8, 0, 0}, "2027-02-01"},
    };
    for (const auto& [today, start] : cases) EXPECT_EQ(formatDate(termStart(today)), start) << formatDate(today);
}

// Better is higher on both charts; grid lines at round values; week dates
// thinned where they would overlap.
TEST(TermBoard, TheChartPutsTheBetterValueHigher) {
    const TermBoard timed = termOf(ACROSS_NEW_YEAR, DEC_22, JAN_8, false);
    const TermChartPlan a = planTermChart(timed, 0, 400, 200, 10);
    EXPECT_EQ(a.title.text, "A  进步 +2.00");
    ASSERT_EQ(a.child.size(), 2u);
    EXPECT_FLOAT_EQ(a.top, 25);
    EXPECT_FLOAT_EQ(a.bottom, 182);
    EXPECT_FLOAT_EQ(a.child[1].y, 25) << "10.00 s, the fastest of the chart";
    EXPECT_NEAR(a.child[0].y, 129.93f, 0.01) << "12.005 s, two thirds down from 10 s to 13 s";
    EXPECT_EQ(a.median.size(), 2u);
    std::vector<std::string> labels;
    for (const ChartText& t : a.labels) labels.push_back(t.text);
    EXPECT_EQ(labels, (std::vector<std::string>{"10", "11", "12", "13", "12-21", "12-28", "01-04"}));
    const TermChartPlan narrow = planTermChart(timed, 0, 80, 200, 10);
    EXPECT_EQ(narrow.labels.size(), narrow.grid.size() + 2) << "every second week";
    EXPECT_EQ(narrow.labels.back().text, "01-04");

    const TermChartPlan d = planTermChart(timed, 2, 400, 200, 10);
    EXPECT_EQ(d.labels.front().text, "0") << "times from 0 up to an hour";
    EXPECT_EQ(d.labels[d.grid.size() - 1].text, "66'40");

    const TermBoard obstacle = termOf("障碍赛,2026-12-08 10:00:00\nA,50000,90\n\n障碍赛,2026-12-15 10:00:00\nA,52000,96\n",
                                      {2026, 12, 7, 0, 0, 0}, {2026, 12, 20, 0, 0, 0}, true);
    const TermChartPlan b = planTermChart(obstacle, 0, 400, 200, 10);
    ASSERT_EQ(b.child.size(), 2u);
    EXPECT_FLOAT_EQ(b.child[1].y, b.top) << "96 points, the highest";
    EXPECT_FLOAT_EQ(b.child[0].y, b.bottom);

    // Two seconds apart: a grid line every half second, five of them.
    const TermBoard half = termOf("计时赛,2026-12-08 10:00:00\nA,12000,0\n\n计时赛,2026-12-15 10:00:00\nA,10000,0\n",
                                  {2026, 12, 7, 0, 0, 0}, {2026, 12, 20, 0, 0, 0}, false);
    const TermChartPlan c = planTermChart(half, 0, 400, 200, 10);
    ASSERT_EQ(c.grid.size(), 5u);
    EXPECT_EQ(c.labels[1].text, "10.5");
    EXPECT_EQ(c.labels[4].text, "12.0");
}

namespace {

// 性别 by the name's first letter: b a boy, g a girl, anything else unknown.
std::string sexByLetter(const std::string& name) {
    return name[0] == 'b' ? "\xC4\xD0" : name[0] == 'g' ? "\xC5\xAE" : "";
}

// "A:1 b2:m1": each honoured child's name, its group and its place.
std::string honoursText(const std::vector<Honoured>& honours) {
    std::string text;
    for (const Honoured& h : honours)
        text += (text.empty() ? "" : " ") + h.name + ":" + (h.sex == "\xC4\xD0" ? "m" : h.sex == "\xC5\xAE" ? "f" : "") +
                std::to_string(h.place);
    return text;
}

TermBoard boardOf(bool obstacle, const std::vector<std::pair<const char*, int64_t>>& rows) {
    TermBoard board;
    board.obstacle = obstacle;
    for (const auto& [name, progress] : rows) board.rows.push_back(TermRow{name, 0, 0, 0, progress, {}});
    return board;
}

}  // namespace

TEST(Honours, TheStarsOfProgressAreTheThreeGreatestGainsAndTheirTies) {
    struct Case {
        const char* why;
        TermBoard board;
        std::string honoured, firstAchievement;
    };
    const Case cases[] = {
        {"a tie at the third: four honoured, the fifth not",
         boardOf(false, {{"A", 300}, {"B", 200}, {"C", 100}, {"D", 100}, {"E", 99}}),
         "A:1 B:2 C:3 D:3", "本学期计时赛进步 3.00 秒"},
        {"ties share a place, as the boards place", boardOf(false, {{"A", 61}, {"B", 61}, {"C", 5}, {"D", 5}}),
         "A:1 B:1 C:2 D:2", "本学期计时赛进步 0.61 秒"},
        {"fewer than three; no gain and a loss are no progress",
         boardOf(false, {{"A", 1}, {"B", 0}, {"C", -5}}), "A:1", "本学期计时赛进步 0.01 秒"},
        {"with 性别 known: three boys and three girls, the unknown in neither",
         boardOf(true, {{"u1", 900}, {"b1", 50}, {"g1", 40}, {"b2", 30}, {"g2", 20}, {"b3", 10}, {"g3", 5},
                        {"b4", 4}, {"g4", 1}}),
         "b1:m1 b2:m2 b3:m3 g1:f1 g2:f2 g3:f3", "本学期障碍赛进步 50 分"},
        {"nobody gained", boardOf(true, {{"A", 0}}), "", ""},
    };
    for (const Case& c : cases) {
        const std::vector<Honoured> stars = progressStars(c.board, sexByLetter);
        EXPECT_EQ(honoursText(stars), c.honoured) << c.why;
        EXPECT_EQ(stars.empty() ? "" : stars[0].achievement, c.firstAchievement) << c.why;
    }
}

TEST(Honours, TheWeeksChampionsByTheWeeklyRule) {
    struct Case {
        const char* why;
        std::string file;
        bool obstacle;
        std::string honoured, firstAchievement;
    };
    // B would lead with any of the races around the week's or of the other
    // mode; within the week A's two races place it before B's faster one.
    const std::string aroundTheWeek =
        "计时赛,2026-12-06 23:59:59\nB,1000,0\n\n"
        "计时赛,2026-12-07 00:00:00\nA,9000,0\nB,8120,0\nC,0,0\n\n"
        "障碍赛,2026-12-08 10:00:00\nB,1000,100\n\n"
        "计时赛,2026-12-13 23:59:59\nA,8500,0\n\n"
        "计时赛,2026-12-14 00:00:00\nB,1000,0\n";
    const Case cases[] = {
        {"the week from Monday 00:00 for seven days, one mode", aroundTheWeek, false, "A:1",
         "在 2026 年 12 月 7 日这一周的计时赛中获得第一名，最好成绩 00'08.50\""},
        {"a tie for first: both, in the order they first ran", "计时赛,2026-12-09 10:00:00\nE,5000,0\nD,5000,0\nF,5001,0\n",
         false, "E:1 D:1", "在 2026 年 12 月 7 日这一周的计时赛中获得第一名，最好成绩 00'05.00\""},
        {"the first boy, then the first girl; the best by score, then time; the unknown in neither",
         "障碍赛,2026-12-09 10:00:00\ng1,50000,190\nb1,40000,90\nu1,1000,200\n\n"
         "障碍赛,2026-12-10 10:00:00\nb1,48210,95\nb2,30000,180\ng2,9000,170\n",
         true, "b1:m1 g1:f1", "在 2026 年 12 月 7 日这一周的障碍赛中获得男子第一名，最好成绩 95分 00'48.21\""},
        {"no race at all", "", false, "", ""},
    };
    for (const Case& c : cases) {
        const std::vector<Honoured> champions =
            weekChampions(c.file, {2026, 12, 7, 0, 0, 0}, c.obstacle, asWritten, sexByLetter);
        EXPECT_EQ(honoursText(champions), c.honoured) << c.why;
        EXPECT_EQ(champions.empty() ? "" : champions[0].achievement, c.firstAchievement) << c.why;
    }
}

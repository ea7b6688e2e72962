#include "core/FileRules.h"
#include "core/TimeStamp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace {

bool sameTime(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

}  // namespace

TEST(TimeStamp, TextHasAColonAndNoCommaAndReadsBackExactly) {
    const LocalTime t{2026, 12, 8, 21, 28, 23};
    const std::string text = formatTimeStamp(t);
    EXPECT_EQ(text, "2026-12-08 21:28:23");
    LocalTime back{};
    ASSERT_TRUE(parseTimeStamp(text, &back));
    EXPECT_TRUE(sameTime(back, t));
    EXPECT_TRUE(parseTimeStamp("0001-01-01 00:00:00", &back));
    EXPECT_TRUE(parseTimeStamp("9999-12-31 23:59:59", &back));
}

TEST(TimeStamp, ParsingRejectsImpossibleDatesAndAnyOtherShape) {
    LocalTime t{};
    EXPECT_TRUE(parseTimeStamp("2024-02-29 00:00:00", &t));
    EXPECT_TRUE(parseTimeStamp("2000-02-29 00:00:00", &t));
    for (const char* bad :
         {"2025-02-29 00:00:00", "1900-02-29 00:00:00", "2026-04-31 12:00:00",
          "2026-13-01 12:00:00", "2026-00-10 12:00:00", "2026-12-00 12:00:00",
          "2026-12-08 24:00:00", "2026-12-08 23:60:00", "2026-12-08 23:59:60",
          "0000-01-01 00:00:00", "2026-12-08T21:28:23", "2026-12-08 21:28:23x",
          " 2026-12-08 21:28:23", "2026-12-8 21:28:23", "+026-12-08 21:28:23",
          "2026-12-08 21:28", ""}) {
        EXPECT_FALSE(parseTimeStamp(bad, &t)) << bad;
    }
}

TEST(TimeStamp, RecordsAlsoTakeTheFormsASpreadsheetWritesBack) {
    struct Case {
        const char* text;
        const char* read;  // as formatTimeStamp writes it; null: refused
    };
    const Case cases[] = {
        {"2026-12-08 21:28:23", "2026-12-08 21:28:23"},
        {"2026/12/9 10:05", "2026-12-09 10:05:00"},
        {"2026/12/9 10:05:07", "2026-12-09 10:05:07"},
        {"2026/1/31 9:05", "2026-01-31 09:05:00"},
        {"2026-12-9 9:05:07", "2026-12-09 09:05:07"},
        {"2026-12-09  09:05", "2026-12-09 09:05:00"},
        {"2026/02/29 10:05", nullptr},
        {"2026/12-9 10:05", nullptr},
        {"2026/12/9 10:5", nullptr},
        {"2026/12/9 10:05:7", nullptr},
        {"2026/12/9 100:05", nullptr},
        {"2026/123/9 10:05", nullptr},
        {"26/12/9 10:05", nullptr},
        {"2026/12/9", nullptr},
        {"2026/12/910:05", nullptr},
        {"2026/12/9 10:05 ", nullptr},
        {"2026/12/9 24:00", nullptr},
        {"2026.12.9 10:05", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        LocalTime t{};
        EXPECT_EQ(parseRecordTimeStamp(c.text, &t), c.read != nullptr) << c.text;
        if (c.read) {
            EXPECT_EQ(formatTimeStamp(t), c.read) << c.text;
        }
    }
}

TEST(TimeStamp, SerialSecondsRoundTripAndGrowOneDayAtATime) {
    LocalTime day{1600, 1, 1, 0, 0, 0};
    int64_t previous = toSerialSeconds(day) - 86400;
    int weekday = weekdayOf(day);
    // Four centuries of days cover every leap-year rule.
    while (day.year < 2400) {
        const int64_t serial = toSerialSeconds(day);
        ASSERT_EQ(serial, previous + 86400) << formatTimeStamp(day);
        ASSERT_EQ(weekdayOf(day), weekday) << formatTimeStamp(day);
        const LocalTime noon = fromSerialSeconds(serial + 12 * 3600 + 61);
        ASSERT_TRUE(sameTime(noon, LocalTime{day.year, day.month, day.day, 12, 1, 1}));
        previous = serial;
        weekday = (weekday + 1) % 7;
        day = fromSerialSeconds(serial + 86400);
    }
    EXPECT_EQ(toSerialSeconds(LocalTime{1970, 1, 1, 0, 0, 0}), 0);
    EXPECT_EQ(weekdayOf(LocalTime{1970, 1, 1, 0, 0, 0}), 4);
    EXPECT_EQ(weekdayOf(LocalTime{2026, 12, 8, 21, 28, 23}), 2);
    EXPECT_EQ(weekdayOf(LocalTime{2026, 12, 13, 0, 0, 0}), 0);
}

TEST(TimeStamp, WeekStartsAtMidnightOfTheLastMonday) {
    auto start = [](LocalTime now) { return formatTimeStamp(weekWindowStart(now)); };
    EXPECT_EQ(start({2026, 12, 8, 21, 28, 23}), "2026-12-07 00:00:00");   // Tuesday
    EXPECT_EQ(start({2026, 12, 7, 0, 1, 0}), "2026-12-07 00:00:00");      // Monday
    EXPECT_EQ(start({2026, 12, 13, 23, 59, 59}), "2026-12-07 00:00:00");  // Sunday
    EXPECT_EQ(start({2027, 1, 3, 10, 0, 0}), "2026-12-28 00:00:00");      // across New Year
    EXPECT_EQ(start({2024, 3, 2, 10, 0, 0}), "2024-02-26 00:00:00");      // across 29 February
}

TEST(TimeStamp, ADateTypedIntoABox) {
    const std::pair<const char*, const char*> cases[] = {
        {"2026-09-01", "2026-09-01 00:00:00"}, {" 2027-1-8 ", "2027-01-08 00:00:00"},
        {"2024/2/29", "2024-02-29 00:00:00"},  {"2026-02-29", nullptr},
        {"2026-9", nullptr},                   {"26-09-01", nullptr},
        {"2026-09-01 10:00", nullptr},         {"2026/09-01", nullptr},
        {"", nullptr},                         {"2026-009-01", nullptr},
        {"2026-09-001", nullptr},              {"2026-09-01\t", "2026-09-01 00:00:00"},
        // Typed full-width with a Chinese input method, a full-width space after.
        {"\xA3\xB2\xA3\xB0\xA3\xB2\xA3\xB6\xA3\xAD\xA3\xB9\xA3\xAD\xA3\xB1\xA1\xA1", "2026-09-01 00:00:00"},
        {"2026\xA3\xAF" "9\xA3\xAF" "30", "2026-09-30 00:00:00"},
        {"2026\xA1\xA3" "9\xA1\xA3" "30", nullptr},  // 。 is no date separator
    };
    for (const auto& [text, read] : cases) {
        LocalTime t{};
        EXPECT_EQ(parseDate(text, &t), read != nullptr) << text;
        if (read) {
            EXPECT_EQ(formatTimeStamp(t), read) << text;
        }
    }
    EXPECT_EQ(formatDate(LocalTime{2027, 1, 8, 15, 30, 0}), "2027-01-08");
}

// Backups are named by the second they were made in; a second one of the
// same second gets -2, and sorts after it although '-' comes before '.'.
TEST(FileNames, StampsSortByTimeAndPruningKeepsExactlyTheNewestBackups) {
    EXPECT_EQ(fileStamp(LocalTime{2026, 12, 8, 9, 5, 3}), "20261208_090503");
    EXPECT_EQ(fileStamp(LocalTime{2026, 12, 8, 9, 5, 3}, '-'), "20261208-090503");
    std::vector<std::string> names = {"_records.csv", "_records.csv.new", "_records-20261201.csv",
                                      "_records-2026120a-080000.csv", "_records-20261201-080000-x.csv",
                                      "other-20261201-080000.csv", "_records-20261201-080000.txt"};
    for (int day = 21; day >= 1; --day) {
        char name[40];
        std::snprintf(name, sizeof name, "_records-202612%02d-080000.csv", day);
        names.push_back(name);
    }
    names.push_back("_records-20261202-080000-2.csv");
    EXPECT_EQ(backupsToDelete(names, "_records", ".csv", 20),
              (std::vector<std::string>{"_records-20261201-080000.csv", "_records-20261202-080000.csv"}));
    EXPECT_TRUE(backupsToDelete(names, "_records", ".csv", 22).empty());

    const std::vector<std::string> taken = {"a.txt", "a-2.txt"};
    const auto isTaken = [&](const std::string& n) { return std::count(taken.begin(), taken.end(), n) > 0; };
    EXPECT_EQ(firstFreeName("a", ".txt", isTaken), "a-3.txt");
    EXPECT_EQ(firstFreeName("a", ".txt", [](const std::string& n) { return n != "a-99.txt"; }), "a-99.txt");
    // Numbers of the same second go by their value: -10 is newer than -2.
    // A name made by another rule ('_' inside its stamp) is never touched.
    const std::vector<std::string> second = {"r-20261201-080000-10.csv", "r-20261201-080000.csv",
                                             "r-20261201_080000.csv", "r-20261201-080000-2.csv"};
    EXPECT_EQ(backupsToDelete(second, "r", ".csv", 1),
              (std::vector<std::string>{"r-20261201-080000.csv", "r-20261201-080000-2.csv"}));
    EXPECT_EQ(firstFreeName("a", ".txt", [](const std::string&) { return true; }), "");
}

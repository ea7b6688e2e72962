// Local calendar time without a time zone, and the time-stamp text of the
// records file ("2026-12-08 21:28:23": it has a colon and no comma, which the
// records reader depends on).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

constexpr int64_t SECONDS_PER_DAY = 86400;
constexpr int64_t SECONDS_PER_WEEK = 7 * SECONDS_PER_DAY;

struct LocalTime {
    int year, month, day, hour, minute, second;
};

// Seconds on a continuous scale (days since 1970-01-01 times 86400 plus the
// seconds of the day), so times compare and subtract as plain numbers.
int64_t toSerialSeconds(const LocalTime& t);
LocalTime fromSerialSeconds(int64_t serial);

// 0 = Sunday .. 6 = Saturday.
int weekdayOf(const LocalTime& t);

std::string formatTimeStamp(const LocalTime& t);

// "20261208_214500" of a local time, for file names: names made at later
// times sort later. The backups of the records file take '-' between.
std::string fileStamp(const LocalTime& t, char between = '_');

// Reads exactly the text formatTimeStamp writes, with every field in range
// (years 1..9999, real days of the month). *out is written only on success.
bool parseTimeStamp(std::string_view text, LocalTime* out);

// What a records file's header may hold: the text formatTimeStamp writes, or
// what a spreadsheet writes back after it read it as a date: "2026/12/9
// 10:05", "2026/12/9 10:05:07", "2026-12-9 9:05". Year of four digits, month
// and day of one or two, the same separator ('-' or '/') twice, blanks, an
// hour of one or two digits, minutes and (optional) seconds of two.
bool parseRecordTimeStamp(std::string_view text, LocalTime* out);

// A date as an operator types it into a box: "2026-09-01", also "2026-9-1"
// or "2026/9/1", blanks around it, in the full-width digits and signs of a
// Chinese input method too; 00:00:00 of that day.
bool parseDate(std::string_view text, LocalTime* out);
// "2026-09-01".
std::string formatDate(const LocalTime& t);

// 00:00:00 of the most recent Monday, today when now is a Monday.
LocalTime weekWindowStart(const LocalTime& now);

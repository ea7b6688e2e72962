#include "core/TimeStamp.h"

#include "core/TextFields.h"

#include <cstdio>

namespace {

int64_t floorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

// Proleptic Gregorian day count with 1970-01-01 as day 0 (the well-known
// era-based conversion: 400-year eras of 146097 days, March-based years).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = floorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, LocalTime* t) {
    z += 719468;
    const int64_t era = floorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    const int64_t m = mp < 10 ? mp + 3 : mp - 9;
    t->year = static_cast<int>(yoe + era * 400 + (m <= 2 ? 1 : 0));
    t->month = static_cast<int>(m);
    t->day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
}

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int y, int m) {
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : days[m - 1];
}

bool readDigits(std::string_view text, std::size_t pos, std::size_t count, int* out) {
    int value = 0;
    for (std::size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    *out = value;
    return true;
}

bool isInRange(const LocalTime& t) {
    return t.year >= 1 && t.year <= 9999 && t.month >= 1 && t.month <= 12 &&
           t.day >= 1 && t.day <= daysInMonth(t.year, t.month) && t.hour <= 23 &&
           t.minute <= 59 && t.second <= 59;
}

}  // namespace

int64_t toSerialSeconds(const LocalTime& t) {
    return daysFromCivil(t.year, t.month, t.day) * SECONDS_PER_DAY +
           static_cast<int64_t>(t.hour) * 3600 + static_cast<int64_t>(t.minute) * 60 +
           t.second;
}

LocalTime fromSerialSeconds(int64_t serial) {
    LocalTime t{};
    const int64_t days = floorDiv(serial, SECONDS_PER_DAY);
    const int64_t secondOfDay = serial - days * SECONDS_PER_DAY;
    civilFromDays(days, &t);
    t.hour = static_cast<int>(secondOfDay / 3600);
    t.minute = static_cast<int>(secondOfDay / 60 % 60);
    t.second = static_cast<int>(secondOfDay % 60);
    return t;
}

int weekdayOf(const LocalTime& t) {
    // 1970-01-01 was a Thursday.
    const int64_t days = daysFromCivil(t.year, t.month, t.day);
    return static_cast<int>(days - floorDiv(days + 4, 7) * 7 + 4);
}

std::string formatTimeStamp(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month,
                  t.day, t.hour, t.minute, t.second);
    return text;
}

std::string formatDate(const LocalTime& t) { return formatTimeStamp(t).substr(0, 10); }

std::string fileStamp(const LocalTime& t, char between) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d%02d%02d%c%02d%02d%02d", t.year % 10000, t.month % 100,
                  t.day % 100, between, t.hour % 100, t.minute % 100, t.second % 100);
    return text;
}

bool parseTimeStamp(std::string_view text, LocalTime* out) {
    // "YYYY-MM-DD hh:mm:ss"
    static const std::string_view shape = "0000-00-00 00:00:00";
    if (text.size() != shape.size()) return false;
    for (std::size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] != '0' && text[i] != shape[i]) return false;
    }
    LocalTime t{};
    bool digits = readDigits(text, 0, 4, &t.year) && readDigits(text, 5, 2, &t.month) &&
                  readDigits(text, 8, 2, &t.day) && readDigits(text, 11, 2, &t.hour) &&
                  readDigits(text, 14, 2, &t.minute) && readDigits(text, 17, 2, &t.second);
    if (!digits || !isInRange(t)) return false;
    *out = t;
    return true;
}

namespace {

// A number of minDigits to maxDigits digits at *pos; *pos moves past it.
bool readNumber(std::string_view text, std::size_t* pos, std::size_t minDigits,
                std::size_t maxDigits, int* out) {
    std::size_t count = 0;
    int value = 0;
    while (*pos + count < text.size() && count < maxDigits && text[*pos + count] >= '0' &&
           text[*pos + count] <= '9') {
        value = value * 10 + (text[*pos + count] - '0');
        ++count;
    }
    if (count < minDigits) return false;
    if (*pos + count < text.size() && text[*pos + count] >= '0' && text[*pos + count] <= '9')
        return false;  // more digits than the field may have
    *pos += count;
    *out = value;
    return true;
}

bool readChar(std::string_view text, std::size_t* pos, char c) {
    if (*pos >= text.size() || text[*pos] != c) return false;
    ++*pos;
    return true;
}

// A year of four digits, a month and a day of one or two, the same separator
// ('-' or '/') twice; *pos moves past them.
bool readDate(std::string_view text, std::size_t* pos, LocalTime* t) {
    if (!readNumber(text, pos, 4, 4, &t->year) || *pos >= text.size()) return false;
    const char sep = text[*pos];
    if (sep != '-' && sep != '/') return false;
    ++*pos;
    return readNumber(text, pos, 1, 2, &t->month) && readChar(text, pos, sep) &&
           readNumber(text, pos, 1, 2, &t->day);
}

}  // namespace

bool parseRecordTimeStamp(std::string_view text, LocalTime* out) {
    if (parseTimeStamp(text, out)) return true;
    LocalTime t{};
    std::size_t pos = 0;
    if (!readDate(text, &pos, &t)) return false;
    const std::size_t blanks = pos;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    if (pos == blanks) return false;
    if (!readNumber(text, &pos, 1, 2, &t.hour) || !readChar(text, &pos, ':') ||
        !readNumber(text, &pos, 2, 2, &t.minute))
        return false;
    if (pos < text.size() && (!readChar(text, &pos, ':') || !readNumber(text, &pos, 2, 2, &t.second)))
        return false;
    if (pos != text.size() || !isInRange(t)) return false;
    *out = t;
    return true;
}

bool parseDate(std::string_view typed, LocalTime* out) {
    std::string halfWidth;
    if (!toHalfWidth(typed, &halfWidth)) return false;
    const std::string_view text = trimBlanks(halfWidth);
    LocalTime t{};
    std::size_t pos = 0;
    if (!readDate(text, &pos, &t) || pos != text.size() || !isInRange(t)) return false;
    *out = t;
    return true;
}

LocalTime weekWindowStart(const LocalTime& now) {
    const int weekday = weekdayOf(now);
    const int daysBack = weekday == 0 ? 6 : weekday - 1;
    const int64_t monday = daysFromCivil(now.year, now.month, now.day) - daysBack;
    return fromSerialSeconds(monday * SECONDS_PER_DAY);
}

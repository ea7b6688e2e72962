#include "race/RecordsEdit.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "core/TextFields.h"
#include "output/Leaderboard.h"
#include "output/TimeText.h"
#include "race/RaceState.h"
#include "race/RecordLines.h"

namespace {

// The mode word of an obstacle race as each encoding spells it. The core is
// compiled for Windows with a code page 936 execution character set too, so a
// Chinese literal would stand for different bytes in the two builds.
constexpr std::string_view OBSTACLE_CP936 = "\xD5\xCF\xB0\xAD\xC8\xFC";
constexpr std::string_view OBSTACLE_UTF8 = "\xE9\x9A\x9C\xE7\xA2\x8D\xE8\xB5\x9B";
constexpr std::string_view OBSTACLE_UTF16LE = "\x9C\x96\x8D\x78\x5B\x8D";
constexpr std::string_view OBSTACLE_UTF16BE = "\x96\x9C\x78\x8D\x8D\x5B";

constexpr int64_t SECONDS_PER_WEEK = 7 * 86400;

bool isObstacleWord(std::string_view word, TextEncoding e) {
    switch (lineEncoding(word, e)) {
    case TextEncoding::Cp936: return word == OBSTACLE_CP936;
    case TextEncoding::Utf8: return word == OBSTACLE_UTF8;
    case TextEncoding::Utf16Le: return word == OBSTACLE_UTF16LE;
    case TextEncoding::Utf16Be: return word == OBSTACLE_UTF16BE;
    }
    return false;
}

// ASCII text in the file's encoding.
std::string encodeAscii(std::string_view ascii, TextEncoding e) {
    if (!isUtf16(e)) return std::string(ascii);
    std::string wide;
    wide.reserve(ascii.size() * 2);
    for (char c : ascii) {
        if (e == TextEncoding::Utf16Be) wide += '\0';
        wide += c;
        if (e == TextEncoding::Utf16Le) wide += '\0';
    }
    return wide;
}

// Takes records bytes apart: every line to onLine(begin, contentEnd, end) (bytes
// of the file; the line end lies between the last two), and every race whose
// header time can be read, once its lines are all seen, to onRace. The race
// handed over is reused for the next one, so that a reader which needs each
// race once allocates nothing per race. onText sees the text the lines are
// split from first (a byte per code unit for UTF-16).
template <typename OnText, typename OnLine, typename OnRace>
void scanRecords(std::string_view all, TextEncoding encoding, std::size_t markLength, OnText&& onText,
                 OnLine&& onLine, OnRace&& onRace) {
    // UTF-16 is split and classified on a view of a byte per code unit; the
    // lines keep the byte ranges of the file itself.
    const bool wide = isUtf16(encoding);
    const std::string view = wide ? asciiView(all) : std::string();
    const std::string_view text = wide ? std::string_view(view) : all;
    const std::size_t unit = wide ? 2 : 1;
    const std::size_t base = wide ? markLength : 0;
    const auto byteAt = [&](std::size_t i) { return base + unit * i; };
    onText(text);

    RecordsRace race{};
    bool open = false;  // whether `race` takes the next contestant lines
    const auto closeRace = [&](std::size_t endLine) {
        if (!open) return;
        race.endLine = endLine;
        onRace(race);
        open = false;
    };
    std::size_t index = 0;
    for (std::size_t begin = wide ? 0 : markLength; begin < text.size(); ++index) {
        const std::size_t end = lineEnd(text, begin);
        const std::size_t stop = lineContentEnd(text, begin, end);
        const std::size_t lineBegin = byteAt(begin);
        onLine(lineBegin, byteAt(stop), byteAt(end));
        const std::string_view content = text.substr(begin, stop - begin);
        begin = end;

        const RecordLine r = classifyRecordLine(content);
        if (r.kind == RecordLine::Header) {
            closeRace(index);
            if (!r.timeValid) continue;  // its lines count for no race, as in the reader
            std::string_view mode, stamp;
            findField(content, ',', 0, &mode);
            findField(content, ',', 1, &stamp);
            race.time = r.raceTime;
            race.stamp.assign(stamp);
            race.obstacle = isObstacleWord(all.substr(lineBegin, unit * mode.size()), encoding);
            race.headerLine = index;
            race.rows.clear();
            open = true;
        } else if (r.kind == RecordLine::Contestant && open) {
            race.rows.push_back(RecordsRow{all.substr(lineBegin, unit * r.name.size()), r.elapsedMs, r.score, index});
        }
    }
    // An odd last byte of a UTF-16 file belongs to no line and stays.
    closeRace(index);
}

}  // namespace

RecordsDocument::RecordsDocument(std::string bytes)
    : bytes_(std::make_shared<const std::string>(std::move(bytes))) {
    // Reserved so that the array of lines is allocated once: on a file of
    // years of races, fresh memory costs more than the reading.
    const auto reserve = [this](std::string_view text) {
        lines_.reserve(1 + std::count_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }));
    };
    encoding_ = detectLinesEncoding(*bytes_, &markLength_);
    scanRecords(
        *bytes_, encoding_, markLength_, reserve,
        [this](std::size_t begin, std::size_t contentEnd, std::size_t end) {
            lines_.push_back(Line{begin, contentEnd, end});
        },
        [this](const RecordsRace& race) { races_.push_back(race); });
}

void forEachRecordsRace(std::string_view bytes,
                        const std::function<void(const RecordsRace&, TextEncoding)>& take) {
    std::size_t mark = 0;
    const TextEncoding encoding = detectLinesEncoding(bytes, &mark);
    scanRecords(
        bytes, encoding, mark, [](std::string_view) {}, [](std::size_t, std::size_t, std::size_t) {},
        [&](const RecordsRace& race) { take(race, encoding); });
}

std::string RecordsDocument::withRow(const RecordsRace& race, std::size_t row, int32_t elapsedMs,
                                     int32_t score) const {
    const std::string& all = *bytes_;
    if (row >= race.rows.size() || race.rows[row].line >= lines_.size()) return all;
    const Line& line = lines_[race.rows[row].line];
    const std::size_t nameEnd = line.begin + race.rows[row].name.size();
    if (nameEnd > line.contentEnd) return all;
    const std::string fields = encodeAscii("," + getStrInt(elapsedMs) + "," + getStrInt(score), encoding_);
    std::string out;
    out.reserve(all.size() + fields.size());
    out.append(all, 0, nameEnd).append(fields).append(all, line.contentEnd, std::string::npos);
    return out;
}

std::string RecordsDocument::withoutRace(const RecordsRace& race) const {
    const std::string& all = *bytes_;
    if (race.headerLine >= race.endLine || race.endLine > lines_.size()) return all;
    const std::size_t begin = lines_[race.headerLine].begin;
    const std::size_t end = lines_[race.endLine - 1].end;
    std::string out;
    out.reserve(all.size() - (end - begin));
    out.append(all, 0, begin).append(all, end, std::string::npos);
    return out;
}

std::vector<const RecordsRace*> racesOfWeek(const RecordsDocument& document,
                                            const LocalTime& weekStart) {
    const int64_t from = toSerialSeconds(weekStart);
    const auto secondsOf = [](const RecordsRace* race) { return toSerialSeconds(race->time); };
    std::vector<const RecordsRace*> week;
    const std::vector<RecordsRace>& races = document.races();
    // Gathered from the end, so that a stable sort keeps the later of equal
    // times first.
    for (auto race = races.rbegin(); race != races.rend(); ++race) {
        const int64_t seconds = secondsOf(&*race);
        if (seconds >= from && seconds - from < SECONDS_PER_WEEK) week.push_back(&*race);
    }
    std::stable_sort(week.begin(), week.end(), [&](const RecordsRace* a, const RecordsRace* b) {
        return secondsOf(a) > secondsOf(b);
    });
    return week;
}

std::vector<std::size_t> rowsByPlace(const RecordsRace& race) {
    // Placed by the results board's own rules, so that the two never differ.
    std::vector<Contestant> table(race.rows.size());
    for (std::size_t i = 0; i < table.size(); ++i) {
        table[i].elapsedMs = race.rows[i].elapsedMs;
        table[i].score = race.rows[i].score;
    }
    placeResults(table.data(), static_cast<int>(table.size()), race.obstacle);
    std::vector<std::size_t> order(table.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return table[a].place < table[b].place; });
    return order;
}

namespace {

// NO_TIME is no time at all; hours are the most a typed time has.
constexpr int64_t TYPED_TIME_LIMIT = NO_TIME;

// Full-width characters a Chinese input method types into a time, as code
// page 936 pairs (the program's strings), with what they stand for.
struct FullWidthChar {
    unsigned char lead, trail;
    char ascii;
};
constexpr FullWidthChar FULL_WIDTH[] = {
    {0xA3, 0xBA, ':'},  {0xA3, 0xAE, '.'},  {0xA3, 0xA7, '\''}, {0xA3, 0xA2, '"'},
    {0xA1, 0xE4, '\''}, {0xA1, 0xE5, '"'},  {0xA1, 0xAF, '\''}, {0xA1, 0xB1, '"'},
    {0xA1, 0xA1, ' '},
    // With Chinese punctuation on, the input method types 。 for the full
    // stop, ‘ or ’ for the apostrophe, “ or ” for the double quote.
    {0xA1, 0xA3, '.'},  {0xA1, 0xAE, '\''}, {0xA1, 0xB0, '"'},
};

// The text with full-width digits and signs as their ASCII forms; false at
// any other double-byte character or a lead byte cut off.
bool toHalfWidth(std::string_view text, std::string* out) {
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            *out += text[pos++];
            continue;
        }
        if (pos + 1 >= text.size()) return false;
        const auto trail = static_cast<unsigned char>(text[pos + 1]);
        pos += 2;
        if (lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9) {
            *out += static_cast<char>('0' + (trail - 0xB0));
            continue;
        }
        const auto* found = std::find_if(std::begin(FULL_WIDTH), std::end(FULL_WIDTH),
                                         [&](const FullWidthChar& f) { return f.lead == lead && f.trail == trail; });
        if (found == std::end(FULL_WIDTH)) return false;
        *out += found->ascii;
    }
    return true;
}

// The digits at *pos; *pos moves past them. Values past the limit saturate,
// so that a long run of digits cannot overflow.
std::size_t readDigits(std::string_view text, std::size_t* pos, int64_t* value) {
    std::size_t count = 0;
    *value = 0;
    for (; *pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9'; ++*pos, ++count)
        *value = std::min(*value * 10 + (text[*pos] - '0'), TYPED_TIME_LIMIT);
    return count;
}

}  // namespace

bool parseTypedTime(std::string_view typed, int32_t* ms) {
    std::string text;
    if (!toHalfWidth(typed, &text)) return false;
    std::string_view t(text);
    const std::size_t first = t.find_first_not_of(" \t");
    if (first == std::string_view::npos) return false;
    t = t.substr(first, t.find_last_not_of(" \t") + 1 - first);
    if (t.back() == '"') t.remove_suffix(1);

    // Up to three numbers: seconds; minutes and seconds; hours, minutes and
    // seconds, the hours ended by a colon (1'02'03 is no time). A number after
    // the first stays below 60.
    std::size_t pos = 0;
    int64_t parts[3] = {0, 0, 0};
    char hoursEnd = 0;  // the separator after the first number
    int count = 0;
    for (;; ++pos) {
        if (readDigits(t, &pos, &parts[count]) == 0 || (count > 0 && parts[count] >= 60)) return false;
        if (++count == 3 && hoursEnd != ':') return false;
        if (count == 3 || pos >= t.size() || (t[pos] != '\'' && t[pos] != ':')) break;
        if (count == 1) hoursEnd = t[pos];
    }
    int64_t total = 0;
    for (int i = 0; i < count; ++i) total = total * 60 + parts[i];
    total *= 1000;
    if (pos < t.size() && t[pos] == '.') {
        ++pos;
        static const int64_t SCALE[] = {100, 10, 1};  // ms per unit of 1, 2 or 3 decimals
        int64_t fraction = 0;
        const std::size_t decimals = readDigits(t, &pos, &fraction);
        if (decimals < 1 || decimals > 3) return false;
        total += fraction * SCALE[decimals - 1];
    }
    if (pos != t.size() || total >= TYPED_TIME_LIMIT) return false;
    *ms = static_cast<int32_t>(total);
    return true;
}

std::string resultTimeText(int32_t ms) {
    const uint32_t t = static_cast<uint32_t>(ms);
    if (ms >= 0 && t < 3600000u) return formatTime(t);
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u:%02u.%02u", t / 3600000u, t / 60000u % 60u, t / 1000u % 60u,
                  t % 1000u / 10u);
    return text;
}

ResultFields shownResult(int32_t elapsedMs, int32_t score) {
    const bool noTime = elapsedMs == NO_TIME || elapsedMs < 0;
    return ResultFields{noTime ? std::string() : resultTimeText(elapsedMs), noTime, getStrInt(score)};
}

ResultEdit readEditedResult(const ResultFields& shown, const ResultFields& typed, bool obstacle,
                            int32_t* elapsedMs, int32_t* score) {
    int32_t ms = *elapsedMs, value = *score;
    const bool timeTouched = typed.noTime != shown.noTime || (!typed.noTime && typed.time != shown.time);
    if (timeTouched && typed.noTime) ms = NO_TIME;
    else if (timeTouched && !parseTypedTime(typed.time, &ms)) return ResultEdit::BadTime;
    if (obstacle && typed.score != shown.score) {
        std::string_view text(typed.score);
        const std::size_t first = text.find_first_not_of(' ');
        text = first == std::string_view::npos ? std::string_view() : text.substr(first, text.find_last_not_of(' ') + 1 - first);
        if (!parseInt32Field(text, &value)) return ResultEdit::BadScore;
    }
    *elapsedMs = ms;
    *score = value;
    return ResultEdit::Taken;
}

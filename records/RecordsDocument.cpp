#include "records/RecordsDocument.h"

#include "core/TextFields.h"
#include "records/Ranking.h"

#include <algorithm>

namespace {

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

}  // namespace

RecordsDocument::RecordsDocument(std::string bytes)
    : bytes_(std::make_shared<const std::string>(std::move(bytes))) {
    encoding_ = detectLinesEncoding(*bytes_, &markLength_);
    // Reserved so that the array of lines is allocated once: on a file of
    // years of races, fresh memory costs more than the reading.
    lines_.reserve(1 + std::count_if(bytes_->begin(), bytes_->end(), [](char c) { return c == '\n' || c == '\r'; }));
    RecordsScanner scanner;
    bool open = false;  // whether the last race takes the next rows
    scanRecordLines(
        *bytes_, encoding_, markLength_, true, scanner,
        [this](std::size_t begin, std::size_t contentEnd, std::size_t end) {
            lines_.push_back(Line{begin, contentEnd, end});
        },
        [&](RecordsScanner::Step step, std::size_t index) {
            using Step = RecordsScanner::Step;
            if (step == Step::Row) {
                races_.back().rows.push_back(scanner.row());
                return;
            }
            if (step == Step::Nothing) return;
            if (open) races_.back().endLine = index;
            if (step == Step::Opened) {
                races_.push_back(scanner.header());
                races_.back().stamp.assign(scanner.stamp());
            }
            open = step == Step::Opened;
        });
    // An odd last byte of a UTF-16 file belongs to no line and stays.
    if (open) races_.back().endLine = lines_.size();
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


#include "records/RecordsIndex.h"

#include "core/TextFields.h"
#include "records/Ranking.h"

#include <algorithm>
#include <unordered_map>

RecordsIndex::RecordsIndex(NameToAnsi toAnsi) : toAnsi_(std::move(toAnsi)) { reset(); }

void RecordsIndex::reset(TextEncoding encoding, std::size_t markLength) {
    encoding_ = encoding;
    markLeft_ = markLength;
    NameToAnsi toAnsi = toAnsi_ ? toAnsi_ : [](std::string_view name, TextEncoding) { return std::string(name); };
    names_ = std::make_shared<RecordsNames>(std::move(toAnsi), encoding);
    scanner_ = RecordsScanner();
    races_.clear();
    partialLine_.clear();
}

void RecordsIndex::feed(std::string_view chunk) {
    // UTF-16 comes whole, its mark included: its lines are split on a view of
    // the whole text.
    if (isUtf16(encoding_)) {
        take(chunk, true);
        return;
    }
    const std::size_t mark = std::min(markLeft_, chunk.size());
    chunk.remove_prefix(mark);
    markLeft_ -= mark;
    if (partialLine_.empty()) {
        partialLine_.assign(chunk.substr(std::min(take(chunk, false), chunk.size())));
        return;
    }
    // The line held back ends somewhere in this piece.
    const std::size_t end = lineEnd(chunk, 0);
    const std::size_t stop = lineContentEnd(chunk, 0, end);
    partialLine_.append(chunk.substr(0, end));
    if (stop == end) return;  // still no line end
    const std::string line = std::move(partialLine_);
    partialLine_.clear();
    take(line, true);
    chunk.remove_prefix(end);
    partialLine_.assign(chunk.substr(std::min(take(chunk, false), chunk.size())));
}

void RecordsIndex::finish() {
    if (partialLine_.empty()) return;
    const std::string line = std::move(partialLine_);
    partialLine_.clear();
    take(line, true);
}

// Returns where the bytes not taken begin.
std::size_t RecordsIndex::take(std::string_view lines, bool toEnd) {
    const std::size_t mark = isUtf16(encoding_) ? markLeft_ : 0;
    return scanRecordLines(
        lines, encoding_, mark, toEnd, scanner_, [](std::size_t, std::size_t, std::size_t) {},
        [this](RecordsScanner::Step step, std::size_t) {
            if (step == RecordsScanner::Step::Opened) {
                races_.push_back(Race{toSerialSeconds(scanner_.header().time), scanner_.header().obstacle, {}});
                return;
            }
            // Lines without a real time (never started, zero, negative) add nothing.
            const RecordsRow& row = scanner_.row();
            if (step == RecordsScanner::Step::Row && isCountedTime(row.elapsedMs))
                races_.back().results.push_back(Result{std::string(names_->ansi(row.name)), row.elapsedMs, row.score});
        });
}

void RecordsIndex::dropRacesBefore(int64_t serialSeconds) {
    if (races_.empty()) return;
    const bool openRaceDropped = races_.back().raceSeconds < serialSeconds;
    races_.erase(std::remove_if(races_.begin(), races_.end(),
                                [serialSeconds](const Race& r) { return r.raceSeconds < serialSeconds; }),
                 races_.end());
    // Lines still to come for a dropped race must not land in another one.
    if (openRaceDropped) scanner_.close();
}

template <typename Add>
bool RecordsIndex::forEachOfWeek(const LocalTime& now, Add&& add) const {
    const int64_t from = toSerialSeconds(weekWindowStart(now));
    const int64_t to = toSerialSeconds(now);
    bool hasWeeklyData = false;
    for (const Race& race : races_) {
        if (race.raceSeconds < from || race.raceSeconds > to) continue;
        hasWeeklyData = hasWeeklyData || !race.results.empty();
        for (const Result& result : race.results) add(result);
    }
    return hasWeeklyData;
}

bool RecordsIndex::sumWeek(const LocalTime& now, const Contestant* roster, int count,
                           Contestant* totals, int* races) const {
    count = std::clamp(count, 0, MAX_CONTESTANTS);
    std::fill(totals, totals + MAX_CONTESTANTS, Contestant{});
    int counted[MAX_CONTESTANTS] = {};
    std::string names[MAX_CONTESTANTS];
    for (int i = 0; i < count; ++i) {
        fitName(fixedText(roster[i].name), totals[i].name);
        names[i] = recordsNameOf(fixedText(totals[i].name));
    }
    // Equal roster names both receive the sums of that name.
    const bool hasWeeklyData = forEachOfWeek(now, [&](const Result& result) {
        for (int i = 0; i < count; ++i)
            if (names[i] == result.name) addToWeek(totals[i], counted[i], result.elapsedMs, result.score);
    });
    placeWeekly(totals, counted, count);
    if (races) std::copy(counted, counted + MAX_CONTESTANTS, races);
    return hasWeeklyData;
}

int RecordsIndex::sumClassWeek(const LocalTime& now, const std::vector<std::string>& names, Contestant* totals,
                               bool* hasWeeklyData) const {
    std::vector<Contestant> all(names.size());
    std::vector<int> counted(names.size(), 0);
    std::unordered_map<std::string, std::size_t> byName;
    for (std::size_t i = 0; i < names.size(); ++i) byName.emplace(recordsNameOf(names[i]), i);
    *hasWeeklyData = forEachOfWeek(now, [&](const Result& result) {
        const auto found = byName.find(result.name);
        if (found != byName.end())
            addToWeek(all[found->second], counted[found->second], result.elapsedMs, result.score);
    });
    placeWeekly(all.data(), counted.data(), static_cast<int>(all.size()));
    std::vector<std::size_t> order;
    for (std::size_t i = 0; i < all.size(); ++i)
        if (all[i].place > 0) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return all[a].place < all[b].place; });
    std::fill(totals, totals + MAX_CONTESTANTS, Contestant{});
    const int shown = static_cast<int>(std::min<std::size_t>(order.size(), MAX_CONTESTANTS));
    for (int k = 0; k < shown; ++k) {
        totals[k] = all[order[k]];
        fitName(names[order[k]], totals[k].name);
    }
    return shown;
}

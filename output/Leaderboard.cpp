#include "output/Leaderboard.h"

#include <algorithm>

#include "core/TextEncoding.h"
#include "core/TextFields.h"
#include "race/RecordLines.h"

namespace {

void clearPlaced(Contestant* table, int count) {
    for (int i = 0; i < count; ++i) table[i].placed = 0;
}

bool hasUnplaced(const Contestant* table, int count) {
    return std::any_of(table, table + std::max(count, 0),
                       [](const Contestant& c) { return !c.placed; });
}

// Times compare as unsigned milliseconds: any time, NO_TIME and those beyond
// TIME_CEILING included, finds its place after every shorter one.
uint32_t timeOf(const Contestant& c) { return static_cast<uint32_t>(c.elapsedMs); }

// Gives `place` to every unplaced entry that `member` accepts and whose time is
// the shortest among them. Returns false when no such entry is left.
template <typename Member>
bool placeShortestTime(Contestant* table, int count, int place, Member member) {
    const Contestant* shortest = nullptr;
    for (int i = 0; i < count; ++i) {
        if (!table[i].placed && member(table[i]) &&
            (!shortest || timeOf(table[i]) < timeOf(*shortest)))
            shortest = &table[i];
    }
    if (!shortest) return false;
    const uint32_t time = timeOf(*shortest);
    for (int i = 0; i < count; ++i) {
        if (!table[i].placed && member(table[i]) && timeOf(table[i]) == time) {
            table[i].place = place;
            table[i].placed = 1;
        }
    }
    return true;
}

int32_t highestUnplacedScore(const Contestant* table, int count) {
    int32_t highest = INT32_MIN;
    for (int i = 0; i < count; ++i) {
        if (!table[i].placed) highest = std::max(highest, table[i].score);
    }
    return highest;
}


}  // namespace

void placeByTime(Contestant* table, int count) {
    clearPlaced(table, count);
    int place = 1;
    while (placeShortestTime(table, count, place, [](const Contestant&) { return true; })) ++place;
}

void placeByScore(Contestant* table, int count) {
    clearPlaced(table, count);
    int place = 1;
    while (hasUnplaced(table, count)) {
        const int32_t score = highestUnplacedScore(table, count);
        auto withScore = [score](const Contestant& c) { return c.score == score; };
        while (placeShortestTime(table, count, place, withScore)) ++place;
    }
}

void placeWeekly(Contestant* totals, const int* races, int count) {
    count = std::clamp(count, 0, MAX_CONTESTANTS);
    for (int i = 0; i < count; ++i) {
        totals[i].place = 0;
        totals[i].placed = 0;
    }
    // Whether entry a places before entry b.
    auto ahead = [totals, races](int a, int b) {
        if (totals[a].score != totals[b].score) return totals[a].score > totals[b].score;
        if (races[a] != races[b]) return races[a] > races[b];
        return timeOf(totals[a]) < timeOf(totals[b]);
    };
    for (int place = 1;; ++place) {
        int best = -1;
        for (int i = 0; i < count; ++i) {
            if (races[i] > 0 && !totals[i].placed && (best < 0 || ahead(i, best))) best = i;
        }
        if (best < 0) return;
        for (int i = 0; i < count; ++i) {
            if (races[i] > 0 && !totals[i].placed && !ahead(best, i)) {
                totals[i].place = place;
                totals[i].placed = 1;
            }
        }
    }
}

void placeResults(Contestant* table, int count, bool obstacle) {
    if (obstacle) {
        placeByScore(table, count);
    } else {
        placeByTime(table, count);
    }
}

void RecordsIndex::reset() {
    races_.clear();
    inCountableRace_ = false;
    partialLine_.clear();
}

void RecordsIndex::feed(std::string_view chunk) {
    const std::size_t rest = forEachLine(chunk, [this](std::string_view piece) {
        if (partialLine_.empty()) {
            takeLine(piece);
            return;
        }
        partialLine_ += piece;
        takeLine(partialLine_);
        partialLine_.clear();
    });
    partialLine_ += chunk.substr(rest);
}

void RecordsIndex::finish() {
    if (partialLine_.empty()) return;
    takeLine(partialLine_);
    partialLine_.clear();
}

void RecordsIndex::takeLine(std::string_view line) {
    const RecordLine r = classifyRecordLine(line);
    if (r.kind == RecordLine::Header) {
        inCountableRace_ = r.timeValid;
        if (r.timeValid) races_.push_back(Race{toSerialSeconds(r.raceTime), {}});
        return;
    }
    // Lines without a real time (never started, zero, negative) add nothing.
    bool counts = r.kind == RecordLine::Contestant && inCountableRace_ && isCountedTime(r.elapsedMs);
    if (counts) races_.back().results.push_back(Result{r.name, r.elapsedMs, r.score});
}

void RecordsIndex::dropRacesBefore(int64_t serialSeconds) {
    if (races_.empty()) return;
    const bool openRaceDropped = races_.back().raceSeconds < serialSeconds;
    races_.erase(std::remove_if(races_.begin(), races_.end(),
                                [serialSeconds](const Race& r) { return r.raceSeconds < serialSeconds; }),
                 races_.end());
    // Lines still to come for a dropped race must not land in another one.
    if (openRaceDropped) inCountableRace_ = false;
}

bool RecordsIndex::sumWeek(const LocalTime& now, const Contestant* roster, int count,
                           Contestant* totals, int* races) const {
    count = std::clamp(count, 0, MAX_CONTESTANTS);
    std::fill(totals, totals + MAX_CONTESTANTS, Contestant{});
    int counted[MAX_CONTESTANTS] = {};
    for (int i = 0; i < count; ++i) fitName(fixedText(roster[i].name), totals[i].name);
    std::string names[MAX_CONTESTANTS];
    for (int i = 0; i < count; ++i) names[i] = recordName(fixedText(totals[i].name));

    const int64_t from = toSerialSeconds(weekWindowStart(now));
    const int64_t to = toSerialSeconds(now);
    bool hasWeeklyData = false;
    for (const Race& race : races_) {
        if (race.raceSeconds < from || race.raceSeconds > to) continue;
        hasWeeklyData = hasWeeklyData || !race.results.empty();
        addWeekOf(race, names, count, totals, counted);
    }
    placeWeekly(totals, counted, count);
    if (races) std::copy(counted, counted + MAX_CONTESTANTS, races);
    return hasWeeklyData;
}

void RecordsIndex::addWeekOf(const Race& race, const std::string* names, int count,
                             Contestant* totals, int* races) {
    for (const Result& result : race.results) {
        for (int i = 0; i < count; ++i) {
            if (names[i] != result.name) continue;
            ++races[i];
            totals[i].elapsedMs = saturatingAdd(totals[i].elapsedMs, result.elapsedMs);
            totals[i].score = saturatingAdd(totals[i].score, result.score);
        }
    }
}

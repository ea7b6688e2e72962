#include "records/Ranking.h"

#include <algorithm>

namespace {

uint32_t timeOf(int32_t ms) { return static_cast<uint32_t>(ms); }

// Gives the next dense places to the first count entries of the table, by
// `ahead` (whether entry a places before entry b) among the entries `member`
// accepts; entries neither ahead of the other share a place.
template <typename Ahead, typename Member>
void placeDensely(Contestant* table, int count, Ahead ahead, Member member) {
    for (int i = 0; i < count; ++i) {
        table[i].place = 0;
        table[i].placed = 0;
    }
    for (int place = 1;; ++place) {
        int best = -1;
        for (int i = 0; i < count; ++i) {
            if (member(i) && !table[i].placed && (best < 0 || ahead(i, best))) best = i;
        }
        if (best < 0) return;
        for (int i = 0; i < count; ++i) {
            if (member(i) && !table[i].placed && !ahead(best, i)) {
                table[i].place = place;
                table[i].placed = 1;
            }
        }
    }
}

}  // namespace

bool placesBefore(int32_t aMs, int32_t aScore, int32_t bMs, int32_t bScore, bool obstacle) {
    if (obstacle && aScore != bScore) return aScore > bScore;
    return timeOf(aMs) < timeOf(bMs);
}

void placeResults(Contestant* table, int count, bool obstacle) {
    placeDensely(
        table, std::max(count, 0),
        [table, obstacle](int a, int b) {
            return placesBefore(table[a].elapsedMs, table[a].score, table[b].elapsedMs, table[b].score, obstacle);
        },
        [](int) { return true; });
}

void placeWeekly(Contestant* totals, const int* races, int count) {
    placeDensely(
        totals, std::clamp(count, 0, MAX_CONTESTANTS),
        [totals, races](int a, int b) {
            if (totals[a].score != totals[b].score) return totals[a].score > totals[b].score;
            if (races[a] != races[b]) return races[a] > races[b];
            return timeOf(totals[a].elapsedMs) < timeOf(totals[b].elapsedMs);
        },
        [races](int i) { return races[i] > 0; });
}

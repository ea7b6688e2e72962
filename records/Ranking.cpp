#include "records/Ranking.h"

#include "core/TextFields.h"

#include <algorithm>
#include <vector>

namespace {

uint32_t timeOf(int32_t ms) { return static_cast<uint32_t>(ms); }

// Dense places for the first count entries by `ahead` (whether entry a
// places before entry b, a strict weak order) among the entries `member`
// accepts: entries neither ahead of the other share a place. The others keep
// place 0. Sorted, so that a class of thousands is placed at once.
template <typename Ahead, typename Member>
void placeDensely(Contestant* table, int count, Ahead ahead, Member member) {
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        table[i].place = 0;
        table[i].placed = 0;
        if (member(i)) order.push_back(i);
    }
    std::stable_sort(order.begin(), order.end(), ahead);
    int place = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        if (k == 0 || ahead(order[k - 1], order[k])) ++place;
        table[order[k]].place = place;
        table[order[k]].placed = 1;
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
        totals, std::max(count, 0),
        [totals, races](int a, int b) {
            if (totals[a].score != totals[b].score) return totals[a].score > totals[b].score;
            if (races[a] != races[b]) return races[a] > races[b];
            return timeOf(totals[a].elapsedMs) < timeOf(totals[b].elapsedMs);
        },
        [races](int i) { return races[i] > 0; });
}

void addToWeek(Contestant& total, int& races, int32_t elapsedMs, int32_t score) {
    ++races;
    total.elapsedMs = saturatingAdd(total.elapsedMs, elapsedMs);
    total.score = saturatingAdd(total.score, score);
}

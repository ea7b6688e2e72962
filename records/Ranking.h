// Who places before whom, side by side for every board: the results of one
// race, the weekly sums, and a child's best of a week on the term board.
// Places are dense: equal keys share a place and the next key takes the next
// number (1, 1, 2).
#pragma once

#include "core/RaceState.h"

#include <cstdint>

// Whether a records line's time is a result: a clock that never ran
// (NO_TIME), and a time of 0 or below, add nothing to any board.
inline bool isCountedTime(int32_t elapsedMs) { return elapsedMs > 0 && elapsedMs != NO_TIME; }

// One race's rule: a timed race places the shorter time (as unsigned
// milliseconds, so NO_TIME and any time beyond TIME_CEILING still find their
// place after every shorter one) first and ignores the score; an obstacle
// race places the higher score (signed) first, equal scores by the shorter
// time. The term board's best of a week is the result this places first.
bool placesBefore(int32_t aMs, int32_t aScore, int32_t bMs, int32_t bScore, bool obstacle);

// Each of these gives a place to every one of the first count entries; they
// reset `placed` themselves, so a table can be placed any number of times.
// The results of a race by the rule above.
void placeResults(Contestant* table, int count, bool obstacle);
inline void placeByTime(Contestant* table, int count) { placeResults(table, count, false); }
inline void placeByScore(Contestant* table, int count) { placeResults(table, count, true); }

// The weekly rule, for the heat's table or a whole class: only entries with
// at least one counted race this week are
// placed (the others keep place 0 and are not shown); highest summed score
// first, then more counted races, then the shortest summed time. Without the
// race count, a name absent all week would lead everyone of equal score with
// its summed time of 0.
void placeWeekly(Contestant* totals, const int* races, int count);
// One counted result of the week added to an entry's sums, and to its
// number of races.
void addToWeek(Contestant& total, int& races, int32_t elapsedMs, int32_t score);

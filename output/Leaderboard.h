// Placings of the two boards, and the weekly sums read back from the records
// file. Places are dense: equal keys share a place and the next key takes the
// next number (1, 1, 2).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/TimeStamp.h"
#include "race/RaceState.h"

// Whether a records line's time is a result: a clock that never ran
// (NO_TIME), and a time of 0 or below, add nothing to any board.
inline bool isCountedTime(int32_t elapsedMs) { return elapsedMs > 0 && elapsedMs != NO_TIME; }

// Each of these gives a place to every one of the first count entries; they
// reset `placed` themselves, so a table can be placed any number of times.
// Shortest elapsedMs (unsigned) first.
void placeByTime(Contestant* table, int count);
// Highest score (signed) first, equal scores by shortest elapsedMs.
void placeByScore(Contestant* table, int count);
// The results of the race just ended, by the rules of its mode.
void placeResults(Contestant* table, int count, bool obstacle);
// The weekly board: only entries with at least one counted race this week are
// placed (the others keep place 0 and are not shown); highest summed score
// first, then more counted races, then the shortest summed time. Without the
// race count, a name absent all week would lead everyone of equal score with
// its summed time of 0.
void placeWeekly(Contestant* totals, const int* races, int count);

// The records file, split into races and kept in memory, so that a reader can
// hand over only the bytes appended since its last look. Read afresh with
// reset(), feed(whole file), finish().
class RecordsIndex {
public:
    void reset();
    // Any piece of the file, continuing where the last one stopped; a line cut
    // between two pieces is held until its end arrives. A line ends at LF, at
    // CR LF, or at a CR alone.
    void feed(std::string_view chunk);
    // The file ends here: a last line without a line end counts.
    void finish();

    // Clears all MAX_CONTESTANTS entries of totals, copies the names of the
    // first count roster entries and adds to them every counted line of the
    // races held between 00:00 of this week's Monday and now; then places
    // totals with placeWeekly. `races`, when given, receives the number of
    // counted lines of each of the MAX_CONTESTANTS entries. Returns whether
    // any line of this week counted, even one whose name is not in the roster.
    bool sumWeek(const LocalTime& now, const Contestant* roster, int count,
                 Contestant* totals, int* races = nullptr) const;

    // Forgets the races that began before `serialSeconds`. A race that has
    // ended before the current week began can never count again while time
    // runs forward, so a long-lived index keeps only the week.
    void dropRacesBefore(int64_t serialSeconds);
    size_t raceCount() const { return races_.size(); }

private:
    struct Result {
        std::string name;
        int32_t elapsedMs;
        int32_t score;
    };
    struct Race {
        int64_t raceSeconds;
        std::vector<Result> results;
    };

    void takeLine(std::string_view line);
    // `names`: the roster's names as the records file writes them.
    static void addWeekOf(const Race& race, const std::string* names, int count, Contestant* totals,
                          int* races);

    std::vector<Race> races_;
    // Lines after a header whose time cannot be read, or before any header,
    // belong to no race that could count.
    bool inCountableRace_ = false;
    std::string partialLine_;
};

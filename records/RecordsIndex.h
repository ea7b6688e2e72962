// The weekly board's view of the records file: its races, each with the
// counted results of its rows, kept in memory so that a reader can hand over
// only the bytes appended since its last look. Read afresh with reset(),
// feed(whole file), finish().
#pragma once

#include "core/RaceState.h"
#include "core/TimeStamp.h"
#include "records/RecordsScan.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class RecordsIndex {
public:
    // `toAnsi` turns a name of a file that is not in code page 936; without
    // one, names stay as the file holds them.
    explicit RecordsIndex(NameToAnsi toAnsi = nullptr);

    // A file in `encoding` (its byte-order mark `markLength` bytes long) is
    // read from its start.
    void reset(TextEncoding encoding = TextEncoding::Cp936, std::size_t markLength = 0);
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

    // The weekly board of a whole class: every child of `names` (the class,
    // in class order) who ran this week, summed and placed by the same rule,
    // and of them the first MAX_CONTESTANTS in place order (a class's order
    // within a place) go to totals, the entries after them cleared. Returns
    // how many entries were filled; *hasWeeklyData as sumWeek says it.
    int sumClassWeek(const LocalTime& now, const std::vector<std::string>& names, Contestant* totals,
                     bool* hasWeeklyData) const;

    // Forgets the races that began before `serialSeconds`. A race that has
    // ended before the current week began can never count again while time
    // runs forward, so a long-lived index keeps only the week.
    void dropRacesBefore(int64_t serialSeconds);
    size_t raceCount() const { return races_.size(); }

private:
    struct Result {
        std::string name;  // the program's text, in the record form
        int32_t elapsedMs;
        int32_t score;
    };
    struct Race {
        int64_t raceSeconds;
        bool obstacle;
        std::vector<Result> results;
    };

    std::size_t take(std::string_view lines, bool toEnd);
    // Each counted result of this week's races to add(name, result).
    template <typename Add>
    bool forEachOfWeek(const LocalTime& now, Add&& add) const;

    NameToAnsi toAnsi_;
    TextEncoding encoding_ = TextEncoding::Cp936;
    std::size_t markLeft_ = 0;  // of the mark, the bytes still to come
    // Shared by the copies a reader makes to look ahead at an unended line.
    std::shared_ptr<RecordsNames> names_;
    RecordsScanner scanner_;
    std::vector<Race> races_;
    std::string partialLine_;
};

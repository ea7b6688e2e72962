// The records file taken apart into its races, so that the operator can
// correct one contestant's line or void a whole race and every other byte of
// the file stays as it was: the other blocks, the encoding and its byte-order
// mark, each line's own line end, the block's time stamp. Works on the bytes
// as they lie on the disk, in any encoding the records reader takes (code
// page 936, UTF-8 with or without a mark, UTF-16 LE or BE with a mark).
#pragma once

#include "core/TextEncoding.h"
#include "core/TimeStamp.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

struct RecordsRow {
    std::string_view name;  // field 0 as the file holds it: its encoding, the record form (，：)
    int32_t elapsedMs;
    int32_t score;
    std::size_t line;       // the line's index in the file, from 0
};

struct RecordsRace {
    LocalTime time;          // of its header line
    std::string stamp;       // the header's time stamp as written (ASCII)
    bool obstacle;           // the header's mode word is 障碍赛
    std::size_t headerLine;
    std::size_t endLine;     // one past its last line: the next header line, or the end
    std::vector<RecordsRow> rows;  // its contestant lines, in file order
};

class RecordsDocument {
public:
    // Any bytes; the encoding is decided as the records reader decides it.
    explicit RecordsDocument(std::string bytes);

    const std::string& bytes() const { return *bytes_; }
    TextEncoding encoding() const { return encoding_; }
    // Races whose header time can be read, in file order. Lines before the
    // first header and lines that are no contestant line belong to no row.
    const std::vector<RecordsRace>& races() const { return races_; }

    // The whole file with one contestant line written afresh exactly as a
    // race writes it ("name,elapsedMs,score"), keeping the name's bytes and
    // the line's own line end; fields after the score are dropped. A row
    // that is not there leaves the bytes as they are, as does a race that
    // is not the document's below.
    std::string withRow(const RecordsRace& race, std::size_t row, int32_t elapsedMs,
                        int32_t score) const;
    // The whole file without the race: from its header line up to the next
    // header line, or to the end.
    std::string withoutRace(const RecordsRace& race) const;

private:
    struct Line {
        std::size_t begin, contentEnd, end;  // bytes; the line end lies between the last two
    };
    // Shared, so that a copy's names still point into bytes it holds.
    std::shared_ptr<const std::string> bytes_;
    TextEncoding encoding_ = TextEncoding::Cp936;
    std::size_t markLength_ = 0;
    std::vector<Line> lines_;
    std::vector<RecordsRace> races_;
};

// The races of records bytes one after another, as a RecordsDocument of them
// holds them, without keeping them: for a reader that needs each race once
// and no memory for a file of years. `take` gets each race (its names point
// into `bytes`; the race is gone when take returns) and the file's encoding.
void forEachRecordsRace(std::string_view bytes,
                        const std::function<void(const RecordsRace&, TextEncoding)>& take);

// The races held from weekStart (a Monday, 00:00) for seven days, newest
// first.
std::vector<const RecordsRace*> racesOfWeek(const RecordsDocument& document,
                                            const LocalTime& weekStart);

// The race's rows in order of place by the rules of its mode: by time, or by
// score with time as the tie-break; equal places in file order.
std::vector<std::size_t> rowsByPlace(const RecordsRace& race);

// A time as an operator types it into a box: 01'23.45", 1'23.45, 1:23.45,
// 83.45 or 83, or with hours 1:02:03.45 (blanks around it, and the full-width
// digits and signs a Chinese input method gives, its 。‘’“”： included, are
// taken too), in milliseconds. False when the text is none of these or not
// below NO_TIME; *ms is then left alone.
bool parseTypedTime(std::string_view text, int32_t* ms);

// A stored time as 成绩管理 shows it: as the boards show it below an hour,
// and from an hour on with its hours (1:02:03.45), in a form parseTypedTime
// reads back to the hundredth.
std::string resultTimeText(int32_t ms);

// One result in the edit dialog's boxes: the time text and 无成绩, and the
// score text.
struct ResultFields {
    std::string time;
    bool noTime = false;
    std::string score;
};
ResultFields shownResult(int32_t elapsedMs, int32_t score);

// What OK makes of the boxes. A box the operator left as it was shown keeps
// the stored value to the millisecond (the box shows hundredths, and no
// hours' worth of a time is lost); only what was changed is read. In a timed
// race the score is never read. *elapsedMs and *score hold the stored values
// and get the new ones; on a refusal they are left alone.
enum class ResultEdit { Taken, BadTime, BadScore };
ResultEdit readEditedResult(const ResultFields& shown, const ResultFields& typed, bool obstacle,
                            int32_t* elapsedMs, int32_t* score);

// A change the operator made to a race of the records file, as the race
// just ended must know it: which race (by its header time, its rows and
// whether it was the file's last), and the row's new result, or the race
// voided.
struct RecordsChange {
    LocalTime raceTime = {};
    std::size_t raceRows = 0;
    bool lastRace = false;
    bool voided = false;
    std::size_t row = 0;
    int32_t elapsedMs = 0;
    int32_t score = 0;
};

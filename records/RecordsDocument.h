// The records file taken apart into its races, so that the operator can
// correct one contestant's line or void a whole race and every other byte of
// the file stays as it was: the other blocks, the encoding and its byte-order
// mark, each line's own line end, the block's time stamp. Its races are those
// of the scanner (records/RecordsScan), with the byte range of every line.
#pragma once

#include "core/TextEncoding.h"
#include "core/TimeStamp.h"
#include "records/RecordsScan.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

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

// The races held from weekStart (a Monday, 00:00) for seven days, newest
// first.
std::vector<const RecordsRace*> racesOfWeek(const RecordsDocument& document,
                                            const LocalTime& weekStart);

// The race's rows in order of place by the rules of its mode: by time, or by
// score with time as the tie-break; equal places in file order.
std::vector<std::size_t> rowsByPlace(const RecordsRace& race);

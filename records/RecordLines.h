// Lines of the records file _records.csv. Each ended race appends a block: a
// header "mode,time stamp", one "name,elapsedMs,score" line per contestant and
// an empty line. Fields are neither quoted nor escaped.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/RaceState.h"
#include "core/TextEncoding.h"
#include "core/TimeStamp.h"

// The two modes as the header line, the window captions and the lists name
// them: 计时赛 (timed) and 障碍赛 (obstacle), in the program's text.
const char* modeText(bool obstacle);
// Whether a header's mode word, as a file in `encoding` holds it (a line of
// a UTF-8 file may still be code page 936), is 障碍赛.
bool isObstacleWord(std::string_view word, TextEncoding encoding);

std::string recordHeaderLine(const std::string& modeText, const std::string& stamp);
// A name as it is written to a line: a comma would split the line and a colon
// would make it a header (and lose the race's lines after it), so both are
// written full-width. Names are matched against the file in this form too.
std::string recordName(std::string_view name);
// The name a child's lines carry in the records file: the child's name cut
// to the record's 11 bytes as the roster loader cuts it, in the form above.
// A name of the file (in the program's text) is that child's when it equals
// this: the weekly board, the term board and the class list all match so.
std::string recordsNameOf(std::string_view childName);
std::string recordContestantLine(const Contestant& c);

// The whole block of one race, the empty closing line included.
std::vector<std::string> raceRecordBlock(const std::string& modeText, const std::string& stamp,
                                         const Contestant* table, int count);

struct RecordLine {
    enum Kind { Empty, Header, Contestant, Bad } kind;
    LocalTime raceTime;   // Header only
    bool timeValid;       // Header only: the time stamp could be read
    std::string_view mode, stamp;  // Header only: its fields, in the line given
    std::string name;     // Contestant only
    int32_t elapsedMs;    // Contestant only
    int32_t score;        // Contestant only
};

// One line as read back, with or without a trailing CR. A line of nothing but
// commas is empty, as a spreadsheet writes an empty row. A colon anywhere makes
// a header, so a name with a colon opens a new race when read back; a
// contestant line needs its time and score as plain 32-bit decimals (fields
// after the score are ignored).
RecordLine classifyRecordLine(std::string_view line);

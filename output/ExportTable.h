// The table the Export button saves beside the picture of the scoreboard:
// the results of the race just ended and the weekly board, one row per
// contestant in place order, comma-separated, for a spreadsheet. A child of
// the class's weekly board has the number of the heat when it is in it.
#pragma once

#include "core/RaceState.h"

#include <string>
#include <string_view>

struct ExportBoards {
    const Contestant* results;   // null or not ready: no results rows
    bool resultsReady;
    const Contestant* weekly;    // null or no data: no weekly rows
    bool hasWeeklyData;
    int count;                   // of the race's table
    int weeklyCount;             // of the weekly table: the heat's, or a whole class's first places
};

// The rows, in the program's code page, with CR LF line ends.
std::string exportTable(const ExportBoards& boards);

// A field as a spreadsheet must read it: quoted when it holds a comma, a
// quote or a line break, and kept as text when it would start a formula.
std::string csvField(std::string_view value);

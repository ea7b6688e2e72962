// The roster file psn.txt: one contestant name per line, in code page 936
// once the control dialog has converted what an editor saved.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/RaceState.h"

// Names in file order: lines end at LF, CR LF or a CR alone; empty
// lines are skipped, blanks are part of the name, at most maxNames (a race
// takes MAX_CONTESTANTS; the class list reads every name the same way).
// The line number (from 1) of each name goes to *lineNumbers.
std::vector<std::string> parseRoster(std::string_view fileBytes,
                                     std::vector<int>* lineNumbers = nullptr,
                                     std::size_t maxNames = MAX_CONTESTANTS);

// Names into the first entries of the table (each cut to fit the record), with
// score = scoreInit and the clock cleared; photo, place and placed are left
// as they are, and so are the entries beyond the names. Returns the count.
int loadRosterInto(const std::vector<std::string>& names, Contestant* table, int scoreInit);

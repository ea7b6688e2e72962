#include "race/Roster.h"

#include <algorithm>

#include "core/TextEncoding.h"
#include "core/TextFields.h"

std::vector<std::string> parseRoster(std::string_view fileBytes, std::vector<int>* lineNumbers,
                                     std::size_t maxNames) {
    std::vector<std::string> names;
    if (lineNumbers) lineNumbers->clear();
    int number = 0;
    const auto take = [&](std::string_view line) {
        ++number;
        if (line.empty() || names.size() >= maxNames) return;
        names.emplace_back(line);
        if (lineNumbers) lineNumbers->push_back(number);
    };
    const std::size_t rest = forEachLine(fileBytes, take);
    take(fileBytes.substr(rest));  // a last line without its line end
    return names;
}

int loadRosterInto(const std::vector<std::string>& names, Contestant* table, int scoreInit) {
    const int count = static_cast<int>(std::min<std::size_t>(names.size(), MAX_CONTESTANTS));
    for (int i = 0; i < count; ++i) {
        Contestant& c = table[i];
        fitName(names[i], c.name);
        c.score = scoreInit;
        c.timing = 0;
        c.startTick = 0;
        c.stopTick = 0;
        c.elapsedMs = 0;
    }
    return count;
}

#include "race/Roster.h"

#include <algorithm>

#include "core/TextEncoding.h"
#include "core/TextFields.h"

namespace {

bool isForbiddenInFileName(unsigned char c) {
    static const std::string_view forbidden = "\\/:*?\"<>|";
    return c < 0x20 || c == 0xFF || forbidden.find(static_cast<char>(c)) != std::string_view::npos;
}

// CON.jpg and the like open a device, not a file; Windows ignores trailing
// blanks and dots of the base name when it checks for those.
bool isDeviceName(std::string_view name) {
    while (!name.empty() && (name.back() == ' ' || name.back() == '.')) name.remove_suffix(1);
    static const std::string_view fixed[] = {"con", "prn", "aux", "nul"};
    for (std::string_view device : fixed) {
        if (equalsIgnoringAsciiCase(name, device)) return true;
    }
    bool numbered = name.size() == 4 && name[3] >= '1' && name[3] <= '9' &&
                    (equalsIgnoringAsciiCase(name.substr(0, 3), "com") ||
                     equalsIgnoringAsciiCase(name.substr(0, 3), "lpt"));
    return numbered;
}

}  // namespace

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

bool isSafePhotoName(std::string_view name) {
    if (name.empty() || name == "." || name.substr(0, 2) == "..") return false;
    if (isDeviceName(name)) return false;
    for (std::size_t pos = 0; pos < name.size();) {
        const auto c = static_cast<unsigned char>(name[pos]);
        if (isGbkLeadByte(c)) {
            // A lead byte without its trail byte would be decoded on its own,
            // and the byte after it taken as a character of its own.
            if (pos + 1 >= name.size() ||
                !isGbkTrailByte(static_cast<unsigned char>(name[pos + 1])))
                return false;
            pos += 2;
            continue;
        }
        if (isForbiddenInFileName(c)) return false;
        ++pos;
    }
    return true;
}

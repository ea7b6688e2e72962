#include "core/FileRules.h"

#include "core/TextFields.h"

#include <algorithm>
#include <string_view>

namespace {

bool isForbiddenInFileName(unsigned char c) {
    static const std::string_view forbidden = "\\/:*?\"<>|";
    return c < 0x20 || c == 0xFF || forbidden.find(static_cast<char>(c)) != std::string_view::npos;
}

bool allDigits(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The backup's time stamp and its number among those of the same second,
// or false when the name is no backup of the file.
bool backupOrder(std::string_view name, const std::string& stem, const std::string& extension,
                 std::string_view* stamp, int* number) {
    const std::size_t stampSize = 15;  // YYYYMMDD-HHMMSS
    if (name.size() < stem.size() + 1 + stampSize + extension.size() || name.substr(0, stem.size()) != stem ||
        name[stem.size()] != '-' || name.substr(name.size() - extension.size()) != extension)
        return false;
    std::string_view rest = name.substr(stem.size() + 1, name.size() - stem.size() - 1 - extension.size());
    *stamp = rest.substr(0, stampSize);
    if (!allDigits(stamp->substr(0, 8)) || (*stamp)[8] != '-' || !allDigits(stamp->substr(9))) return false;
    rest.remove_prefix(stampSize);
    *number = 1;
    if (rest.empty()) return true;
    if (rest[0] != '-' || rest.size() > 3 || !allDigits(rest.substr(1))) return false;
    *number = 0;
    for (char c : rest.substr(1)) *number = *number * 10 + (c - '0');
    return true;
}

}  // namespace

std::string crlfLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

std::string firstFreeName(const std::string& stem, const std::string& extension,
                          const std::function<bool(const std::string&)>& taken) {
    for (int n = 1; n < 100; ++n) {
        const std::string name = stem + (n > 1 ? "-" + std::to_string(n) : "") + extension;
        if (!taken(name)) return name;
    }
    return std::string();
}

std::vector<std::string> backupsToDelete(const std::vector<std::string>& names, const std::string& stem,
                                         const std::string& extension, std::size_t keep) {
    struct Backup {
        std::string_view stamp;
        int number;
        const std::string* name;
    };
    std::vector<Backup> backups;
    for (const std::string& name : names) {
        Backup b{{}, 0, &name};
        if (backupOrder(name, stem, extension, &b.stamp, &b.number)) backups.push_back(b);
    }
    std::sort(backups.begin(), backups.end(), [](const Backup& a, const Backup& b) {
        return a.stamp != b.stamp ? a.stamp < b.stamp : a.number < b.number;
    });
    std::vector<std::string> doomed;
    for (std::size_t i = 0; i + keep < backups.size(); ++i) doomed.push_back(*backups[i].name);
    return doomed;
}

bool isDeviceName(std::string_view name) {
    // NUL.1.jpg opens NUL as well: the base name before the first dot counts,
    // and Windows drops the blanks and dots at its end.
    name = name.substr(0, name.find('.'));
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    static const std::string_view fixed[] = {"con", "prn", "aux", "nul"};
    for (std::string_view device : fixed) {
        if (equalsIgnoringAsciiCase(name, device)) return true;
    }
    return name.size() == 4 && name[3] >= '1' && name[3] <= '9' &&
           (equalsIgnoringAsciiCase(name.substr(0, 3), "com") || equalsIgnoringAsciiCase(name.substr(0, 3), "lpt"));
}

bool hasPathCharacter(std::string_view name) {
    for (std::size_t pos = 0; pos < name.size();) {
        const auto c = static_cast<unsigned char>(name[pos]);
        if (isGbkLeadByte(c)) {
            // A lead byte without its trail byte would be decoded on its own,
            // and the byte after it taken as a character of its own.
            if (pos + 1 >= name.size() || !isGbkTrailByte(static_cast<unsigned char>(name[pos + 1]))) return true;
            pos += 2;
            continue;
        }
        if (isForbiddenInFileName(c)) return true;
        ++pos;
    }
    return false;
}

bool isSafePhotoName(std::string_view name) {
    if (name.empty() || name == "." || name.substr(0, 2) == "..") return false;
    return !isDeviceName(name) && !hasPathCharacter(name);
}

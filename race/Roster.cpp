#include "race/Roster.h"

#include <algorithm>

#include "core/TextFields.h"

namespace {

std::string_view withoutTrailingCr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// Length of the UTF-8 sequence starting at pos, or 0 when it is not valid
// (overlong forms, surrogates and values above U+10FFFF included).
std::size_t utf8SequenceLength(std::string_view bytes, std::size_t pos) {
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80) return 1;
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > bytes.size()) return 0;
    if (byteAt(pos + 1) < low || byteAt(pos + 1) > high) return 0;
    for (std::size_t i = pos + 2; i < pos + length; ++i) {
        if (byteAt(i) < 0x80 || byteAt(i) > 0xBF) return 0;
    }
    return length;
}

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

std::vector<std::string> parseRoster(std::string_view fileBytes) {
    std::vector<std::string> names;
    std::size_t begin = 0;
    while (begin < fileBytes.size() && names.size() < MAX_CONTESTANTS) {
        std::size_t end = fileBytes.find('\n', begin);
        if (end == std::string_view::npos) end = fileBytes.size();
        std::string_view line = withoutTrailingCr(fileBytes.substr(begin, end - begin));
        if (!line.empty()) names.emplace_back(line);
        begin = end + 1;
    }
    return names;
}

bool looksLikeUtf8(std::string_view bytes) {
    bool multiByte = false;
    for (std::size_t pos = 0; pos < bytes.size();) {
        std::size_t length = utf8SequenceLength(bytes, pos);
        if (length == 0) return false;
        multiByte = multiByte || length > 1;
        pos += length;
    }
    return multiByte;
}

bool hasUtf8Bom(std::string_view bytes) {
    return bytes.substr(0, 3) == "\xEF\xBB\xBF";
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

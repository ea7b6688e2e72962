#include "core/IniText.h"

#include <cstdio>

#include "core/TextEncoding.h"
#include "core/TextFields.h"

namespace {

// Where a key is in an INI text, and where a line of its section would go.
struct IniPlace {
    bool sectionFound = false;
    bool keyFound = false;
    std::size_t lineBegin = 0;   // the key's line, without its line break
    std::size_t lineEnd = 0;
    std::size_t valueBegin = 0;  // just past its '='
    std::size_t sectionEnd = 0;  // past the section's last line that is not blank
};

// The first section of that name, up to the next section.
IniPlace findIniPlace(std::string_view text, std::string_view section, std::string_view key) {
    IniPlace place;
    bool inside = false;
    for (std::size_t begin = 0; begin < text.size();) {
        const std::size_t next = lineEnd(text, begin);
        const std::size_t end = lineContentEnd(text, begin, next);
        const std::string_view line = trimBlanks(text.substr(begin, end - begin));
        if (line.substr(0, 1) == "[") {
            if (inside) break;
            const std::size_t close = line.find(']');
            inside = close != std::string_view::npos &&
                     equalsIgnoringAsciiCase(trimBlanks(line.substr(1, close - 1)), section);
            if (inside) {
                place.sectionFound = true;
                place.sectionEnd = next;
            }
        } else if (inside && !line.empty()) {
            place.sectionEnd = next;
            const std::size_t equals = line.find('=');
            if (!place.keyFound && equals != std::string_view::npos &&
                equalsIgnoringAsciiCase(trimBlanks(line.substr(0, equals)), key)) {
                place.keyFound = true;
                place.lineBegin = begin;
                place.lineEnd = end;
                place.valueBegin = text.find('=', begin) + 1;
            }
        }
        begin = next;
    }
    return place;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool parseIniInt(std::string_view text, int* out) {
    int32_t value = 0;
    if (!parseInt32Field(trimBlanks(text), &value)) return false;
    *out = value;
    return true;
}

bool parseIniBool(std::string_view text, int* out) {
    const std::string_view word = trimBlanks(text);
    for (std::string_view yes : {"1", "true", "yes"}) {
        if (equalsIgnoringAsciiCase(word, yes)) {
            *out = 1;
            return true;
        }
    }
    for (std::string_view no : {"0", "false", "no"}) {
        if (equalsIgnoringAsciiCase(word, no)) {
            *out = 0;
            return true;
        }
    }
    return false;
}

bool parseIniColour(std::string_view text, uint32_t* argb) {
    std::string_view digits = trimBlanks(text);
    if (digits.substr(0, 1) == "#") {
        digits.remove_prefix(1);
    } else if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        digits.remove_prefix(2);
    }
    if (digits.size() != 8 && digits.size() != 6) return false;
    uint32_t value = 0;
    for (char c : digits) {
        const int v = hexValue(c);
        if (v < 0) return false;
        value = value << 4 | static_cast<uint32_t>(v);
    }
    *argb = digits.size() == 6 ? 0xFF000000u | value : value;
    return true;
}

std::string formatIniColour(uint32_t argb) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(argb));
    return text;
}

bool findIniValue(std::string_view text, std::string_view section, std::string_view key,
                  std::string* value) {
    const IniPlace place = findIniPlace(text, section, key);
    if (!place.keyFound) return false;
    std::string_view v = trimBlanks(text.substr(place.valueBegin, place.lineEnd - place.valueBegin));
    if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
    *value = std::string(v);
    return true;
}

std::string withIniValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value) {
    const IniPlace place = findIniPlace(text, section, key);
    const std::string line = std::string(key) + "=" + std::string(value);
    std::string out(text);
    if (place.keyFound) return out.replace(place.lineBegin, place.lineEnd - place.lineBegin, line);
    // A last line without its line break gets one first.
    const std::size_t at = place.sectionFound ? place.sectionEnd : out.size();
    const bool broken = at > 0 && out[at - 1] != '\n' && out[at - 1] != '\r';
    const std::string added = place.sectionFound ? line : "[" + std::string(section) + "]\r\n" + line;
    return out.insert(at, (broken ? "\r\n" : "") + added + "\r\n");
}

uint32_t argbToColorref(uint32_t argb) {
    const uint32_t r = argb >> 16 & 0xFF, g = argb >> 8 & 0xFF, b = argb & 0xFF;
    return r | g << 8 | b << 16;
}

uint32_t colorrefToArgb(uint32_t colorref) {
    const uint32_t r = colorref & 0xFF, g = colorref >> 8 & 0xFF, b = colorref >> 16 & 0xFF;
    return 0xFF000000u | r << 16 | g << 8 | b;
}

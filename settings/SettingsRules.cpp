#include "settings/SettingsRules.h"

#include <cstdio>

#include "core/TextFields.h"

namespace {

std::string_view trimBlanks(std::string_view text) {
    const std::string_view blanks = " \t";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

SizeCheck checkOutputSize(int w, int h) {
    if (w < 100 || w > 8000) return SizeCheck::BadWidth;
    if (h < 100 || h > 3000) return SizeCheck::BadHeight;
    return SizeCheck::Ok;
}

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

uint32_t argbToColorref(uint32_t argb) {
    const uint32_t r = argb >> 16 & 0xFF, g = argb >> 8 & 0xFF, b = argb & 0xFF;
    return r | g << 8 | b << 16;
}

uint32_t colorrefToArgb(uint32_t colorref) {
    const uint32_t r = colorref & 0xFF, g = colorref >> 8 & 0xFF, b = colorref >> 16 & 0xFF;
    return 0xFF000000u | r << 16 | g << 8 | b;
}

#include "core/TextFields.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>

namespace {

constexpr int64_t INT32_LOW = std::numeric_limits<int32_t>::min();
constexpr int64_t INT32_HIGH = std::numeric_limits<int32_t>::max();

bool isDigit(char c) { return c >= '0' && c <= '9'; }

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int32_t clampToInt32(int64_t v) {
    if (v < INT32_LOW) return static_cast<int32_t>(INT32_LOW);
    if (v > INT32_HIGH) return static_cast<int32_t>(INT32_HIGH);
    return static_cast<int32_t>(v);
}

}  // namespace

bool findField(std::string_view text, char sep, int i, std::string_view* out) {
    if (i < 0) return false;
    std::size_t begin = 0;
    for (int k = 0; k < i; ++k) {
        std::size_t next = text.find(sep, begin);
        if (next == std::string_view::npos) return false;
        begin = next + 1;
    }
    std::size_t end = text.find(sep, begin);
    if (end == std::string_view::npos) end = text.size();
    *out = text.substr(begin, end - begin);
    return true;
}

bool parseInt32Field(std::string_view field, int32_t* out) {
    std::size_t pos = 0;
    bool negative = false;
    if (!field.empty() && (field[0] == '-' || field[0] == '+')) {
        negative = field[0] == '-';
        pos = 1;
    }
    if (pos == field.size()) return false;
    const int64_t limit = negative ? -INT32_LOW : INT32_HIGH;
    int64_t value = 0;
    for (; pos < field.size(); ++pos) {
        if (!isDigit(field[pos])) return false;
        value = value * 10 + (field[pos] - '0');
        if (value > limit) return false;
    }
    *out = static_cast<int32_t>(negative ? -value : value);
    return true;
}

std::string getStrInt(int n) { return std::to_string(n); }

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size();) {
        const std::size_t n = gbkCharLength(a, i);
        if (n == 2 ? a.substr(i, 2) != b.substr(i, 2) : asciiLower(a[i]) != asciiLower(b[i])) return false;
        i += n;
    }
    return true;
}

std::string foldAsciiCase(std::string text) {
    for (std::size_t pos = 0; pos < text.size(); pos += gbkCharLength(text, pos)) text[pos] = asciiLower(text[pos]);
    return text;
}

std::string_view trimBlanks(std::string_view text) {
    const std::string_view blanks = " \t";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::size_t gbkCharLength(std::string_view text, std::size_t pos) {
    bool pair = isGbkLeadByte(static_cast<unsigned char>(text[pos])) &&
                pos + 1 < text.size();
    return pair ? 2 : 1;
}

std::string_view cutAtCharBoundary(std::string_view text, std::size_t maxBytes) {
    std::size_t taken = 0;
    while (taken < text.size()) {
        std::size_t next = taken + gbkCharLength(text, taken);
        if (next > maxBytes) break;
        taken = next;
    }
    return text.substr(0, taken);
}

std::size_t fitName(std::string_view line, char out[FITTED_NAME_BYTES]) {
    const std::string_view fitted = cutAtCharBoundary(line, FITTED_NAME_BYTES - 1);
    if (!fitted.empty()) std::memcpy(out, fitted.data(), fitted.size());
    out[fitted.size()] = '\0';
    return fitted.size();
}

int32_t saturatingAdd(int32_t a, int32_t b) {
    return clampToInt32(static_cast<int64_t>(a) + b);
}

int32_t saturatingSub(int32_t a, int32_t b) {
    return clampToInt32(static_cast<int64_t>(a) - b);
}

namespace {

// Full-width characters a Chinese input method types into a time or a date, as code
// page 936 pairs (the program's strings), with what they stand for.
struct FullWidthChar {
    unsigned char lead, trail;
    char ascii;
};
constexpr FullWidthChar FULL_WIDTH[] = {
    {0xA3, 0xBA, ':'},  {0xA3, 0xAE, '.'},  {0xA3, 0xA7, '\''}, {0xA3, 0xA2, '"'},
    {0xA1, 0xE4, '\''}, {0xA1, 0xE5, '"'},  {0xA1, 0xAF, '\''}, {0xA1, 0xB1, '"'},
    {0xA1, 0xA1, ' '},
    // With Chinese punctuation on, the input method types 。 for the full
    // stop, ‘ or ’ for the apostrophe, “ or ” for the double quote.
    {0xA1, 0xA3, '.'},  {0xA1, 0xAE, '\''}, {0xA1, 0xB0, '"'},
    // A date typed full-width.
    {0xA3, 0xAD, '-'},  {0xA3, 0xAF, '/'},
};

}  // namespace

bool toHalfWidth(std::string_view text, std::string* out) {
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            *out += text[pos++];
            continue;
        }
        if (pos + 1 >= text.size()) return false;
        const auto trail = static_cast<unsigned char>(text[pos + 1]);
        pos += 2;
        if (lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9) {
            *out += static_cast<char>('0' + (trail - 0xB0));
            continue;
        }
        const auto* found = std::find_if(std::begin(FULL_WIDTH), std::end(FULL_WIDTH),
                                         [&](const FullWidthChar& f) { return f.lead == lead && f.trail == trail; });
        if (found == std::end(FULL_WIDTH)) return false;
        *out += found->ascii;
    }
    return true;
}

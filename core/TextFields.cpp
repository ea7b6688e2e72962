#include "core/TextFields.h"

#include <cstring>
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

std::string getFg(std::string_view text, char sep, int i) {
    std::string_view field;
    return findField(text, sep, i, &field) ? std::string(field) : std::string();
}

int getFgInt(std::string_view text, char sep, int i) {
    std::string_view field;
    findField(text, sep, i, &field);
    std::size_t pos = 0;
    while (pos < field.size() && (field[pos] == ' ' || field[pos] == '\t')) ++pos;
    bool negative = false;
    if (pos < field.size() && (field[pos] == '-' || field[pos] == '+')) {
        negative = field[pos] == '-';
        ++pos;
    }
    // Accumulate past the 32-bit range only far enough to know it saturates.
    int64_t value = 0;
    for (; pos < field.size() && isDigit(field[pos]); ++pos) {
        if (value <= INT32_HIGH + 1) value = value * 10 + (field[pos] - '0');
    }
    return clampToInt32(negative ? -value : value);
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

void trimStrTail(std::string& text) {
    if (!text.empty()) text.pop_back();
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    }
    return true;
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

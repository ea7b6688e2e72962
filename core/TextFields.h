// Text helpers shared by the readers and writers of the program's plain-text
// files: comma fields, decimal numbers and names in code page 936 (GBK).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

// Field i (from 0) of text split at sep, as a view into text; false when the
// text has fewer fields.
bool findField(std::string_view text, char sep, int i, std::string_view* out);

// Strict decimal: an optional sign and at least one digit, nothing else, and
// the value must fit 32 bits. *out is written only on success.
bool parseInt32Field(std::string_view field, int32_t* out);

std::string getStrInt(int n);

// Equal texts when the letters A..Z and a..z are taken as one; other bytes,
// double-byte characters of code page 936 included, must match exactly (a
// trail byte may look like a letter).
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);
// The text with A..Z as a..z by the same rule: a key under which texts equal
// by it are one.
std::string foldAsciiCase(std::string text);

// Without the spaces and tabs before and after it.
std::string_view trimBlanks(std::string_view text);

// 性别 as the class file, the lists and the certificates write it, in code
// page 936: a Chinese literal would stand for other bytes in the host build.
constexpr std::string_view SEX_MALE = "\xC4\xD0";    // 男
constexpr std::string_view SEX_FEMALE = "\xC5\xAE";  // 女
inline bool isKnownSex(std::string_view text) { return text == SEX_MALE || text == SEX_FEMALE; }

// Lead byte of a double-byte character in code page 936.
inline bool isGbkLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// Trail byte that may follow a lead byte in code page 936.
inline bool isGbkTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFE && c != 0x7F;
}

// Bytes taken by the character at pos: 2 for a lead byte with a byte after
// it, else 1. pos must lie inside text.
std::size_t gbkCharLength(std::string_view text, std::size_t pos);

// The text of a fixed NUL-terminated field, stopping at its end even when the
// NUL is missing.
template <std::size_t N>
std::string_view fixedText(const char (&field)[N]) {
    return std::string_view(field, strnlen(field, N));
}

constexpr std::size_t FITTED_NAME_BYTES = 12;

// Copies at most 11 bytes of line into out and NUL-terminates it, never
// splitting a double-byte character. Returns the number of bytes copied.
std::size_t fitName(std::string_view line, char out[FITTED_NAME_BYTES]);

// The longest start of `text` of at most `maxBytes` bytes that ends on a
// character boundary of code page 936.
std::string_view cutAtCharBoundary(std::string_view text, std::size_t maxBytes);

int32_t saturatingAdd(int32_t a, int32_t b);
int32_t saturatingSub(int32_t a, int32_t b);

// The text with the full-width digits and signs a Chinese input method types
// (：．＇＂ and the 。‘’“” of its Chinese punctuation, －／, the full-width
// space) as their ASCII forms, appended to *out; false at any other
// double-byte character or a lead byte cut off.
bool toHalfWidth(std::string_view text, std::string* out);

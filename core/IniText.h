// The INI file the configuration lives in, which an operator may edit by
// hand: its values and its text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Blanks around the value are allowed everywhere. *out is written only on
// success.
bool parseIniInt(std::string_view text, int* out);
// 0/1, true/false, yes/no (any case).
bool parseIniBool(std::string_view text, int* out);
// "AARRGGBB", or "RRGGBB" for an opaque colour; an optional "0x" or "#" first.
bool parseIniColour(std::string_view text, uint32_t* argb);
// "FF112233": eight upper-case hex digits.
std::string formatIniColour(uint32_t argb);

// The INI text itself, read and edited here rather than by the system's
// profile functions: those decode a file without a byte-order mark in the
// system's code page, and on a PC whose code page is not 936 they garble the
// Chinese values or write them back changed. The text is code page 936 or
// UTF-8; the names are plain ASCII, so a double-byte character never looks
// like one of them, and '=' is never a trail byte.
//
// The value of `key` in `section` as the profile functions read it: names in
// any case, blanks around names and value dropped, one pair of quotes around
// the value too; the first such key of the first such section counts.
bool findIniValue(std::string_view text, std::string_view section, std::string_view key,
                  std::string* value);
// The text with that key set to `value`, every other byte as it was: its line
// rewritten, or a line added after the last line of the section that is not
// blank, or the section added at the end.
std::string withIniValue(std::string_view text, std::string_view section, std::string_view key,
                         std::string_view value);

// COLORREF is 0x00BBGGRR; the ARGB colour that comes back is always opaque.
uint32_t argbToColorref(uint32_t argb);
uint32_t colorrefToArgb(uint32_t colorref);

// Checks and conversions of the settings: the output size limits of the
// options dialog and the values of the INI file the configuration lives in,
// which an operator may edit by hand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class SizeCheck { Ok, BadWidth, BadHeight };

// Width 100..8000, height 100..3000; the width is checked first.
SizeCheck checkOutputSize(int w, int h);

// Blanks around the value are allowed everywhere. *out is written only on
// success.
bool parseIniInt(std::string_view text, int* out);
// 0/1, true/false, yes/no (any case).
bool parseIniBool(std::string_view text, int* out);
// "AARRGGBB", or "RRGGBB" for an opaque colour; an optional "0x" or "#" first.
bool parseIniColour(std::string_view text, uint32_t* argb);
// "FF112233": eight upper-case hex digits.
std::string formatIniColour(uint32_t argb);

// COLORREF is 0x00BBGGRR; the ARGB colour that comes back is always opaque.
uint32_t argbToColorref(uint32_t argb);
uint32_t colorrefToArgb(uint32_t colorref);

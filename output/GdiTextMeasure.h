// How wide and high the scoreboard's texts come out in GDI+.
#pragma once

#include "framework/Handles.h"
#include "output/Layout.h"

#include <string>
#include <string_view>
#include <unordered_map>

// The families the scoreboard writes in: 黑体 for its texts, the settings'
// fontTitle for its title (黑体 where that one is not installed, which would
// leave the title out). Null when the system has neither.
Gdiplus::GpFontFamily* createTextFamily();
Gdiplus::GpFontFamily* createTitleFamily();

// Widths and heights of texts as GDI+ lays them out, kept once measured: the
// frame asks for the same texts five times a second while clocks run. Times
// and scores are measured with every digit as the widest one, so a running
// clock keeps one width and one entry.
class GdiTextMeasure : public TextMeasure {
public:
    void reset(Gdiplus::GpFontFamily* text, Gdiplus::GpFontFamily* title);
    TextBox measure(PathKind kind, int size, std::string_view text) override;

private:
    char widestDigit(int size);

    Gdiplus::GpFontFamily* text_ = nullptr;
    Gdiplus::GpFontFamily* title_ = nullptr;
    std::unordered_map<std::string, TextBox> boxes_;
    std::unordered_map<int, char> widestDigits_;
};

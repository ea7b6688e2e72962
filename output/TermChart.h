// The term board drawn with GDI+: one child's chart, the same in the 学期成绩
// dialog and on the exported page, and the page itself, one small chart per
// child, for printing or the wall.
#pragma once

#include "framework/Handles.h"
#include "output/TermBoard.h"

#include <string>

// Row `row` of the board in the box at (x, y), width x height pixels: a white
// ground, the name and 进步 above, the weekly bests as a blue line with
// points, the class's weekly median as a grey line.
void drawTermChart(Gdiplus::GpGraphics* graphics, Gdiplus::GpFontFamily* family, const TermBoard& board,
                   std::size_t row, float x, float y, float width, float height, float textSize);

// The pages of the export are shaped like an A4 sheet standing up, at 150
// dots an inch, so that any printer fits one on a sheet: three columns of six
// charts under the heading, a class of 50 on three pages.
constexpr int TERM_PAGE_WIDTH = 1240;
constexpr int TERM_PAGE_HEIGHT = 1754;
constexpr std::size_t TERM_CHARTS_PER_PAGE = 18;
// How many pages the board's children take; one even for none.
std::size_t termPageCount(std::size_t rows);

// Page `page` (from 0) saved as a PNG picture; false and the reason when it
// cannot be.
bool saveTermPage(const TermBoard& board, std::size_t page, const std::string& path, std::string* reason);

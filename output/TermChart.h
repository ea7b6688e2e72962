// The term board drawn with GDI+: one child's chart, the same in the 学期成绩
// dialog and on the exported page, and the page itself, one small chart per
// child, for printing or the wall.
#pragma once

#include "framework/Handles.h"
#include "output/TermBoard.h"

#include <string>

// The family the charts write in; null when the system has none of it.
Gdiplus::GpFontFamily* createChartFamily();

// Row `row` of the board in the box at (x, y), width x height pixels: a white
// ground, the name and 进步 above, the weekly bests as a blue line with
// points, the class's weekly median as a grey line.
void drawTermChart(Gdiplus::GpGraphics* graphics, Gdiplus::GpFontFamily* family, const TermBoard& board,
                   std::size_t row, float x, float y, float width, float height, float textSize);

// The size of the page of a board with `rows` children.
struct PageSize {
    int width, height;
};
PageSize termPageSize(std::size_t rows);

// The page saved as a PNG picture; false and the reason when it cannot be.
bool saveTermPage(const TermBoard& board, const std::string& path, std::string* reason);

// The colour palette's table and grid, without Windows: the 104 entries every
// palette of the process shares, and the arithmetic of the 8 × 13 grid they
// are shown in (keys, mouse hits, layout). The windowed palette only draws
// what these decide. Colours are COLORREF values, 0x00BBGGRR.
#pragma once

#include <cstdint>

struct ColourEntry {
    uint32_t colour;   // 0xFFFFFFFF in a custom entry: never set
    const char* name;  // the tooltip
    int sysIndex;      // -1 for a fixed colour, else the system colour it mirrors
};

constexpr int COLOUR_COUNT = 104;
constexpr int GRID_COLUMNS = 8;
constexpr int GRID_ROWS = 13;
constexpr int SEPARATOR_ROW = 9;
constexpr int CUSTOM_BUTTON_ROW = 10;
constexpr int FIRST_CUSTOM_ROW = 11;
constexpr int CUSTOM_COLOUR_COUNT = 16;
constexpr uint32_t UNSET_CUSTOM_COLOUR = 0xFFFFFFFFu;
constexpr uint32_t PLACEHOLDER_COLOUR = 0x00C0C0C0u;

// Shared by every palette and changed at run time: the system entries follow
// the desktop, the custom entries carry the last palette's custom colours.
extern ColourEntry colourTable[COLOUR_COUNT];

struct GridCell {
    int row;
    int column;
    bool none() const { return row == -1 || column == -1; }
    bool operator==(const GridCell& o) const { return row == o.row && column == o.column; }
    bool operator!=(const GridCell& o) const { return !(*this == o); }
};
constexpr GridCell NO_CELL = {-1, -1};

inline int cellIndex(GridCell cell) { return cell.row * GRID_COLUMNS + cell.column; }

// The first entry equal to the colour in all 32 bits, or NO_CELL.
GridCell findColourCell(uint32_t colour);

// Copies each system entry's current colour in from the given source.
void refreshSystemColours(uint32_t (*systemColour)(int index));
// The 16 custom entries (rows 11 and 12, in order), in and out.
void loadCustomColours(const uint32_t colours[CUSTOM_COLOUR_COUNT]);
void storeCustomColours(uint32_t colours[CUSTOM_COLOUR_COUNT]);

// Arrow keys on the grid. The base cell is the hot cell when it is set, else
// the chosen one; the result may be NO_CELL (Up or Down with no base cell).
enum class GridKey { Down, Up, Right, Left };
GridCell gridCellAfterKey(GridKey key, GridCell hot, GridCell chosen);

struct GridRect {
    int left, top, right, bottom;
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

// Where everything of the palette lies, in client pixels (the window size in
// window pixels, the same for a borderless popup).
struct PaletteLayout {
    int boxSize;
    int gridMargin;
    int width;
    int height;
    GridRect customRect;
    GridRect separatorRect;
};

// A cell must leave room for its swatch inside the edges.
int paletteBoxSize(int gridMargin);
// The custom button's text, measured in its font, may widen the palette.
PaletteLayout layoutPalette(int gridMargin, int textWidth, int textHeight);
// The rectangle of a cell; false outside the grid.
bool cellRect(const PaletteLayout& layout, GridCell cell, GridRect* rect);
// The cell a client point highlights: the custom button, the separator, a
// colour cell, or NO_CELL.
GridCell hitTestPalette(const PaletteLayout& layout, int x, int y);

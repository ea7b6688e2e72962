#include "settings/ColourTable.h"

namespace {

// The table is written red first, as colours are usually named; stored the
// way GDI wants them.
constexpr uint32_t rgb(uint32_t rrggbb) {
    return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}

constexpr ColourEntry fixed(uint32_t rrggbb, const char* name) { return {rgb(rrggbb), name, -1}; }
// Black until the first palette copies the desktop's colour in.
constexpr ColourEntry system(int index, const char* name) { return {0, name, index}; }
constexpr ColourEntry placeholder(const char* name) { return {PLACEHOLDER_COLOUR, name, -1}; }
constexpr ColourEntry custom(const char* name) { return {UNSET_CUSTOM_COLOUR, name, -1}; }

}  // namespace

ColourEntry colourTable[COLOUR_COUNT] = {
    fixed(0x800040, "Light Maroon"), fixed(0x8B0000, "Dark Red"),
    fixed(0xFF0000, "Red"), fixed(0xFF0080, "Deep Pink"),
    fixed(0xFF00FF, "Magenta"), fixed(0xFF80C0, "Pink"),
    fixed(0xFF80FF, "Light Pink"), fixed(0xFFD0E8, "Very Light Pink"),

    fixed(0xFF8C00, "Dark Orange"), fixed(0xFFA500, "Orange"),
    fixed(0xFF8080, "Light Salmon"), fixed(0xFFE0A0, "Light Orange"),
    fixed(0xFFD700, "Gold"), fixed(0xFFFF00, "Yellow"),
    fixed(0xFFFF80, "Desert Yellow"), fixed(0xFFFFB8, "Pale Yellow"),

    fixed(0x004000, "Dark Green"), fixed(0x004040, "Medium Green"),
    fixed(0x008000, "Green"), fixed(0x008040, "Dark Teal"),
    fixed(0x808000, "Olive"), fixed(0x008080, "Teal"),
    fixed(0x408080, "Turquoise"), fixed(0x00FF40, "Medium Spring Green"),

    fixed(0x80FF00, "Mint Green"), fixed(0x00FF00, "Lime"),
    fixed(0x00FF80, "Spring Green"), fixed(0x98FB98, "Pale Green"),
    fixed(0x7FFFD4, "Aquamarine"), fixed(0xC0DCC0, "Very Pale Green"),
    fixed(0x400040, "Deep Purple"), fixed(0x800080, "Purple"),

    fixed(0x400080, "Deep Violet"), fixed(0x000040, "Midnight Blue"),
    fixed(0x0000A0, "Dark Blue"), fixed(0x000080, "Navy"),
    fixed(0x8000FF, "Violet"), fixed(0x0000FF, "Blue"),
    fixed(0x004080, "Medium Blue"), fixed(0x0080FF, "Light Sky Blue"),

    fixed(0x6495ED, "Cornflower Blue"), fixed(0x8080C0, "Sky Blue"),
    fixed(0x0080C0, "Dark Cyan"), fixed(0x8080FF, "Medium Slate Blue"),
    fixed(0x80FFFF, "Light Blue"), fixed(0x00FFFF, "Cyan"),
    fixed(0xB0E0E6, "Powder Blue"), fixed(0xE0FFFF, "Light Cyan"),

    fixed(0x000000, "Black"), fixed(0x808080, "Gray"),
    fixed(0x989898, "Gray 40%"), fixed(0xC0C0C0, "Silver"),
    fixed(0xD3D3D3, "Light Gray"), fixed(0xF5F5DC, "Beige"),
    fixed(0xFFFBF0, "Floral White"), fixed(0xFFFFFF, "White"),

    system(5, "Window"), system(8, "WindowText"),
    system(24, "InfoBk"), system(23, "InfoText"),
    system(2, "ActiveCaption"), system(9, "CaptionText"),
    system(3, "InactiveCaption"), system(19, "InactiveCaptionText"),

    system(15, "BtnFace"), system(18, "BtnText"),
    system(16, "BtnShadow"), system(20, "BtnHighlight"),
    system(13, "Highlight"), system(14, "HighlightText"),
    system(22, "3DLight"), system(1, "Desktop"),

    placeholder("1"), placeholder("2"), placeholder("3"), placeholder("4"),
    placeholder("5"), placeholder("6"), placeholder("7"), placeholder("8"),

    placeholder("9"), placeholder("10"), placeholder("11"), placeholder("12"),
    placeholder("13"), placeholder("14"), placeholder("15"), placeholder("16"),

    custom("Custom color 1"), custom("Custom color 2"),
    custom("Custom color 3"), custom("Custom color 4"),
    custom("Custom color 5"), custom("Custom color 6"),
    custom("Custom color 7"), custom("Custom color 8"),

    custom("Custom color 9"), custom("Custom color 10"),
    custom("Custom color 11"), custom("Custom color 12"),
    custom("Custom color 13"), custom("Custom color 14"),
    custom("Custom color 15"), custom("Custom color 16"),
};

GridCell findColourCell(uint32_t colour) {
    for (int i = 0; i < COLOUR_COUNT; ++i) {
        if (colourTable[i].colour == colour) return {i / GRID_COLUMNS, i % GRID_COLUMNS};
    }
    return NO_CELL;
}

void refreshSystemColours(uint32_t (*systemColour)(int index)) {
    for (ColourEntry& entry : colourTable) {
        if (entry.sysIndex != -1) entry.colour = systemColour(entry.sysIndex);
    }
}

void loadCustomColours(const uint32_t colours[CUSTOM_COLOUR_COUNT]) {
    ColourEntry* first = &colourTable[FIRST_CUSTOM_ROW * GRID_COLUMNS];
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) first[i].colour = colours[i];
}

void storeCustomColours(uint32_t colours[CUSTOM_COLOUR_COUNT]) {
    const ColourEntry* first = &colourTable[FIRST_CUSTOM_ROW * GRID_COLUMNS];
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) colours[i] = first[i].colour;
}

namespace {

GridCell cellBelow(GridCell base) {
    int row = base.row + 1;
    if (row == SEPARATOR_ROW) row = CUSTOM_BUTTON_ROW;
    if (row >= GRID_ROWS) row = 0;
    return {row, base.column};
}

GridCell cellAbove(GridCell base) {
    int row = base.row - 1;
    if (row < 0) row = GRID_ROWS - 1;
    if (row == SEPARATOR_ROW) row = SEPARATOR_ROW - 1;
    return {row, base.column};
}

// Right and Left give a start when there is no base cell yet: the first and
// the last cell of the grid.
GridCell cellRightOf(GridCell base) {
    if (base.column == -1) return {0, 0};
    if (base.column == GRID_COLUMNS - 1) return {base.row, 0};
    return {base.row, base.column + 1};
}

GridCell cellLeftOf(GridCell base) {
    if (base.column == -1) return {GRID_ROWS - 1, GRID_COLUMNS - 1};
    if (base.column == 0) return {base.row, GRID_COLUMNS - 1};
    return {base.row, base.column - 1};
}

}  // namespace

GridCell gridCellAfterKey(GridKey key, GridCell hot, GridCell chosen) {
    const GridCell base = hot.none() ? chosen : hot;
    GridCell next = NO_CELL;
    switch (key) {
    case GridKey::Down: next = cellBelow(base); break;
    case GridKey::Up: next = cellAbove(base); break;
    case GridKey::Right: next = cellRightOf(base); break;
    case GridKey::Left: next = cellLeftOf(base); break;
    }
    return next.none() ? NO_CELL : next;
}

int paletteBoxSize(int gridMargin) {
    const int preferred = 18;
    if (preferred - (2 * gridMargin + 2) < 5) return 2 * gridMargin + 7;
    return preferred;
}

PaletteLayout layoutPalette(int gridMargin, int textWidth, int textHeight) {
    PaletteLayout l = {};
    l.gridMargin = gridMargin;
    l.boxSize = paletteBoxSize(gridMargin);
    const int customWidth = textWidth + 2 * gridMargin;
    const int customHeight = textHeight + 2 * gridMargin;
    l.width = GRID_COLUMNS * l.boxSize + 2 * gridMargin;
    l.height = GRID_ROWS * l.boxSize + 2 * gridMargin;
    if (customWidth > l.width) l.width = customWidth;
    const int inner = l.width - 2 * gridMargin;
    const int customTop = gridMargin + CUSTOM_BUTTON_ROW * l.boxSize;
    l.customRect = {gridMargin, customTop, gridMargin + inner, customTop + customHeight};
    l.separatorRect = {gridMargin, gridMargin + SEPARATOR_ROW * l.boxSize, gridMargin + inner,
                       customTop};
    return l;
}

bool cellRect(const PaletteLayout& layout, GridCell cell, GridRect* rect) {
    if (cell.row < 0 || cell.row >= GRID_ROWS || cell.column < 0 || cell.column >= GRID_COLUMNS)
        return false;
    const int left = cell.column * layout.boxSize + layout.gridMargin;
    const int top = cell.row * layout.boxSize + layout.gridMargin;
    *rect = {left, top, left + layout.boxSize, top + layout.boxSize};
    return true;
}

GridCell hitTestPalette(const PaletteLayout& layout, int x, int y) {
    if (x < 0 || y < 0) return NO_CELL;
    // The button rectangles are compared after the margin is taken off, as
    // the grid's cells are; the hot zones thus sit one margin lower and
    // further right than the drawn rectangles.
    x -= layout.gridMargin;
    y -= layout.gridMargin;
    if (layout.customRect.contains(x, y)) return {CUSTOM_BUTTON_ROW, 0};
    if (layout.separatorRect.contains(x, y)) return {SEPARATOR_ROW, 0};
    // Integer division truncates toward zero: the left and top borders, just
    // below zero here, still count as column 0 and row 0.
    const int row = y / layout.boxSize;
    const int column = x / layout.boxSize;
    if (row < 0 || row >= GRID_ROWS || row == SEPARATOR_ROW || column < 0 || column >= GRID_COLUMNS)
        return NO_CELL;
    return {row, column};
}

// The palette's shared colour table and its grid: what a colour selects when
// a palette opens, where the arrow keys lead (every wrap), which cell a
// mouse point hits, and how the custom button's text sizes the palette.
#include "settings/ColourTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace {

// Tests change the shared table; each gets it back as it found it.
class ColourTableTest : public ::testing::Test {
protected:
    void SetUp() override { std::copy(std::begin(colourTable), std::end(colourTable), saved); }
    void TearDown() override { std::copy(std::begin(saved), std::end(saved), colourTable); }
    ColourEntry saved[COLOUR_COUNT];
};

uint32_t fakeSystemColour(int index) { return 0x00010000u * (uint32_t)index + 0x5A; }

constexpr GridCell cell(int row, int column) { return {row, column}; }

::testing::AssertionResult isCell(GridCell actual, int row, int column) {
    if (actual.row == row && actual.column == column) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "got (" << actual.row << ", " << actual.column
                                         << "), expected (" << row << ", " << column << ")";
}

}  // namespace

TEST_F(ColourTableTest, EntriesAreStoredBlueGreenRedWithPlaceholdersAndUnsetCustoms) {
    // Red first in the table, blue first in a COLORREF.
    EXPECT_EQ(colourTable[0].colour, 0x00400080u);   // "Light Maroon" 800040
    EXPECT_STREQ(colourTable[0].name, "Light Maroon");
    EXPECT_EQ(colourTable[40].colour, 0x00ED9564u);  // "Cornflower Blue" 6495ED
    EXPECT_STREQ(colourTable[55].name, "White");
    for (int i = SEPARATOR_ROW * GRID_COLUMNS; i < FIRST_CUSTOM_ROW * GRID_COLUMNS; ++i)
        EXPECT_EQ(colourTable[i].colour, PLACEHOLDER_COLOUR) << i;
    EXPECT_STREQ(colourTable[SEPARATOR_ROW * GRID_COLUMNS].name, "1");
    EXPECT_STREQ(colourTable[FIRST_CUSTOM_ROW * GRID_COLUMNS - 1].name, "16");
    for (int i = FIRST_CUSTOM_ROW * GRID_COLUMNS; i < COLOUR_COUNT; ++i)
        EXPECT_EQ(colourTable[i].colour, UNSET_CUSTOM_COLOUR) << i;
    EXPECT_STREQ(colourTable[COLOUR_COUNT - 1].name, "Custom color 16");
}

TEST_F(ColourTableTest, OnlyRowsSevenAndEightFollowTheSystemColours) {
    const int expected[16] = {5, 8, 24, 23, 2, 9, 3, 19, 15, 18, 16, 20, 13, 14, 22, 1};
    refreshSystemColours(&fakeSystemColour);
    for (int i = 0; i < COLOUR_COUNT; ++i) {
        const bool system = i >= 56 && i < 72;
        EXPECT_EQ(colourTable[i].sysIndex, system ? expected[i - 56] : -1) << i;
        if (system) {
            EXPECT_EQ(colourTable[i].colour, fakeSystemColour(expected[i - 56])) << i;
        }
    }
    EXPECT_EQ(colourTable[55].colour, 0x00FFFFFFu);  // fixed entries untouched
}

TEST_F(ColourTableTest, OpeningColourSelectsTheFirstExactMatch) {
    // Silver equals the placeholders of rows 9 and 10, which come later.
    EXPECT_TRUE(isCell(findColourCell(0x00C0C0C0), 6, 3));
    EXPECT_TRUE(isCell(findColourCell(0x00FFFFFF), 6, 7));
    EXPECT_TRUE(findColourCell(0x00123456).none());
    // All 32 bits count: a top byte makes silver unknown, and the "not set"
    // value of the custom entries finds the first unset one.
    EXPECT_TRUE(findColourCell(0xFF000000u | 0x00C0C0C0).none());
    EXPECT_TRUE(isCell(findColourCell(UNSET_CUSTOM_COLOUR), 11, 0));
    // The custom colours left by the last palette are searched too.
    uint32_t customs[CUSTOM_COLOUR_COUNT];
    std::fill(std::begin(customs), std::end(customs), UNSET_CUSTOM_COLOUR);
    customs[9] = 0x00123456;
    loadCustomColours(customs);
    EXPECT_TRUE(isCell(findColourCell(0x00123456), 12, 1));
}

TEST_F(ColourTableTest, CustomColoursGoInAndOutInRowOrder) {
    uint32_t in[CUSTOM_COLOUR_COUNT];
    for (int i = 0; i < CUSTOM_COLOUR_COUNT; ++i) in[i] = 0x00100000u + (uint32_t)i;
    loadCustomColours(in);
    EXPECT_EQ(colourTable[11 * 8 + 0].colour, in[0]);
    EXPECT_EQ(colourTable[12 * 8 + 7].colour, in[15]);
    EXPECT_EQ(colourTable[10 * 8 + 7].colour, PLACEHOLDER_COLOUR);
    uint32_t out[CUSTOM_COLOUR_COUNT] = {};
    storeCustomColours(out);
    EXPECT_TRUE(std::equal(std::begin(in), std::end(in), std::begin(out)));
}

TEST(ColourGridKeys, DownAndUpSkipTheSeparatorAndWrapAround) {
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Down, cell(8, 3), NO_CELL), 10, 3));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Up, cell(10, 3), NO_CELL), 8, 3));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Down, cell(12, 5), NO_CELL), 0, 5));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Up, cell(0, 5), NO_CELL), 12, 5));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Down, cell(3, 0), NO_CELL), 4, 0));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Up, cell(11, 7), NO_CELL), 10, 7));
    // The separator itself can be hot (from the mouse); keys leave it.
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Down, cell(9, 0), NO_CELL), 10, 0));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Up, cell(9, 0), NO_CELL), 8, 0));
}

TEST(ColourGridKeys, RightAndLeftWrapWithinTheRow) {
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Right, cell(4, 7), NO_CELL), 4, 0));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Left, cell(4, 0), NO_CELL), 4, 7));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Right, cell(4, 2), NO_CELL), 4, 3));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Left, cell(4, 2), NO_CELL), 4, 1));
    // On the custom button only the column changes; the button stays hot.
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Right, cell(10, 7), NO_CELL), 10, 0));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Left, cell(10, 0), NO_CELL), 10, 7));
}

TEST(ColourGridKeys, HotCellWinsOverChosenAndNoCellGivesAStartOnlySideways) {
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Down, cell(1, 1), cell(6, 7)), 2, 1));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Down, NO_CELL, cell(6, 7)), 7, 7));
    EXPECT_TRUE(gridCellAfterKey(GridKey::Down, NO_CELL, NO_CELL).none());
    EXPECT_TRUE(gridCellAfterKey(GridKey::Up, NO_CELL, NO_CELL).none());
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Right, NO_CELL, NO_CELL), 0, 0));
    EXPECT_TRUE(isCell(gridCellAfterKey(GridKey::Left, NO_CELL, NO_CELL), 12, 7));
}

TEST(ColourPaletteLayout, StandardPaletteIs148By238AndTheTextCanWidenIt) {
    const PaletteLayout l = layoutPalette(2, 40, 14);
    EXPECT_EQ(l.boxSize, 18);
    EXPECT_EQ(l.width, 148);
    EXPECT_EQ(l.height, 238);
    EXPECT_EQ(l.separatorRect.left, 2);
    EXPECT_EQ(l.separatorRect.top, 164);
    EXPECT_EQ(l.separatorRect.right, 146);
    EXPECT_EQ(l.separatorRect.bottom, 182);
    EXPECT_EQ(l.customRect.top, 182);
    EXPECT_EQ(l.customRect.bottom, 182 + 14 + 4);
    EXPECT_EQ(l.customRect.right, 146);

    // Text 200 wide plus the margins: wider than the grid, which keeps its
    // place at the left while both bands span the new width.
    const PaletteLayout wide = layoutPalette(2, 200, 14);
    EXPECT_EQ(wide.width, 204);
    EXPECT_EQ(wide.height, 238);
    EXPECT_EQ(wide.customRect.right, 202);
    EXPECT_EQ(wide.separatorRect.right, 202);
    GridRect r;
    ASSERT_TRUE(cellRect(wide, cell(0, 7), &r));
    EXPECT_EQ(r.left, 7 * 18 + 2);
    EXPECT_EQ(r.right, 8 * 18 + 2);
    EXPECT_FALSE(cellRect(wide, cell(0, 8), &r));
    EXPECT_FALSE(cellRect(wide, cell(13, 0), &r));
}

TEST(ColourPaletteLayout, ThickEdgesEnlargeTheCells) {
    EXPECT_EQ(paletteBoxSize(5), 18);  // 18 - 12 = 6 leaves room for a swatch
    EXPECT_EQ(paletteBoxSize(6), 19);  // 18 - 14 = 4 does not
}

TEST(ColourPaletteHits, BordersTruncateTowardTheFirstCell) {
    const PaletteLayout l = layoutPalette(2, 40, 14);
    EXPECT_TRUE(isCell(hitTestPalette(l, 0, 0), 0, 0));
    EXPECT_TRUE(isCell(hitTestPalette(l, 1, 40), 2, 0));
    EXPECT_TRUE(hitTestPalette(l, -1, 5).none());
    EXPECT_TRUE(hitTestPalette(l, 5, -1).none());
    EXPECT_TRUE(isCell(hitTestPalette(l, 2 + 18 * 3 + 17, 2 + 18 * 6), 6, 3));
    // Right border and beyond: no cell.
    EXPECT_TRUE(hitTestPalette(l, 146, 10).none());
    EXPECT_TRUE(hitTestPalette(l, 147, 10).none());
    // Bottom border: past row 12.
    EXPECT_TRUE(hitTestPalette(l, 10, 236).none());
    EXPECT_TRUE(isCell(hitTestPalette(l, 10, 235), 12, 0));
}

TEST(ColourPaletteHits, SeparatorAndCustomBandsAreHitOneMarginLow) {
    const PaletteLayout l = layoutPalette(2, 40, 14);  // custom band 18 high
    // y - 2 in 164..181 is the separator band, 182..199 the custom band.
    EXPECT_TRUE(isCell(hitTestPalette(l, 50, 166), 9, 0));
    EXPECT_TRUE(isCell(hitTestPalette(l, 50, 183), 9, 0));
    EXPECT_TRUE(isCell(hitTestPalette(l, 50, 184), 10, 0));
    EXPECT_TRUE(isCell(hitTestPalette(l, 145, 201), 10, 0));
    // Above the band, the top of row 9 is no cell.
    EXPECT_TRUE(hitTestPalette(l, 50, 165).none());
    // Left of the custom band's hot zone, the grid decides: row 10.
    EXPECT_TRUE(isCell(hitTestPalette(l, 3, 190), 10, 0));
    // Below the custom band: the custom colour rows.
    EXPECT_TRUE(isCell(hitTestPalette(l, 50, 204), 11, 2));
    EXPECT_TRUE(isCell(hitTestPalette(l, 145, 222), 12, 7));
}

TEST(ColourPaletteHits, WidenedPaletteHasNoCellsRightOfTheGrid) {
    const PaletteLayout wide = layoutPalette(2, 200, 14);
    EXPECT_TRUE(isCell(hitTestPalette(wide, 145, 10), 0, 7));
    EXPECT_TRUE(hitTestPalette(wide, 147, 10).none());
    EXPECT_TRUE(hitTestPalette(wide, 190, 100).none());
    // The bands run the full width.
    EXPECT_TRUE(isCell(hitTestPalette(wide, 190, 170), 9, 0));
    EXPECT_TRUE(isCell(hitTestPalette(wide, 190, 190), 10, 0));
}

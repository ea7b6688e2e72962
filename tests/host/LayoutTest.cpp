#include "output/Layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

// Widths and heights of a font like the text font: a Chinese character (two
// bytes in the program's code page) an em wide, other characters a little
// over half, and a sixth of an em of padding, as the system measures.
class ModelMeasure : public TextMeasure {
public:
    TextBox measure(PathKind, int size, std::string_view text) override {
        double ems = 0;
        for (char c : text) ems += static_cast<unsigned char>(c) >= 0x80 ? 0.5 : 0.55;
        return TextBox{static_cast<int>(ems * size) + size / 6, static_cast<int>(size * 1.34)};
    }
};

Layout layoutOf(int w, int h, int logoW = 0, int logoH = 0, int faceW = 0, int faceH = 0,
                int nameHeight = 52) {
    const FontSizes fonts = layoutFontSizes(w);
    return computeLayout(LayoutInput{w, h, logoW, logoH, faceW, faceH}, fonts, 0, nameHeight);
}

}  // namespace

TEST(Layout, ScaleStepsAtTheFrameWidthEdges) {
    EXPECT_EQ(layoutFontSizes(1024).scale, 0.75f);
    EXPECT_EQ(layoutFontSizes(1025).scale, 1.0f);
    EXPECT_EQ(layoutFontSizes(1600).scale, 1.0f);
    EXPECT_EQ(layoutFontSizes(1601).scale, 1601 * 0.000625f);
    EXPECT_FLOAT_EQ(layoutFontSizes(1601).scale, 1.000625f);
    EXPECT_EQ(layoutFontSizes(1920).scale, 1.19999993f);
}

TEST(Layout, ThreeFramesGiveTheirKnownSizesAndColumns) {
    struct Row {
        int w, h, title, header, text, leftMargin, column, resultsX, weeklyX;
        float margin;
    };
    // With no text height the photos are 0 wide, so resultsX shows the plain
    // column start and weeklyX only gives back the margin.
    const Row rows[] = {
        {1920, 1080, 83, 49, 39, 32, 213, 672, 1312, 32.4f},
        {1280, 720, 70, 42, 33, 21, 142, 447, 873, 21.6f},
        {1024, 768, 52, 31, 24, 23, 113, 364, 705, 23.04f},
        {900, 600, 52, 31, 24, 18, 100, 318, 618, 18.0f},
    };
    for (const Row& r : rows) {
        const Layout l = layoutOf(r.w, r.h, 0, 0, 0, 0, 0);  // no text, so no photo width
        EXPECT_EQ(l.titleSize, r.title) << r.w;
        EXPECT_EQ(l.headerSize, r.header) << r.w;
        EXPECT_EQ(l.textSize, r.text) << r.w;
        EXPECT_EQ(l.digitSize, r.text) << r.w;
        EXPECT_FLOAT_EQ(l.margin, r.margin) << r.w;
        EXPECT_EQ(l.leftMargin, r.leftMargin) << r.w;
        EXPECT_EQ(l.titleY, r.leftMargin) << r.w;
        EXPECT_EQ(l.columnWidth, r.column) << r.w;
        EXPECT_EQ(l.photoWidth, 0) << r.w;
        EXPECT_EQ(l.resultsX, r.resultsX) << r.w;
        EXPECT_EQ(l.weeklyX, static_cast<int>(r.weeklyX - static_cast<double>(r.margin))) << r.w;
    }
}

TEST(Layout, WorkedExampleWithLogoAndDefaultPhoto) {
    const FontSizes fonts = layoutFontSizes(1920);
    const Layout l = computeLayout(LayoutInput{1920, 1080, 1600, 400, 300, 400}, fonts, 1000, 52);
    EXPECT_EQ(l.logoWidth, 384.0f);
    EXPECT_EQ(l.logoHeight, 96.0f);
    EXPECT_EQ(l.titleX, 460);
    EXPECT_EQ(l.headerY, 193);
    EXPECT_EQ(l.rowHeight, 109);
    EXPECT_EQ(l.firstRowY, 334);
    EXPECT_EQ(l.photoHeight, 87);
    EXPECT_EQ(l.photoWidth, 65);
    EXPECT_EQ(l.resultsX, 737);
    EXPECT_EQ(l.weeklyX, 1214);
    EXPECT_EQ(l.tipsY, 1003);
    EXPECT_EQ(l.tipsSize, 39);
    // 2.1f is 2.0999999: a text 10 high gives rows of 20, not 21.
    EXPECT_EQ(layoutOf(1920, 1080, 1600, 400, 300, 400, 10).rowHeight, 20);

    // Three rows, and up to six, fit as they are: the fitting changes nothing.
    ModelMeasure model;
    const LayoutInput in{1920, 1080, 1600, 400, 300, 400};
    for (int rows : {0, 1, 3, 6}) {
        const Layout fitted = fitLayout(l, in, rows, model, "Title");
        EXPECT_EQ(std::memcmp(&fitted, &l, sizeof l), 0) << rows << " rows";
    }
    // A seventh row would run into the tips line: rows get closer, text stays.
    const Layout seven = fitLayout(l, in, 7, model, "Title");
    EXPECT_LT(seven.rowHeight, 109);
    EXPECT_EQ(seven.textSize, 39);
    EXPECT_EQ(seven.tipsY, 1003);
    EXPECT_LE(seven.firstRowY + 6 * seven.rowHeight + seven.photoHeight, seven.tipsY);
}

TEST(Layout, ATextTooWideForItsRoomGetsTheLargestSizeThatFits) {
    ModelMeasure model;
    const char* five = "\xC5\xB7\xD1\xF4\xC4\xC8\xC4\xC8\xC4\xC8";  // five characters
    struct Row {
        int size, room;
        const char* text;
        int expected;
    };
    const Row rows[] = {
        {39, 149, "AB", 39},   // fits: unchanged
        {39, 48, "AB", 39},    // exactly as wide as its room
        {39, 149, five, 29},   // 5 ems + padding: 39 gives 201, 29 gives 149
        {39, 0, five, 0},      // no room at all
        {39, 4, five, 0},      // not even size 1 fits
        {39, 149, "", 39},     // nothing to fit
        {1, 1, "A", 1},
    };
    for (const Row& r : rows) {
        const int size = fitTextSize(model, PathKind::Text, r.size, r.room, r.text);
        EXPECT_EQ(size, r.expected) << r.size << " in " << r.room;
        if (size > 0 && size < r.size) {
            EXPECT_LE(model.measure(PathKind::Text, size, r.text).width, r.room);
            EXPECT_GT(model.measure(PathKind::Text, size + 1, r.text).width, r.room);
        }
    }
    // A long title shrinks and stays centred in the frame.
    const Layout base = layoutOf(1280, 720, 1600, 400, 300, 400, 44);
    const std::string title(60, 'W');
    const Layout fitted = fitLayout(base, LayoutInput{1280, 720, 1600, 400, 300, 400}, 3, model, title);
    EXPECT_LT(fitted.titleSize, base.titleSize);
    const int width = model.measure(PathKind::Title, fitted.titleSize, title).width;
    EXPECT_GE(fitted.titleX, 21 + 256) << "clear of the logo";
    EXPECT_LE(fitted.titleX + width, 1280 - 21 - 256);
}

// Rows that do not fit come closer, and their text gets smaller only as far
// as the rows need: never for the boards of a tall, narrow frame, whose
// margins grow with its height.
TEST(Layout, FittedRowsKeepTheLargestTextTheyAllow) {
    ModelMeasure model;
    struct Row {
        int w, h, logo, rows, text, rowHeight;
    };
    const Row rows[] = {
        {1920, 1080, 1, 8, 39, 88}, {1280, 720, 1, 8, 33, 57}, {1920, 1080, 1, 14, 38, 52},
        {1920, 800, 0, 11, 39, 52}, {400, 3000, 1, 8, 24, 67}, {300, 1920, 1, 8, 24, 67},
        {200, 1080, 0, 8, 24, 67},
        {800, 900, 1, 8, 24, 67},  // the boards exactly touch: clear as they are
    };
    for (const Row& r : rows) {
        const LayoutInput in{r.w, r.h, r.logo * 1600, r.logo * 400, 300, 400};
        const FontSizes fonts = layoutFontSizes(r.w);
        const Layout base =
            computeLayout(in, fonts, 0, model.measure(PathKind::Text, fonts.textSize, "姓名").height);
        const Layout l = fitLayout(base, in, r.rows, model, "");
        EXPECT_EQ(l.textSize, r.text) << r.w << "x" << r.h << " base " << base.textSize;
        EXPECT_EQ(l.rowHeight, r.rowHeight) << r.w << "x" << r.h << " base " << base.rowHeight;
    }
}

TEST(Layout, MissingPicturesTakeNoRoomAndPhotosFallBackToThreeByFour) {
    const Layout noLogo = layoutOf(1920, 1080, 0, 0, 300, 400);
    EXPECT_EQ(noLogo.logoWidth, 0.0f);
    EXPECT_EQ(noLogo.logoHeight, 0.0f);
    EXPECT_EQ(noLogo.headerY, 97);
    EXPECT_EQ(layoutOf(1920, 1080, 1600, 0, 300, 400).headerY, 97) << "undecodable logo";
    EXPECT_EQ(layoutOf(1920, 1080, 0, 0, 0, 0).photoWidth, 65);
    EXPECT_EQ(layoutOf(1920, 1080, 0, 0, 300, 0).photoWidth, 65);
    EXPECT_EQ(layoutOf(1920, 1080, 0, 0, 400, 100).photoWidth, 348) << "wide default photo";
}

TEST(Layout, OutputFirstAppearsAtSevenTenthsAcrossAndATenthDown) {
    EXPECT_EQ(placeLeft(1920), 1343);
    EXPECT_EQ(placeTop(1080), 108);
    EXPECT_EQ(truncToInt(-2.7), -2);
    EXPECT_EQ(truncToInt(1e300), INT_MAX);
    EXPECT_EQ(truncToInt(-1e300), INT_MIN);
}

#include "output/Layout.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

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

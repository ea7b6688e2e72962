#include "output/Layout.h"

#include <climits>
#include <cstdint>

namespace {

// Factors are single-precision constants widened to double, so every product
// sees the float value (0.6f is 0.600000024, not 0.6).
constexpr double WIDE_SCALE = 0.000625f;
constexpr double HEADER_OF_TITLE = 0.6f;
constexpr double TEXT_OF_HEADER = 0.8f;
constexpr double MARGIN_OF_HEIGHT = 0.03f;
constexpr double COLUMN_OF_THIRD = 0.33333334f;
constexpr double ROW_OF_TEXT = 2.1f;
constexpr double PHOTO_OF_ROW = 0.8f;
constexpr double LEFT_OF_SCREEN = 0.7f;
constexpr double TOP_OF_SCREEN = 0.1f;
constexpr double LOGO_OF_WIDTH = 0.2;  // a double factor

float logoWidthFor(const LayoutInput& in) {
    if (in.logoPixelWidth <= 0 || in.logoPixelHeight <= 0) return 0.0f;
    return static_cast<float>(in.frameWidth * LOGO_OF_WIDTH);
}

float logoHeightFor(const LayoutInput& in, float logoWidth) {
    if (in.logoPixelWidth <= 0 || in.logoPixelHeight <= 0) return 0.0f;
    return static_cast<float>(static_cast<double>(logoWidth) * in.logoPixelHeight /
                              in.logoPixelWidth);
}

// Every photo takes the default photo's aspect ratio; without one, 3:4.
int photoWidthFor(const LayoutInput& in, int photoHeight) {
    if (in.facePixelWidth <= 0 || in.facePixelHeight <= 0) return photoHeight * 3 / 4;
    const uint32_t scaled = static_cast<uint32_t>(photoHeight) *
                            static_cast<uint32_t>(in.facePixelWidth) /
                            static_cast<uint32_t>(in.facePixelHeight);
    return static_cast<int>(scaled);
}

}  // namespace

int truncToInt(double value) {
    if (!(value > INT_MIN)) return INT_MIN;  // NaN lands here too
    if (value >= INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

FontSizes layoutFontSizes(int frameWidth) {
    FontSizes f{};
    f.scale = 1.0f;
    if (frameWidth <= 1024) f.scale = 0.75f;
    if (frameWidth > 1600) f.scale = static_cast<float>(frameWidth * WIDE_SCALE);
    f.titleSize = truncToInt(static_cast<double>(f.scale) * 70);
    f.headerSize = truncToInt(f.titleSize * HEADER_OF_TITLE);
    f.textSize = truncToInt(f.headerSize * TEXT_OF_HEADER);
    f.digitSize = f.textSize;
    return f;
}

Layout computeLayout(const LayoutInput& in, const FontSizes& fonts, int titleTextWidth,
                     int nameTextHeight) {
    Layout l{};
    l.frameWidth = in.frameWidth;
    l.frameHeight = in.frameHeight;
    l.scale = fonts.scale;
    l.titleSize = fonts.titleSize;
    l.headerSize = fonts.headerSize;
    l.textSize = fonts.textSize;
    l.digitSize = fonts.digitSize;

    l.logoWidth = logoWidthFor(in);
    l.logoHeight = logoHeightFor(in, l.logoWidth);
    l.margin = static_cast<float>(in.frameHeight * MARGIN_OF_HEIGHT);
    const double margin = l.margin;

    l.titleX = truncToInt((static_cast<double>(in.frameWidth) - titleTextWidth) * 0.5);
    l.titleY = truncToInt(margin);
    l.leftMargin = l.titleY;

    const int third = in.frameWidth / 3;
    l.headerY = truncToInt(3 * margin + l.logoHeight);
    l.columnWidth = truncToInt(third * COLUMN_OF_THIRD);
    l.rowHeight = truncToInt(nameTextHeight * ROW_OF_TEXT);
    l.firstRowY = truncToInt(static_cast<double>(l.headerY) + l.rowHeight + margin);
    l.photoHeight = truncToInt(l.rowHeight * PHOTO_OF_ROW);
    l.photoWidth = photoWidthFor(in, l.photoHeight);

    // The results board moves right by a photo, the weekly board, which has
    // two more columns, left by a photo and a margin.
    l.resultsX = truncToInt(static_cast<double>(l.leftMargin) + third + l.photoWidth);
    l.weeklyX = truncToInt(2.0 * third + l.leftMargin - l.photoWidth - margin);
    return l;
}

int placeLeft(int screenWidth) { return truncToInt(screenWidth * LEFT_OF_SCREEN); }

int placeTop(int screenHeight) { return truncToInt(screenHeight * TOP_OF_SCREEN); }

#include "output/Layout.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <optional>

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
constexpr double INDENT_OF_COLUMN = 0.7f;
constexpr double TIPS_ROWS_FROM_BOTTOM = 0.7;  // a double factor

// Texts whose heights stand for a row of text and for a heading: every line
// of Chinese text at one size is as high as any other.
constexpr const char* ROW_TEXT = "姓名";
constexpr const char* HEADING_TEXT = "参赛人员";

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

int photoHeightFor(int rowHeight) { return truncToInt(rowHeight * PHOTO_OF_ROW); }

int tipsYFor(int frameHeight, int rowHeight) {
    return truncToInt(frameHeight - rowHeight * TIPS_ROWS_FROM_BOTTOM);
}

// The results board moves right by a photo, the weekly board, which has two
// more columns, left by a photo and a margin.
void placeBoards(Layout& l) {
    const int third = l.frameWidth / 3;
    l.resultsX = truncToInt(static_cast<double>(l.leftMargin) + third + l.photoWidth);
    l.weeklyX = truncToInt(2.0 * third + l.leftMargin - l.photoWidth - static_cast<double>(l.margin));
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
    l.photoHeight = photoHeightFor(l.rowHeight);
    l.photoWidth = photoWidthFor(in, l.photoHeight);
    placeBoards(l);
    l.tipsY = tipsYFor(in.frameHeight, l.rowHeight);
    l.tipsSize = l.textSize;
    return l;
}

int fitTextSize(TextMeasure& measure, PathKind kind, int size, int room, std::string_view text) {
    if (text.empty()) return size;
    auto widthAt = [&](int s) { return measure.measure(kind, s, text).width; };
    int width = widthAt(size);
    if (width <= room) return size;
    if (room <= 0) return 0;
    // Widths grow about in proportion to the size: guess, step down until it
    // fits, then up while the next size still fits.
    for (int tooWide = size; tooWide > 1;) {
        const int64_t guess = static_cast<int64_t>(tooWide) * room / std::max(width, 1);
        int fit = static_cast<int>(std::clamp<int64_t>(guess, 1, tooWide - 1));
        width = widthAt(fit);
        if (width > room) {
            tooWide = fit;
            continue;
        }
        while (fit + 1 < tooWide && widthAt(fit + 1) <= room) ++fit;
        return fit;
    }
    return 0;
}

namespace {

// Sizes of one try at fitting the rows.
struct RowTry {
    int textSize, headerSize, tipsSize;
    int headerY, tipsY;
    int rowHeight;
};

class Fitter {
public:
    Fitter(const Layout& base, const LayoutInput& in, int rows, TextMeasure& measure)
        : base_(base), in_(in), rows_(std::max(rows, 1)), measure_(measure) {}

    Layout fit() {
        const RowTry t{base_.textSize, base_.headerSize, base_.tipsSize, base_.headerY, base_.tipsY,
                       base_.rowHeight};
        if (fits(t, true, true)) return base_;
        if (const auto found = closerRows(t, true)) return apply(*found);
        // Boards kept clear of each other are worth closer rows, never smaller
        // text: on a tall, narrow frame, whose margins grow with its height,
        // only text of a pixel or two would clear them.
        if (fits(t, true, false)) return base_;
        if (const auto found = closerRows(t, false)) return apply(*found);
        // Smaller row texts, then smaller headings and tips as well.
        if (const auto found = largestFitting(false)) return apply(*found);
        if (const auto found = largestFitting(true)) return apply(*found);
        return apply(tryAt(1, true));  // as small as it gets
    }

private:
    int height(int size, const char* text) {
        return size > 0 ? measure_.measure(PathKind::Text, size, text).height : 0;
    }
    int minRow(int textSize) { return std::max(height(textSize, ROW_TEXT), 1); }

    // The rows, and the photos with them, as far apart as fits, the texts
    // keeping their size.
    std::optional<RowTry> closerRows(RowTry t, bool clearance) {
        for (t.rowHeight = base_.rowHeight - 1; t.rowHeight >= minRow(t.textSize); --t.rowHeight)
            if (fits(t, false, clearance)) return t;
        return std::nullopt;
    }

    RowTry tryAt(int size, bool all) {
        RowTry t{size, base_.headerSize, base_.tipsSize, base_.headerY, base_.tipsY, 0};
        if (all) {
            t.headerSize = std::max(1, size * base_.headerSize / std::max(base_.textSize, 1));
            t.tipsSize = size;
            // The headings move up over the logo.
            t.headerY = std::min(base_.headerY, truncToInt(3.0 * base_.margin));
            const int tipsRow = truncToInt(height(size, ROW_TEXT) * ROW_OF_TEXT);
            t.tipsY = tipsYFor(in_.frameHeight, tipsRow);
        }
        t.rowHeight = minRow(size);
        return t;
    }

    // The largest size below the base text size at which the rows fit, with
    // the rows then as far apart as still fits.
    std::optional<RowTry> largestFitting(bool all) {
        int low = 1, high = base_.textSize - 1, best = 0;
        while (low <= high) {
            const int mid = low + (high - low) / 2;
            if (fits(tryAt(mid, all), false, false)) {
                best = mid;
                low = mid + 1;
            } else {
                high = mid - 1;
            }
        }
        if (best == 0) return std::nullopt;
        RowTry t = tryAt(best, all);
        const int widest =
            std::min(base_.rowHeight, truncToInt(height(best, ROW_TEXT) * ROW_OF_TEXT));
        for (int r = widest; r > t.rowHeight; --r) {
            RowTry wider = t;
            wider.rowHeight = r;
            if (fits(wider, false, false)) return wider;
        }
        return t;
    }

    int firstRowY(const RowTry& t, bool isBase) {
        const int spaced = truncToInt(t.headerY + t.rowHeight + static_cast<double>(base_.margin));
        if (isBase) return spaced;
        return std::max(spaced, t.headerY + height(t.headerSize, HEADING_TEXT));
    }

    bool fits(const RowTry& t, bool isBase, bool clearance) {
        const int textHeight = height(t.textSize, ROW_TEXT);
        if (t.rowHeight < textHeight) return false;  // texts of two rows would touch
        const int first = firstRowY(t, isBase);
        if (first < t.headerY + height(t.headerSize, HEADING_TEXT)) return false;
        const int64_t bottom = static_cast<int64_t>(first) + int64_t{rows_ - 1} * t.rowHeight +
                               std::max(photoHeightFor(t.rowHeight), textHeight);
        if (bottom > t.tipsY) return false;
        if (t.tipsY + height(t.tipsSize, ROW_TEXT) > in_.frameHeight) return false;
        if (!clearance) return true;
        // The results board's photos keep clear of the weekly board.
        const Layout l = isBase ? base_ : apply(t);
        const int indent = truncToInt(l.columnWidth * INDENT_OF_COLUMN);
        return l.resultsX + 2 * indent + l.photoWidth <= l.weeklyX;
    }

    Layout apply(const RowTry& t) {
        Layout l = base_;
        l.textSize = l.digitSize = t.textSize;
        l.headerSize = t.headerSize;
        l.tipsSize = t.tipsSize;
        l.headerY = t.headerY;
        l.tipsY = t.tipsY;
        l.rowHeight = t.rowHeight;
        l.photoHeight = photoHeightFor(t.rowHeight);
        l.photoWidth = photoWidthFor(in_, l.photoHeight);
        l.firstRowY = firstRowY(t, false);
        placeBoards(l);
        return l;
    }

    const Layout& base_;
    const LayoutInput& in_;
    const int rows_;
    TextMeasure& measure_;
};

}  // namespace

Layout fitLayout(const Layout& base, const LayoutInput& in, int rows, TextMeasure& measure,
                 std::string_view title) {
    Layout l = Fitter(base, in, rows, measure).fit();
    // The title, centred, keeps clear of the logo at the top left, and so
    // of the frame's sides by as much.
    const int room = in.frameWidth - 2 * truncToInt(static_cast<double>(l.margin) + l.logoWidth);
    const int size = fitTextSize(measure, PathKind::Title, l.titleSize, room, title);
    if (size != l.titleSize) {
        l.titleSize = size;
        const int width = size > 0 ? measure.measure(PathKind::Title, size, title).width : 0;
        l.titleX = truncToInt((static_cast<double>(in.frameWidth) - width) * 0.5);
    }
    return l;
}

int placeLeft(int screenWidth) { return truncToInt(screenWidth * LEFT_OF_SCREEN); }

int placeTop(int screenHeight) { return truncToInt(screenHeight * TOP_OF_SCREEN); }

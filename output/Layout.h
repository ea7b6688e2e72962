// Sizes and positions of everything the output window draws, from the frame
// size, the picture sizes and two text measurements. The single-precision
// factors are part of the result: a 1920 wide frame has scale 1.19999993 and
// a title of 83, not 84.
#pragma once

#include <string_view>

struct FontSizes {
    float scale;
    int titleSize;
    int headerSize;
    int textSize;
    int digitSize;
};

// The measured title width depends on titleSize, so the font sizes come first.
FontSizes layoutFontSizes(int frameWidth);

struct LayoutInput {
    int frameWidth;
    int frameHeight;
    int logoPixelWidth;    // 0 x 0: no logo, which then takes no room
    int logoPixelHeight;
    int facePixelWidth;    // default photo; 0 x 0: none, photos get 3:4
    int facePixelHeight;
};

struct Layout {
    int frameWidth, frameHeight;
    float scale;
    int titleSize, headerSize, textSize, digitSize;
    int titleX, titleY;
    int leftMargin;
    int resultsX, weeklyX;
    int headerY, firstRowY, rowHeight;
    int columnWidth;
    int photoWidth, photoHeight;
    float logoWidth, logoHeight;
    float margin;
    int tipsY, tipsSize;  // the tips line, at the bottom left
};

// Which font a text is drawn in: the title's, or the text font (digits are
// times and scores in the text font, whose digits may be told to share one
// width).
enum class PathKind { Title, Text, Digit };

struct TextBox {
    int width, height;
};

// What a text takes when drawn: the window measures with GDI+, the tests with
// a model. Only ever asked, never drawn with.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual TextBox measure(PathKind kind, int size, std::string_view text) = 0;
};

// The largest em size, not above `size`, at which the text is at most `room`
// pixels wide: `size` itself whenever it fits. 0 when not even size 1 fits.
int fitTextSize(TextMeasure& measure, PathKind kind, int size, int room, std::string_view text);

// titleTextWidth: the race title measured at titleSize in the title font;
// nameTextHeight: the height of "姓名" at textSize in the text font.
Layout computeLayout(const LayoutInput& in, const FontSizes& fonts, int titleTextWidth,
                     int nameTextHeight);

// The layout for `rows` rows in every panel. Where the rows of `base` (made
// by computeLayout) already lie between the headings and the tips line and
// the boards keep clear of each other, that is `base` itself. Otherwise the
// rows, and the photos with them, get closer; only where even rows as close
// as their text allows cannot fit, the row texts get smaller, and last of all
// the headings and the tips line as well. The title gets smaller where it
// would reach the logo or, mirrored, the right side. Heights and widths come
// from `measure`.
Layout fitLayout(const Layout& base, const LayoutInput& in, int rows, TextMeasure& measure,
                 std::string_view title);

// Where the output window first appears on a screen of that size.
int placeLeft(int screenWidth);
int placeTop(int screenHeight);

// Truncation toward zero, kept inside the int range.
int truncToInt(double value);

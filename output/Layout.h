// Sizes and positions of everything the output window draws, from the frame
// size, the picture sizes and two text measurements. The single-precision
// factors are part of the result: a 1920 wide frame has scale 1.19999993 and
// a title of 83, not 84.
#pragma once

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
};

// titleTextWidth: the race title measured at titleSize in the title font;
// nameTextHeight: the height of "姓名" at textSize in the text font.
Layout computeLayout(const LayoutInput& in, const FontSizes& fonts, int titleTextWidth,
                     int nameTextHeight);

// Where the output window first appears on a screen of that size.
int placeLeft(int screenWidth);
int placeTop(int screenHeight);

// Truncation toward zero, kept inside the int range.
int truncToInt(double value);

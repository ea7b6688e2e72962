#include "core/TextFields.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

TEST(TextFields, FieldsSplitAtTheSeparatorAndArePastTheLast) {
    std::string_view field;
    EXPECT_TRUE(findField("a,b,,c", ',', 2, &field));
    EXPECT_EQ(field, "");
    EXPECT_TRUE(findField("a,b,,c", ',', 3, &field));
    EXPECT_EQ(field, "c");
    EXPECT_FALSE(findField("a,b,,c", ',', 4, &field));
    EXPECT_FALSE(findField("a,b", ',', -1, &field));
    EXPECT_FALSE(findField("a,b", ',', 2, &field));
    EXPECT_TRUE(findField("a,b,", ',', 2, &field));
    EXPECT_EQ(field, "");
}

TEST(TextFields, StrictNumbersAcceptOnlyASignAndDigitsInRange) {
    int32_t v = 42;
    EXPECT_TRUE(parseInt32Field("0", &v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(parseInt32Field("+17", &v));
    EXPECT_EQ(v, 17);
    EXPECT_TRUE(parseInt32Field("-2147483648", &v));
    EXPECT_EQ(v, INT32_MIN);
    EXPECT_TRUE(parseInt32Field("2147483647", &v));
    EXPECT_EQ(v, INT32_MAX);
    for (const char* bad : {"", "-", "+", "2147483648", "-2147483649", "12 ", " 12", "1x",
                            "1,2", "99999999999999999999999999", "--1", "0x10"}) {
        EXPECT_FALSE(parseInt32Field(bad, &v)) << bad;
    }
    EXPECT_EQ(v, INT32_MAX) << "a failed parse leaves the output alone";
}

TEST(TextFields, DecimalText) {
    EXPECT_EQ(getStrInt(INT_MIN), "-2147483648");
    EXPECT_EQ(getStrInt(-5), "-5");
}

TEST(TextFields, FitNameCutsAtACharacterBoundaryAndStaysInItsField) {
    char field[16];
    std::memset(field, 'Z', sizeof field);
    // Six GBK characters, 12 bytes: only five fit in 11.
    EXPECT_EQ(fitName("\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xC5\xC8\xFD", field), 10u);
    EXPECT_STREQ(field, "\xC0\xEE\xCB\xC4\xCD\xF5\xCE\xE5\xD5\xC5");
    EXPECT_EQ(field[12], 'Z');

    EXPECT_EQ(fitName("abcdefghijklmno", field), 11u);
    EXPECT_STREQ(field, "abcdefghijk");
    // A character whose trail byte would be the twelfth byte is left out whole.
    EXPECT_EQ(fitName("abcdefghij\xB1\x5C", field), 10u);
    // A trail byte 0x5C looks like a backslash but belongs to its character.
    EXPECT_EQ(fitName("a\x95\x5C" "b", field), 4u);
    EXPECT_EQ(fitName("", field), 0u);
    EXPECT_STREQ(field, "");
    for (int i = 12; i < 16; ++i) EXPECT_EQ(field[i], 'Z');
}

TEST(TextFields, SaturatingArithmeticClampsInsteadOfWrapping) {
    EXPECT_EQ(saturatingAdd(INT32_MAX, 1), INT32_MAX);
    EXPECT_EQ(saturatingAdd(INT32_MIN, -1), INT32_MIN);
    EXPECT_EQ(saturatingSub(INT32_MIN, 1), INT32_MIN);
    EXPECT_EQ(saturatingSub(0, INT32_MIN), INT32_MAX);
    EXPECT_EQ(saturatingAdd(-3, 5), 2);
}

// Two characters whose trail bytes are A and a (丂, 乤) are two photo files
// to Windows, whatever letter case does to Tom and TOM.
TEST(TextFields, LetterCaseFoldsOnlyInSingleByteCharacters) {
    EXPECT_TRUE(equalsIgnoringAsciiCase("Tom\xD5\xC5", "tOM\xD5\xC5"));
    EXPECT_FALSE(equalsIgnoringAsciiCase("\x81\x41", "\x81\x61"));
    EXPECT_EQ(foldAsciiCase("\x81\x41" "AB.JPG"), "\x81\x41" "ab.jpg");
    EXPECT_EQ(trimBlanks(" \t1'02\" \t"), "1'02\"");
}

TEST(TextFields, LongTextIsCutOnACharacterBoundary) {
    EXPECT_EQ(cutAtCharBoundary("ab\xD5\xC5\xCE\xB0", 3), "ab");
    EXPECT_EQ(cutAtCharBoundary("ab\xD5\xC5\xCE\xB0", 4), "ab\xD5\xC5");
    EXPECT_EQ(cutAtCharBoundary("abc", 10), "abc");
    EXPECT_EQ(cutAtCharBoundary("", 0), "");
    // A lead byte as the very last byte has no trail to lose: it stays.
    EXPECT_EQ(cutAtCharBoundary("abc\xB1", 4), "abc\xB1");
    EXPECT_EQ(cutAtCharBoundary("abc\xB1", 3), "abc");
    char field[FITTED_NAME_BYTES];
    EXPECT_EQ(fitName("abcdefghij\xB1", field), 11u);
    EXPECT_STREQ(field, "abcdefghij\xB1");
}

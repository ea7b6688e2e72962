// Which encoding a file made by hand is in. Operators write the roster and
// the settings in Notepad and open the records file in a spreadsheet; what
// comes back may be code page 936, UTF-8 with or without a byte-order mark,
// or UTF-16. A mark decides; without one, the reading that gives the more
// plausible Chinese text wins, and a tie stays with code page 936.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

enum class TextEncoding { Cp936, Utf8, Utf16Le, Utf16Be };

inline bool isUtf16(TextEncoding e) { return e == TextEncoding::Utf16Le || e == TextEncoding::Utf16Be; }

// The encoding a byte-order mark at the start names, and the mark's length;
// Cp936 and 0 when there is none.
TextEncoding byteOrderMark(std::string_view bytes, std::size_t* length);

// Well-formed UTF-8 throughout: no overlong forms, surrogates, values above
// U+10FFFF or sequences cut short.
bool isValidUtf8(std::string_view bytes);

// The encoding of one line of a file in `fileEncoding`, or of a field of
// that line. A UTF-8 file may hold lines an older version appended in code
// page 936 (a spreadsheet saved the file as UTF-8 in between): a line that is
// no UTF-8 is one of those.
TextEncoding lineEncoding(std::string_view line, TextEncoding fileEncoding);

// Just past the line end of the line that starts at `begin`, or the end of
// the text. LF, CR LF and a CR alone each end a line: Notepad, a spreadsheet
// and an old Mac editor all write hand-made text, and a file may be cut
// between a CR and its LF. Every reader of such text splits its lines here.
std::size_t lineEnd(std::string_view bytes, std::size_t begin);

// Where the line from `begin` to its lineEnd `end` ends without its line end.
inline std::size_t lineContentEnd(std::string_view bytes, std::size_t begin, std::size_t end) {
    while (end > begin && (bytes[end - 1] == '\n' || bytes[end - 1] == '\r')) --end;
    return end;
}

// A text as single bytes where only ASCII matters: a UTF-16 text (by its
// mark) as one byte per code unit after the mark, a unit above ASCII standing
// as 0xFF, which no separator, digit or time stamp holds; byte i of the view
// is then bytes i * 2 + 2 and i * 2 + 3 of the text (an odd last byte has
// none). Any other text as it is.
std::string asciiView(std::string_view bytes);

// Hands each line that has its line end to take(line), without the line
// end; returns where the unended rest begins (the size when there is none).
template <typename Take>
std::size_t forEachLine(std::string_view bytes, Take&& take) {
    for (std::size_t begin = 0;;) {
        const std::size_t end = lineEnd(bytes, begin);
        const std::size_t stop = lineContentEnd(bytes, begin, end);
        if (stop == end) return begin;  // no line end: the unended rest
        take(bytes.substr(begin, stop - begin));
        begin = end;
    }
}

enum class Gb2312Class { None, Level1, Level2, Other };

// Where GB2312 has a character: its common hanzi (level 1), its rarer hanzi
// (level 2), its other rows (punctuation, full-width forms, letters), or not
// at all.
Gb2312Class gb2312ClassOf(uint32_t codePoint);
// The same for a double-byte code of code page 936.
Gb2312Class gb2312ClassOfCode(unsigned char lead, unsigned char trail);

// How plausible the two readings of a text are, gathered piece by piece so
// that a file read a bit at a time is judged as a whole. Each piece must end
// right after a byte below 0x80 (a line end does) or at the end of the text:
// no character is then cut in two in either reading.
class EncodingEvidence {
public:
    void add(std::string_view bytes);
    // The same, line by line, leaving out every line that is not valid UTF-8:
    // such a line can only be code page 936 and says nothing of the others,
    // as in a UTF-8 file an older program appended code page 936 to.
    void addUtf8Lines(std::string_view bytes);
    // Utf8 when the text is valid UTF-8 and reads better so, or reads as
    // Chinese text and not clearly worse; else Cp936.
    TextEncoding verdict() const;
    void clear() { *this = EncodingEvidence(); }

    int64_t cp936Score() const { return cp936_; }
    int64_t utf8Score() const { return utf8_; }

private:
    int64_t cp936_ = 0;
    int64_t utf8_ = 0;
    bool utf8Valid_ = true;
    bool utf8Chinese_ = true;  // every character above ASCII is of Chinese text
};

// A whole text: a mark decides (its length goes to *markLength), else the
// evidence of all its bytes.
TextEncoding detectTextEncoding(std::string_view bytes, std::size_t* markLength);
// The same for a file of lines that may mix the two, such as the records
// file: the evidence of its lines that are valid UTF-8.
TextEncoding detectLinesEncoding(std::string_view bytes, std::size_t* markLength);

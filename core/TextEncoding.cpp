#include "core/TextEncoding.h"

#include <algorithm>
#include <iterator>

#include "core/TextFields.h"

extern const unsigned char kGb2312Level1[2624];
extern const unsigned char kGb2312Level2[2624];
extern const unsigned short kGb2312Others[682];
extern const unsigned char kGb2312Assigned[1105];

namespace {

constexpr uint32_t CJK_FIRST = 0x4E00;
constexpr uint32_t CJK_LAST = 0x9FFF;

bool bitSet(const unsigned char* map, std::size_t i) { return (map[i / 8] >> (i % 8)) & 1; }

// Weights of one character in each reading. A text of common hanzi in code
// page 936 reads in UTF-8 (where it is valid at all) as two-byte letters of
// Latin, Greek, Cyrillic or Arabic; UTF-8 hanzi read in code page 936 pair
// their continuation bytes into a mix of hanzi, rare hanzi and GBK's
// extension codes. Per byte, a common hanzi counts the same in both readings
// (+2 per byte), so that the rare and the impossible tip the balance.
constexpr int CP936_LEVEL1 = 4;      // two bytes
constexpr int CP936_LEVEL2 = 1;
constexpr int CP936_OTHER = 1;       // GB2312 punctuation and symbols
constexpr int CP936_EXTENSION = -4;  // GBK beyond GB2312, or an unassigned code
constexpr int CP936_BROKEN = -6;     // a lead byte without its trail, 0x80, 0xFF
constexpr int UTF8_LEVEL1 = 6;       // three bytes
constexpr int UTF8_LEVEL2 = 2;
constexpr int UTF8_OTHER = 1;
constexpr int UTF8_RARE_HANZI = -2;  // hanzi outside GB2312
constexpr int UTF8_LETTER = -4;      // U+0080..U+07FF: Latin, Greek, Cyrillic, Arabic ...
constexpr int UTF8_UNLIKELY = -4;    // anything else of three bytes
constexpr int UTF8_ASTRAL = -2;      // four bytes

// Length of the UTF-8 sequence starting at pos and its code point, or 0
// when it is not valid there.
std::size_t utf8Sequence(std::string_view bytes, std::size_t pos, uint32_t* codePoint) {
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byteAt(pos);
    if (lead < 0x80) {
        *codePoint = lead;
        return 1;
    }
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // bounds of the second byte
    uint32_t value;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > bytes.size()) return 0;
    if (byteAt(pos + 1) < low || byteAt(pos + 1) > high) return 0;
    for (std::size_t i = pos + 1; i < pos + length; ++i) {
        if (i > pos + 1 && (byteAt(i) < 0x80 || byteAt(i) > 0xBF)) return 0;
        value = value << 6 | (byteAt(i) & 0x3F);
    }
    *codePoint = value;
    return length;
}

int utf8Weight(uint32_t cp) {
    if (cp < 0x80) return 0;
    const Gb2312Class c = gb2312ClassOf(cp);
    if (c == Gb2312Class::Level1) return UTF8_LEVEL1;
    if (c == Gb2312Class::Level2) return UTF8_LEVEL2;
    if (cp == 0xB7) return 0;  // the dot between the parts of a transcribed name
    if (cp < 0x800) return UTF8_LETTER;
    if (cp > 0xFFFF) return UTF8_ASTRAL;
    if (c == Gb2312Class::Other) return UTF8_OTHER;
    if ((cp >= 0x3400 && cp <= 0x4DBF) || (cp >= CJK_FIRST && cp <= CJK_LAST) ||
        (cp >= 0xF900 && cp <= 0xFAFF))
        return UTF8_RARE_HANZI;
    return UTF8_UNLIKELY;
}

// What a UTF-8 reading of Chinese text holds above ASCII: hanzi, GB2312's
// punctuation and symbols, the CJK and full-width punctuation, and the dot
// of transcribed names.
bool isChineseText(uint32_t cp) {
    if (cp < 0x80 || cp == 0xB7 || gb2312ClassOf(cp) != Gb2312Class::None) return true;
    return (cp >= 0x3000 && cp <= 0x303F) || (cp >= 0x3400 && cp <= 0x4DBF) ||
           (cp >= CJK_FIRST && cp <= CJK_LAST) || (cp >= 0xFF00 && cp <= 0xFFEF);
}

int cp936PairWeight(unsigned char lead, unsigned char trail) {
    switch (gb2312ClassOfCode(lead, trail)) {
    case Gb2312Class::Level1: return CP936_LEVEL1;
    case Gb2312Class::Level2: return CP936_LEVEL2;
    case Gb2312Class::Other: return CP936_OTHER;
    case Gb2312Class::None: break;
    }
    return CP936_EXTENSION;
}

}  // namespace

TextEncoding byteOrderMark(std::string_view bytes, std::size_t* length) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        *length = 3;
        return TextEncoding::Utf8;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE") {
        *length = 2;
        return TextEncoding::Utf16Le;
    }
    if (bytes.substr(0, 2) == "\xFE\xFF") {
        *length = 2;
        return TextEncoding::Utf16Be;
    }
    *length = 0;
    return TextEncoding::Cp936;
}

bool isValidUtf8(std::string_view bytes) {
    uint32_t cp = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = utf8Sequence(bytes, pos, &cp);
        if (length == 0) return false;
        pos += length;
    }
    return true;
}

Gb2312Class gb2312ClassOf(uint32_t codePoint) {
    if (codePoint >= CJK_FIRST && codePoint <= CJK_LAST) {
        const std::size_t i = codePoint - CJK_FIRST;
        if (bitSet(kGb2312Level1, i)) return Gb2312Class::Level1;
        if (bitSet(kGb2312Level2, i)) return Gb2312Class::Level2;
        return Gb2312Class::None;
    }
    if (codePoint > 0xFFFF) return Gb2312Class::None;
    const auto* end = std::end(kGb2312Others);
    const auto* at = std::lower_bound(std::begin(kGb2312Others), end, codePoint);
    return at != end && *at == codePoint ? Gb2312Class::Other : Gb2312Class::None;
}

Gb2312Class gb2312ClassOfCode(unsigned char lead, unsigned char trail) {
    if (lead < 0xA1 || lead > 0xF7 || trail < 0xA1 || trail > 0xFE) return Gb2312Class::None;
    if (!bitSet(kGb2312Assigned, (lead - 0xA1) * 94u + (trail - 0xA1))) return Gb2312Class::None;
    if (lead >= 0xD8) return Gb2312Class::Level2;
    if (lead >= 0xB0) return Gb2312Class::Level1;
    return Gb2312Class::Other;
}

void EncodingEvidence::add(std::string_view bytes) {
    for (std::size_t pos = 0; pos < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[pos]);
        if (c < 0x80) {
            ++pos;
        } else if (isGbkLeadByte(c) && pos + 1 < bytes.size() &&
                   isGbkTrailByte(static_cast<unsigned char>(bytes[pos + 1]))) {
            cp936_ += cp936PairWeight(c, static_cast<unsigned char>(bytes[pos + 1]));
            pos += 2;
        } else {
            cp936_ += CP936_BROKEN;
            ++pos;
        }
    }
    if (!utf8Valid_) return;
    uint32_t cp = 0;
    for (std::size_t pos = 0; pos < bytes.size();) {
        const std::size_t length = utf8Sequence(bytes, pos, &cp);
        if (length == 0) {
            utf8Valid_ = false;
            return;
        }
        utf8_ += utf8Weight(cp);
        utf8Chinese_ = utf8Chinese_ && isChineseText(cp);
        pos += length;
    }
}

std::size_t lineEnd(std::string_view bytes, std::size_t begin) {
    // A plain loop: find_first_of tries each byte against the set with a
    // call of its own, which makes reading years of records slow.
    std::size_t end = begin;
    while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
    if (end == bytes.size()) return end;
    return bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n' ? end + 2 : end + 1;
}

TextEncoding lineEncoding(std::string_view line, TextEncoding fileEncoding) {
    return fileEncoding == TextEncoding::Utf8 && !isValidUtf8(line) ? TextEncoding::Cp936 : fileEncoding;
}

std::string asciiView(std::string_view bytes) {
    std::size_t mark = 0;
    const TextEncoding encoding = byteOrderMark(bytes, &mark);
    if (!isUtf16(encoding)) return std::string(bytes);
    const bool big = encoding == TextEncoding::Utf16Be;
    std::string view;
    view.reserve((bytes.size() - mark) / 2);
    for (std::size_t at = mark; at + 1 < bytes.size(); at += 2) {
        const auto high = static_cast<unsigned char>(bytes[big ? at : at + 1]);
        const auto low = static_cast<unsigned char>(bytes[big ? at + 1 : at]);
        view += high == 0 && low < 0x80 ? static_cast<char>(low) : '\xFF';
    }
    return view;
}

void EncodingEvidence::addUtf8Lines(std::string_view bytes) {
    if (isValidUtf8(bytes)) {
        add(bytes);
        return;
    }
    for (std::size_t begin = 0, end; begin < bytes.size(); begin = end) {
        end = lineEnd(bytes, begin);
        const std::string_view line = bytes.substr(begin, end - begin);
        if (isValidUtf8(line)) add(line);
    }
}

TextEncoding EncodingEvidence::verdict() const {
    if (!utf8Valid_) return TextEncoding::Cp936;
    if (utf8_ > cp936_) return TextEncoding::Utf8;
    // A short name of rarer hanzi in UTF-8 pairs its bytes, read as code
    // page 936, into common hanzi that can outweigh it ("赵俪" does). Notepad
    // saves UTF-8 by default, and code page 936 text that is also valid UTF-8
    // of hanzi is rare: such UTF-8 keeps its reading unless the other one is
    // far more plausible.
    const bool chinese = utf8Chinese_ && utf8_ > 0;
    return chinese && 2 * cp936_ <= 5 * utf8_ ? TextEncoding::Utf8 : TextEncoding::Cp936;
}

namespace {
TextEncoding detect(std::string_view bytes, std::size_t* markLength, bool byLines) {
    const TextEncoding marked = byteOrderMark(bytes, markLength);
    if (*markLength > 0) return marked;
    EncodingEvidence evidence;
    if (byLines) evidence.addUtf8Lines(bytes);
    else evidence.add(bytes);
    return evidence.verdict();
}
}  // namespace

TextEncoding detectTextEncoding(std::string_view bytes, std::size_t* markLength) {
    return detect(bytes, markLength, false);
}

TextEncoding detectLinesEncoding(std::string_view bytes, std::size_t* markLength) {
    return detect(bytes, markLength, true);
}

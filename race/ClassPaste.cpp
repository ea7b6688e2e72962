#include "race/ClassPaste.h"

#include "core/TextEncoding.h"
#include "core/TextFields.h"
#include "race/ClassList.h"

namespace {

// The words a pasted cell is compared with, in code page 936: the core is
// compiled for Windows with a code page 936 execution character set too, so
// a Chinese literal would stand for different bytes in the two builds.
constexpr std::string_view NAME_HEADINGS_CP936[] = {
    "\xD0\xD5\xC3\xFB",                  // 姓名
    "\xC3\xFB\xD7\xD6",                  // 名字
    "\xD1\xA7\xC9\xFA\xD0\xD5\xC3\xFB",  // 学生姓名
};

// Every line, the last one too when nothing ends it: a spreadsheet's copy
// ends its last row, a CSV file typed by hand often does not.
template <typename Take>
void everyLine(std::string_view text, Take&& take) {
    const std::size_t rest = forEachLine(text, take);
    if (rest < text.size()) take(text.substr(rest));
}

// A quoted cell's text from just past its opening quote to its closing
// one, a doubled quote standing for one. A quote never closed takes the
// rest of the line rather than lose the name in it.
std::string quotedText(std::string_view line, std::size_t* pos) {
    std::string text;
    while (*pos < line.size()) {
        const std::string_view character = line.substr(*pos, gbkCharLength(line, *pos));
        *pos += character.size();
        if (character != "\"") {
            text += character;
        } else if (*pos < line.size() && line[*pos] == '"') {
            text += '"';
            ++*pos;
        } else {
            break;
        }
    }
    return text;
}

// The cell at *pos without its quotes; *pos ends past its separator. Whole
// characters only, so that no name is cut between its two bytes.
std::string nextCell(std::string_view line, char separator, std::size_t* pos) {
    std::string cell;
    if (*pos < line.size() && line[*pos] == '"') {
        ++*pos;
        cell = quotedText(line, pos);
    }
    // What a hand-made line has after the closing quote still belongs to it.
    while (*pos < line.size() && line[*pos] != separator) {
        const std::size_t length = gbkCharLength(line, *pos);
        cell += line.substr(*pos, length);
        *pos += length;
    }
    ++*pos;
    return cell;
}

bool isHeading(std::string_view cell) {
    for (std::string_view heading : NAME_HEADINGS_CP936)
        if (cell == heading) return true;
    return false;
}

}  // namespace

std::vector<PastedName> parsePastedNames(std::string_view text) {
    std::vector<PastedName> names;
    int number = 0;
    everyLine(text, [&](std::string_view line) {
        ++number;
        // Neither a tab nor a comma can be half of a double-byte character.
        const char separator = line.find('\t') != std::string_view::npos ? '\t' : ',';
        std::size_t pos = 0;
        std::string name = trimmedName(nextCell(line, separator, &pos));
        if (name.empty() || isHeading(name)) return;
        std::string sex = trimmedName(nextCell(line, separator, &pos));
        if (!isKnownSex(sex)) sex.clear();
        names.push_back(PastedName{number, std::move(name), std::move(sex)});
    });
    return names;
}

bool isSeveralLines(std::string_view text) {
    int filled = 0;
    everyLine(text, [&](std::string_view line) { filled += trimmedName(line).empty() ? 0 : 1; });
    return filled >= 2;
}

#include "records/RecordLines.h"

#include "core/TextFields.h"

namespace {

// The mode word of an obstacle race as each encoding spells it. The core is
// compiled for Windows with a code page 936 execution character set too, so a
// Chinese literal would stand for different bytes in the two builds.
constexpr std::string_view OBSTACLE_CP936 = "\xD5\xCF\xB0\xAD\xC8\xFC";
constexpr std::string_view OBSTACLE_UTF8 = "\xE9\x9A\x9C\xE7\xA2\x8D\xE8\xB5\x9B";
constexpr std::string_view OBSTACLE_UTF16LE = "\x9C\x96\x8D\x78\x5B\x8D";
constexpr std::string_view OBSTACLE_UTF16BE = "\x96\x9C\x78\x8D\x8D\x5B";

void readHeader(std::string_view line, RecordLine* r) {
    r->kind = RecordLine::Header;
    findField(line, ',', 0, &r->mode);
    r->timeValid = findField(line, ',', 1, &r->stamp) && parseRecordTimeStamp(r->stamp, &r->raceTime);
}

void readContestant(std::string_view line, RecordLine* r) {
    std::string_view name, timeField, scoreField;
    int32_t time = 0, score = 0;
    bool ok = findField(line, ',', 0, &name) && findField(line, ',', 1, &timeField) &&
              findField(line, ',', 2, &scoreField) && parseInt32Field(timeField, &time) &&
              parseInt32Field(scoreField, &score);
    if (!ok) {
        r->kind = RecordLine::Bad;
        return;
    }
    r->kind = RecordLine::Contestant;
    r->name.assign(name);
    r->elapsedMs = time;
    r->score = score;
}

}  // namespace

const char* modeText(bool obstacle) { return obstacle ? "障碍赛" : "计时赛"; }

bool isObstacleWord(std::string_view word, TextEncoding encoding) {
    switch (lineEncoding(word, encoding)) {
    case TextEncoding::Cp936: return word == OBSTACLE_CP936;
    case TextEncoding::Utf8: return word == OBSTACLE_UTF8;
    case TextEncoding::Utf16Le: return word == OBSTACLE_UTF16LE;
    case TextEncoding::Utf16Be: return word == OBSTACLE_UTF16BE;
    }
    return false;
}

std::string recordHeaderLine(const std::string& modeText, const std::string& stamp) {
    return modeText + "," + stamp;
}

std::string recordName(std::string_view name) {
    // Neither byte can be the second byte of a double-byte character.
    std::string out;
    out.reserve(name.size());
    for (char ch : name) {
        if (ch == ',') out += "，";
        else if (ch == ':') out += "：";
        else out += ch;
    }
    return out;
}

std::string recordsNameOf(std::string_view childName) {
    char fitted[FITTED_NAME_BYTES];
    fitName(childName, fitted);
    return recordName(fitted);
}

std::string recordContestantLine(const Contestant& c) {
    std::string line = recordName(fixedText(c.name));
    line += ',';
    line += getStrInt(c.elapsedMs);
    line += ',';
    line += getStrInt(c.score);
    return line;
}

std::vector<std::string> raceRecordBlock(const std::string& modeText, const std::string& stamp,
                                         const Contestant* table, int count) {
    std::vector<std::string> block;
    block.push_back(recordHeaderLine(modeText, stamp));
    for (int i = 0; i < count; ++i) block.push_back(recordContestantLine(table[i]));
    block.emplace_back();
    return block;
}

RecordLine classifyRecordLine(std::string_view line) {
    RecordLine r{RecordLine::Empty, LocalTime{}, false, {}, {}, std::string(), 0, 0};
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    // A spreadsheet writes an empty row as nothing but the commas of its cells.
    if (line.find_first_not_of(',') == std::string_view::npos) return r;
    if (line.find(':') != std::string_view::npos) {
        readHeader(line, &r);
    } else {
        readContestant(line, &r);
    }
    return r;
}

#include "core/Core.h"

#include "core/TextFields.h"
#include "core/IniText.h"

#include <climits>
#include <cstring>

namespace {

const char kSection[] = "Trackvane";
// A settings file is a few lines; one this size is no settings file, and one
// cut off here must not be written back.
const size_t kConfigReadLimit = 1 << 20;

// What a key reads as when the file or the key is missing or its value
// cannot be used.
// A number outside its range (an output of width 0, say) reads as the
// default too.
struct ConfigDefault {
    const char* key;
    const char* value;
    int least;
    int most;
};
const ConfigDefault kDefaults[] = {
    {"scoreInit", "0", INT_MIN, INT_MAX},
    {"scoreStep", "1", INT_MIN, INT_MAX},
    {"raceTitle", "校园趣味运动会", 0, 0},
    {"tips", "按编号键开始或停止计时，祝各位选手取得好成绩！", 0, 0},
    {"clrStr", "FFFFFFFF", 0, 0},
    {"clrDigi", "FFFFD54F", 0, 0},
    {"isZhangai", "0", 0, 1},
    {"width", "1280", 100, 8000},
    {"height", "720", 100, 3000},
    {"fontTitle", "黑体", 0, 0},
    {"firstClass", "本班", 0, 0},
    {"currentClass", "", 0, 0},
    {"school", "", 0, 0},
    {"teacher", "", 0, 0},
};

const ConfigDefault* defaultEntry(const char* key) {
    for (const auto& d : kDefaults)
        if (std::strcmp(d.key, key) == 0) return &d;
    return nullptr;
}

const char* defaultOf(const char* key) {
    const ConfigDefault* d = defaultEntry(key);
    return d ? d->value : "";
}

bool inRange(const char* key, int value) {
    const ConfigDefault* d = defaultEntry(key);
    return !d || (value >= d->least && value <= d->most);
}

}  // namespace

void CCore::autoFileConfig() {
    if (configPath_.empty()) configPath_ = getAppPath() + "Trackvane.ini";
}

// The file may have been saved by Notepad as UTF-8 or "Unicode".
bool CCore::readValue(const char* key, std::string* value) {
    std::string bytes;
    return readFile(configPath_, &bytes, kConfigReadLimit) &&
           findIniValue(textToAnsi(bytes), kSection, key, value);
}

// The file keeps its encoding: code page 936 as a Chinese PC writes it, or the
// UTF-8 or UTF-16 an editor saved, edited as UTF-8. A whole new file takes the
// old one's place, so that a failed write leaves the settings as they were;
// one too large to be a settings file is never written back cut.
bool CCore::writeValue(const char* key, const std::string& value) {
    std::string bytes;
    DWORD error = 0;
    if (!readFile(configPath_, &bytes, kConfigReadLimit, &error) && error != ERROR_FILE_NOT_FOUND &&
        error != ERROR_PATH_NOT_FOUND)
        return false;
    size_t mark = 0;
    const TextEncoding encoding = detectTextEncoding(bytes, &mark);
    std::string text;
    if (encoding == TextEncoding::Cp936) {
        text = withIniValue(bytes, kSection, key, value);
    } else {
        const std::string utf8 = encodeWide(decodeToWide(std::string_view(bytes).substr(mark), encoding),
                                            TextEncoding::Utf8);
        const std::string edited = withIniValue(utf8, kSection, key, encodeAs(value, TextEncoding::Utf8));
        text = bytes.substr(0, mark) + encodeWide(decodeToWide(edited, TextEncoding::Utf8), encoding);
    }
    return replaceWhole(configPath_, text);
}

int CCore::getConfigInt(const char* key) {
    std::string text;
    int value = 0;
    if (readValue(key, &text) && parseIniInt(text, &value) && inRange(key, value)) return value;
    parseIniInt(defaultOf(key), &value);
    return value;
}

std::string CCore::getConfigStr(const char* key) {
    std::string text;
    return readValue(key, &text) ? text : defaultOf(key);
}

BOOL CCore::getConfigB(const char* key) {
    std::string text;
    int value = 0;
    if (readValue(key, &text) && parseIniBool(text, &value)) return value;
    parseIniBool(defaultOf(key), &value);
    return value;
}

uint32_t CCore::getConfigClr(const char* key) {
    std::string text;
    uint32_t value = 0;
    if (readValue(key, &text) && parseIniColour(text, &value)) return value;
    parseIniColour(defaultOf(key), &value);
    return value;
}

bool CCore::saveConfigInt(const char* key, int value) { return writeValue(key, getStrInt(value)); }
bool CCore::saveConfigStr(const char* key, const std::string& value) { return writeValue(key, value); }
bool CCore::saveConfigB(const char* key, BOOL value) { return writeValue(key, value ? "1" : "0"); }
bool CCore::saveConfigClr(const char* key, uint32_t argb) {
    return writeValue(key, formatIniColour(argb));
}

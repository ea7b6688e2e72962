#include "records/TimeText.h"

#include "core/TextFields.h"

#include <algorithm>
#include <cstdio>

std::string formatTime(uint32_t ms) {
    const unsigned minutes = (ms % 3600000u) / 60000u;
    const unsigned seconds = (ms % 60000u) / 1000u;
    const unsigned hundredths = (ms % 1000u) / 10u;
    char text[16];
    std::snprintf(text, sizeof text, "%2u'%2u.%2u\"", minutes, seconds, hundredths);
    std::string result(text);
    for (char& c : result) {
        if (c == ' ') c = '0';
    }
    return result;
}

std::string clockText(const Contestant& c, uint32_t nowTick) {
    const uint32_t end = c.timing ? nowTick : c.stopTick;
    return formatTime(end - c.startTick);
}

namespace {

// NO_TIME is no time at all; hours are the most a typed time has.
constexpr int64_t TYPED_TIME_LIMIT = NO_TIME;

// The digits at *pos; *pos moves past them. Values past the limit saturate,
// so that a long run of digits cannot overflow.
std::size_t readDigits(std::string_view text, std::size_t* pos, int64_t* value) {
    std::size_t count = 0;
    *value = 0;
    for (; *pos < text.size() && text[*pos] >= '0' && text[*pos] <= '9'; ++*pos, ++count)
        *value = std::min(*value * 10 + (text[*pos] - '0'), TYPED_TIME_LIMIT);
    return count;
}

}  // namespace

bool parseTypedTime(std::string_view typed, int32_t* ms) {
    std::string text;
    if (!toHalfWidth(typed, &text)) return false;
    std::string_view t = trimBlanks(text);
    if (t.empty()) return false;
    if (t.back() == '"') t.remove_suffix(1);

    // Up to three numbers: seconds; minutes and seconds; hours, minutes and
    // seconds, the hours ended by a colon (1'02'03 is no time). A number after
    // the first stays below 60.
    std::size_t pos = 0;
    int64_t parts[3] = {0, 0, 0};
    char hoursEnd = 0;  // the separator after the first number
    int count = 0;
    for (;; ++pos) {
        if (readDigits(t, &pos, &parts[count]) == 0 || (count > 0 && parts[count] >= 60)) return false;
        if (++count == 3 && hoursEnd != ':') return false;
        if (count == 3 || pos >= t.size() || (t[pos] != '\'' && t[pos] != ':')) break;
        if (count == 1) hoursEnd = t[pos];
    }
    int64_t total = 0;
    for (int i = 0; i < count; ++i) total = total * 60 + parts[i];
    total *= 1000;
    if (pos < t.size() && t[pos] == '.') {
        ++pos;
        static const int64_t SCALE[] = {100, 10, 1};  // ms per unit of 1, 2 or 3 decimals
        int64_t fraction = 0;
        const std::size_t decimals = readDigits(t, &pos, &fraction);
        if (decimals < 1 || decimals > 3) return false;
        total += fraction * SCALE[decimals - 1];
    }
    if (pos != t.size() || total >= TYPED_TIME_LIMIT) return false;
    *ms = static_cast<int32_t>(total);
    return true;
}

std::string resultTimeText(int32_t ms) {
    const uint32_t t = static_cast<uint32_t>(ms);
    if (ms >= 0 && t < 3600000u) return formatTime(t);
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u:%02u.%02u", t / 3600000u, t / 60000u % 60u, t / 1000u % 60u,
                  t % 1000u / 10u);
    return text;
}

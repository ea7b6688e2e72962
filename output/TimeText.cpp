#include "output/TimeText.h"

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

// The fuzz target's checks, run on seeded random inputs so that every test
// run covers them under the sanitizers, with or without libFuzzer.
#include <gtest/gtest.h>

#include <random>

#include "tests/fuzz/RecordsFuzzBody.h"

namespace {

// Records-like lines with random flaws, so that the inputs reach headers of
// this week, matching names and edge numbers as well as plain noise.
const char* const HEADERS[] = {"m,2026-12-08 10:00:00", "m,2026-12-06 23:59:59",
                               "m,2026-02-30 10:00:00", "2026-12-08 21:28:23", ":"};
const char* const NAMES[] = {"A", "B", "\xC0\xEE", "\xC0", "a", "", "A B", "Li:Wei"};
const char* const NUMBERS[] = {"1000", "250", "61000", "-1", "0", "8880000", "2147483647", "-2147483648",
                               "99999999999", "+7", "12x", "", " 5"};
const char* const LINE_ENDS[] = {"\n", "\n", "\r\n", "\r", ""};
// Lines of a race journal, so that some inputs rebuild a race, ended or not.
const char* const JOURNAL[] = {
    "race,start=2026-12-09 10:05:00.123,tick=1000,mode=m,isZhangai=1,scoreInit=5,contestants=2",
    "name,1,A", "name,2,\xC0\xEE", "start,1,tick=2000,wall=2026-12-09 10:05:01.000",
    "stop,1,tick=63234,wall=2026-12-09 10:06:02.234", "undo,1,tick=64000,wall=2026-12-09 10:06:03.000",
    "score,2,-3,tick=65000,wall=2026-12-09 10:06:04.000",
    "end,stamp=2026-12-09 10:10:00,tick=70000,wall=2026-12-09 10:10:00.500"};

template <std::size_t N>
const char* pick(const char* const (&choices)[N], std::mt19937& random) {
    return choices[random() % N];
}

std::string randomLine(std::mt19937& random) {
    switch (random() % 7) {
        case 0: return pick(HEADERS, random);
        case 1: return "";
        case 6: return pick(JOURNAL, random);
        case 2: {
            std::string noise(random() % 12, '\0');
            for (char& c : noise) c = static_cast<char>(random() % 256);
            return noise;
        }
        default:
            return std::string(pick(NAMES, random)) + "," + pick(NUMBERS, random) + "," +
                   pick(NUMBERS, random);
    }
}

std::string randomInput(std::mt19937& random) {
    // Half the inputs open with a race of this week, so their lines count.
    std::string input = random() % 2 ? std::string(HEADERS[0]) + "\n" : "";
    for (int lines = random() % 16; lines > 0; --lines) {
        input += randomLine(random);
        input += pick(LINE_ENDS, random);
    }
    // Some as UTF-16 with a mark, as a spreadsheet may save them.
    if (random() % 4 != 0) return input;
    const bool big = random() % 2;
    std::string wide = big ? "\xFE\xFF" : "\xFF\xFE";
    for (char c : input) wide += big ? std::string{'\0', c} : std::string{c, '\0'};
    return wide;
}

}  // namespace

TEST(RecordsRandom, ArbitraryBytesAreReadConsistently) {
    std::mt19937 random(20261208);
    for (int i = 0; i < 20000; ++i) {
        const std::string input = randomInput(random);
        const char* failure =
            records_fuzz::checkAll(reinterpret_cast<const uint8_t*>(input.data()), input.size());
        ASSERT_EQ(failure, nullptr) << failure << "\ninput: " << ::testing::PrintToString(input);
    }
}

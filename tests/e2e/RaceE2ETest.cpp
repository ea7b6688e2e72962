// A whole race run on the real program: started on its own data folder,
// keys posted to the control dialog as the keyboard would send them, and the
// records file checked byte for byte apart from the time stamp and the
// measured times.
#include "core/TimeStamp.h"
#include "tests/e2e/ProgramDriver.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using e2e::ProgramDriver;

// Milliseconds in field 1 of a contestant line.
long timeOf(const std::string& line) {
    size_t a = line.find(',');
    return std::strtol(line.c_str() + a + 1, nullptr, 10);
}

TEST(RaceEndToEnd, AWholeRaceFromTheKeyboardLandsInTheRecordsFile) {
    ProgramDriver program;
    ASSERT_TRUE(program.exists("Trackvane.exe")) << e2e::builtExe();
    program.write("data\\psn.txt", "张伟\r\n李娜\r\n王芳\r\n");

    ASSERT_TRUE(program.start());
    ASSERT_EQ(program.caption(), "Trackvane（计时赛）");
    program.waitUntil([&] { return program.listRows() == 3; }, 5000);
    ASSERT_EQ(program.listRows(), 3);

    program.key(VK_RETURN);
    program.key('1');
    program.key(VK_NUMPAD2);
    program.pause(1500);
    program.key('1');
    program.pause(1000);
    program.key(VK_OEM_PERIOD);

    std::string file;
    program.waitUntil(
        [&] {
            file = program.read("data\\_records.csv");
            return file.size() >= 40;
        },
        10000);
    EXPECT_TRUE(program.close().exitedByItself);

    const std::vector<std::string> got = e2e::crlfLines(file);
    ASSERT_EQ(got.size(), 5u) << file;
    ASSERT_EQ(got[0].substr(0, 7), "计时赛,");
    LocalTime stamp = {};
    EXPECT_TRUE(parseTimeStamp(got[0].substr(7), &stamp)) << got[0];
    // Times within 400 ms of the waits: posted keys are taken a moment late.
    EXPECT_EQ(got[1].substr(0, 5), "张伟,");
    EXPECT_NEAR(timeOf(got[1]), 1500, 400);
    EXPECT_EQ(got[1].substr(got[1].size() - 2), ",0");
    EXPECT_EQ(got[2].substr(0, 5), "李娜,");
    EXPECT_NEAR(timeOf(got[2]), 2500, 400);
    EXPECT_EQ(got[3], "王芳,8880000,0");
    EXPECT_EQ(got[4], "");
    EXPECT_EQ(file.substr(file.size() - 4), "\r\n\r\n");  // the empty closing line
}

}  // namespace

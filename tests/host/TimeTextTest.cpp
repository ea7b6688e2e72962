#include "records/TimeText.h"

#include <gtest/gtest.h>

TEST(TimeText, MinutesSecondsHundredthsWithTheHourDropped) {
    EXPECT_EQ(formatTime(0), "00'00.00\"");
    EXPECT_EQ(formatTime(65432), "01'05.43\"");
    EXPECT_EQ(formatTime(83456), "01'23.45\"");
    EXPECT_EQ(formatTime(3723450), "02'03.45\"");
    EXPECT_EQ(formatTime(3725000), "02'05.00\"");
    EXPECT_EQ(formatTime(NO_TIME), "28'00.00\"");
    EXPECT_EQ(formatTime(3599999), "59'59.99\"");
    EXPECT_EQ(formatTime(UINT32_MAX), "02'47.29\"");
}

TEST(TimeText, ClockRunsToNowAndStopsAtTheStopTick) {
    Contestant c{};
    EXPECT_EQ(clockText(c, 123456), "00'00.00\"") << "never started";
    c.startTick = 1000;
    c.stopTick = 66432;
    EXPECT_EQ(clockText(c, 999999), "01'05.43\"");
    c.timing = 1;
    EXPECT_EQ(clockText(c, 2000), "00'01.00\"");
    // The tick count wraps after 49.7 days; the difference stays right.
    c.startTick = 0xFFFFFF00u;
    EXPECT_EQ(clockText(c, 0x00000100u), "00'00.51\"");
}

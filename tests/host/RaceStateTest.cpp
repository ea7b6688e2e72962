#include "core/RaceState.h"

#include <gtest/gtest.h>

#include <cstddef>

// The record is shared with code that indexes and copies it by layout.
TEST(RaceState, RecordLayoutHoldsElevenBytesOfNameAndThirtyTwoBitFields) {
    EXPECT_EQ(sizeof(Contestant::name), 12u);
    EXPECT_EQ(sizeof(Contestant::elapsedMs), 4u);
    EXPECT_EQ(sizeof(Contestant::score), 4u);
    EXPECT_EQ(clrStr, 0xFF000000u);
    EXPECT_EQ(clrDigi, 0xFF000000u);
}

#include "base/Rounding.h"

#include <gtest/gtest.h>

namespace {

TEST(Rounding, HalvesGoToTheEvenNeighbour) {
    EXPECT_EQ(Base::RoundHalfEven(0.5), 0);
    EXPECT_EQ(Base::RoundHalfEven(1.5), 2);
    EXPECT_EQ(Base::RoundHalfEven(2.5), 2);
    EXPECT_EQ(Base::RoundHalfEven(-2.5), -2);
    EXPECT_EQ(Base::RoundHalfEven(2.51), 3);
}

TEST(Rounding, TruncationGoesTowardZero) {
    EXPECT_EQ(Base::TruncTowardZero(2.9), 2);
    EXPECT_EQ(Base::TruncTowardZero(-2.9), -2);
}

} // namespace

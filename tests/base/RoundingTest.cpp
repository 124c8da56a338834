#include "base/Rounding.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

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

// Figures read from outside (a saved program's 9.3e12 g/min becomes 9.3e18 ug/min) must not
// reach an out-of-range conversion: they stop at the ends of the range.
TEST(Rounding, BeyondTheRangeStopsAtItsEnds) {
    constexpr std::int64_t Max = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t Min = std::numeric_limits<std::int64_t>::min();
    const double infinity = std::numeric_limits<double>::infinity();
    const struct {
        double Value;
        std::int64_t Expected;
    } cases[] = {
        {9.3e18, Max},
        {9223372036854775808.0, Max}, // 2^63, one past the largest
        {1e39, Max},
        {1.7976931348623157e308, Max},
        {infinity, Max},
        {-9.3e18, Min},
        {-9223372036854775808.0, Min}, // -2^63 itself is in range
        {-infinity, Min},
        {std::nan(""), 0},
        {9.2e18, 9200000000000000000},
        {-0.0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Base::RoundHalfEven(c.Value), c.Expected) << c.Value;
        EXPECT_EQ(Base::TruncTowardZero(c.Value), c.Expected) << c.Value;
    }
}

} // namespace

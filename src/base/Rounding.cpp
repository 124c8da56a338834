#include "base/Rounding.h"

#include <cmath>
#include <limits>

namespace Base {

namespace {

// A whole double to a 64-bit integer. Beyond the range (a flow of 1e39 g/min read from a file, an
// infinity) the cast itself would be undefined; the nearest end of the range stands in, and NaN,
// which has no nearest integer, becomes 0.
std::int64_t SaturatedInteger(double whole) {
    constexpr double TwoTo63 = 9223372036854775808.0;
    if (std::isnan(whole)) {
        return 0;
    }
    if (whole >= TwoTo63) {
        return std::numeric_limits<std::int64_t>::max();
    }
    if (whole < -TwoTo63) {
        return std::numeric_limits<std::int64_t>::min();
    }
    return static_cast<std::int64_t>(whole);
}

} // namespace

std::int64_t RoundHalfEven(double value) {
    // nearbyint rounds in the current mode, which is to-nearest-even unless someone changed it.
    return SaturatedInteger(std::nearbyint(value));
}

std::int64_t TruncTowardZero(double value) {
    return SaturatedInteger(std::trunc(value));
}

} // namespace Base

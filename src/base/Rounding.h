#pragma once
// Rounding used in computations: halves to the even neighbour, truncation toward zero.
// (Printing rounds halves away from zero; that lives in NumberFormat.)
// A result beyond the 64-bit range is the nearest end of the range; NaN gives 0.

#include <cstdint>

namespace Base {

std::int64_t RoundHalfEven(double value);
std::int64_t TruncTowardZero(double value);

} // namespace Base

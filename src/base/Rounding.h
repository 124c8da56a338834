#pragma once
// Rounding used in computations: halves to the even neighbour, truncation toward zero.
// (Printing rounds halves away from zero; that lives in NumberFormat.)

#include <cstdint>

namespace Base {

std::int64_t RoundHalfEven(double value);
std::int64_t TruncTowardZero(double value);

} // namespace Base

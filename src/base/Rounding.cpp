#include "base/Rounding.h"

#include <cmath>

namespace Base {

std::int64_t RoundHalfEven(double value) {
    // nearbyint rounds in the current mode, which is to-nearest-even unless someone changed it.
    return static_cast<std::int64_t>(std::nearbyint(value));
}

std::int64_t TruncTowardZero(double value) {
    return static_cast<std::int64_t>(std::trunc(value));
}

} // namespace Base

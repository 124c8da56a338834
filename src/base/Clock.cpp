#include "base/Clock.h"

namespace Base {

const TClock& SystemClock() {
    static const TSystemClock clock;
    return clock;
}

} // namespace Base

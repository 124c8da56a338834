// The readings of a pump answer. The input is the bytes on the wire; the port layer hands the
// answer on as UTF-8 text of one character per byte (and the readings must also survive text that
// is not such, for they take any string).

#include "FuzzCheck.h"
#include "base/Text.h"
#include "pump/PumpAnswer.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace UnitMain;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);

    // Any text at all: no crash, and standby is a valid answer.
    const bool rawStandby = PumpAnswerIsStandby(bytes);
    FUZZ_CHECK(!rawStandby || PumpAnswerIsValid(bytes));
    (void)PumpAnswerNamesModel(bytes);

    // The answer as the port layer makes it, trimmed as the callers trim it.
    const std::string answer = Base::TrimControl(Base::Latin1ToUtf8(bytes));
    const std::string wire = Base::Utf8ToLatin1(answer);
    FUZZ_CHECK(Base::Latin1ToUtf8(wire) == answer);
    FUZZ_CHECK(PumpAnswerIsValid(answer) == (wire.size() > 2));
    FUZZ_CHECK(PumpAnswerIsStandby(answer) == (wire.size() > 2 && wire[2] == '`'));
    const bool names = PumpAnswerNamesModel(answer);
    FUZZ_CHECK(names ==
               (wire.find("C3000") != std::string::npos || wire.find("C24000") != std::string::npos));
    return 0;
}

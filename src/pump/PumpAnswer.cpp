#include "pump/PumpAnswer.h"

#include "base/Text.h"
#include "pump/PumpCommands.h"

#include <string>

namespace UnitMain {

namespace {

// The answer is UTF-8 text made from one byte per character; back to those bytes so that "third
// character" means the third byte on the wire.
std::string WireBytes(std::string_view answer) {
    return Base::Utf8ToLatin1(answer);
}

} // namespace

bool PumpAnswerIsValid(std::string_view answer) {
    return WireBytes(answer).size() > 2;
}

bool PumpAnswerIsStandby(std::string_view answer) {
    const std::string bytes = WireBytes(answer);
    return bytes.size() > 2 && bytes[2] == PumpStatusStandby;
}

bool PumpAnswerNamesModel(std::string_view answer) {
    return answer.find(PumpModelC3000) != std::string_view::npos ||
           answer.find(PumpModelC24000) != std::string_view::npos;
}

} // namespace UnitMain

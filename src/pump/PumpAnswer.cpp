#include "pump/PumpAnswer.h"

#include "base/Text.h"
#include "pump/PumpCommands.h"

#include <string>

namespace UnitMain {

bool PumpAnswerIsStandby(std::string_view answer) {
    // The answer is UTF-8 text made from one byte per character; back to those bytes so that
    // "third character" means the third byte on the wire.
    const std::string bytes = Base::Utf8ToLatin1(answer);
    return bytes.size() > 2 && bytes[2] == PumpStatusStandby;
}

bool PumpAnswerNamesModel(std::string_view answer) {
    return answer.find(PumpModelC3000) != std::string_view::npos ||
           answer.find(PumpModelC24000) != std::string_view::npos;
}

} // namespace UnitMain

#pragma once
// The pump's service tools on the debug page: the serial debug tool, which sends any line to a
// port and logs the answer, and pump priming, which sends the line of full syringe strokes that
// fits the pump's step count.

#include "base/Clock.h"
#include "base/TextPane.h"

#include <cstdint>
#include <string>

namespace Setup {

// Priming would move liquid through a pump that a run or a stop may be using.
inline constexpr const char* PrimingRefusal = "Only possible when mixer state is Validated and Stopped";

// The priming line for a pump of `syringeSteps` steps, carriage return included; slow or fast.
// Only the 192 000-step pump has a different fast line; an unknown step count gets a lone CR.
std::string PrimingLine(std::int32_t syringeSteps, bool fast);

// Sends `text` + CR on `port` (9600 baud) and logs the line sent and the answer (or, when nothing
// came back, the port's status text) to `pane` as operation log lines.
void DebugCOMSend(const std::string& port, const std::string& text, Base::TTextPane& pane,
                  const Base::TClock& clock);

// Sends the priming line on `port` and adds the command and the response to `pane`, each after
// the time of day. The strokes go on in the pump after the exchange; nothing waits for them.
void PrimePump(const std::string& port, std::int32_t syringeSteps, bool fast, Base::TTextPane& pane,
               const Base::TClock& clock);

} // namespace Setup

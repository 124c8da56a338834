#pragma once
// The pump's verified stop: the stop line, then status polls until the pump reports idle. The pump
// counts as stopped only on its own valid answer saying so, within a bound; a reply of any other
// kind (cut short, busy for ever, none) leaves it counted as possibly dosing. The judges are pure;
// StopPumpConfirmed is the exchange.

#include "base/Clock.h"
#include "base/TextPane.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace UnitMain {

// What one answer after the stop line says.
enum TPumpStopStep {
    pssIdle,     // a valid answer with the standby character: the pump has stopped
    pssPollMore, // not idle (or no valid answer) yet, and time is left to ask again
    pssNotIdle,  // not idle, and the bound has passed
};

// One answer of the pump (to the stop line or a status poll), `elapsedSeconds` after the stop was
// sent, against the bound `limitSeconds`.
TPumpStopStep JudgePumpStopAnswer(std::string_view answer, double elapsedSeconds, double limitSeconds);

// The diagnostic line for a stop that was not confirmed, from the last answer the pump gave.
std::string PumpStopFailure(const std::string& port, std::string_view lastAnswer, double limitSeconds);

struct TPumpStopOptions {
    // How long the pump may take to report idle after the stop line; a stopped pump answers at once
    // (the valve turns in a fraction of a second).
    std::chrono::milliseconds IdleLimit{5000};
    // Pause between the status polls.
    std::chrono::milliseconds PollPause{500};
    // The port's look interval and read-out time (the pump's line settings).
    std::uint32_t ReadLoopTimeoutMS = 333;
    std::uint32_t ReadoutTimeoutMS = 1000;
    // The bound, the pauses and the pane's times run on this clock.
    const Base::TClock* Clock = &Base::SystemClock();
};

struct TPumpStopResult {
    bool Stopped = false;
    std::string Response; // the answer to the stop line
    int Polls = 0;        // status polls sent
};

// Sends the stop line on `port` (the time and " Command : " line, then the time and " Response: "
// line go to `pane`), then polls the status until the pump reports idle or the bound has passed.
// Never throws; a port that cannot be opened is a pump that did not confirm.
TPumpStopResult StopPumpConfirmed(const std::string& port, Base::TTextPane& pane,
                                  const TPumpStopOptions& options = TPumpStopOptions{});

} // namespace UnitMain

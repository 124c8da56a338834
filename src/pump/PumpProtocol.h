#pragma once
// Talking to the syringe pump: one command during a run, and the detection and initialisation of
// the pump when the instruments are validated. Every exchange runs on the caller's thread and
// blocks it; the detection lets the caller's user interface breathe between its polls.

#include "base/Clock.h"
#include "base/MainThread.h"
#include "base/TextPane.h"
#include "pump/PumpSettings.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace UnitMain {

// Sends Command + CR on Pump.Port (9600 baud, waiting for the answer) and is true when any answer
// came back. Nothing is retried; the run control tries again on its next tick.
bool SendPumpCommand(const TPumpDetails& Pump, const std::string& Command);

struct TPumpFindInitOptions {
    // How long the pump may take to report standby after the initialisation.
    std::chrono::milliseconds PollLimit{50000};
    // Pause after the first contact and after the stop line.
    std::chrono::milliseconds ShortPause{100};
    // Pause after every status poll.
    std::chrono::milliseconds PollPause{500};
    // The port's look interval and read-out time (the pump's line settings).
    std::uint32_t ReadLoopTimeoutMS = 333;
    std::uint32_t ReadoutTimeoutMS = 1000;
    // The pauses and the poll limit run on this clock.
    const Base::TClock* Clock = &Base::SystemClock();
    // Lets the main thread handle its pending events between the polls; may be null.
    Base::TMainThread* MainThread = nullptr;
};

// Finds the pump on Port and initialises it, reporting to the pane. True when a pump of a known
// model answered, whether or not it then reported standby within the poll limit.
bool PumpFindInit(const std::string& Port, Base::TTextPane& Pane,
                  const TPumpFindInitOptions& Options = TPumpFindInitOptions{});

} // namespace UnitMain

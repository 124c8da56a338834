#pragma once
// What the run keeps between two ticks: the running segment and its start, the tick guard, the
// exchange record shared with the MFC worker and the worker's latest figures. All of it belongs to
// the main thread; the worker reaches it only inside its exchange, which runs on the main thread.

#include "base/DateTime.h"
#include "model/GasItem.h"

#include <cstdint>
#include <limits>
#include <string>

namespace UnitMain {

// The exchange record between the tick and the worker.
struct TThreadData {
    GasMixtures::TGasItem In_MixD; // the A flow of the running segment
    bool In_NewSegment = false;    // In_MixD is new or a segment began
    bool In_ToStop = false;        // the worker is to finish its loop
    bool Out_Stopped = false;      // copy of the worker's Stopped
    std::string Out_Message;       // unused: messages travel in the worker's own text
    bool SomethingToTell = false;  // new figures for the display
    bool StepMFCASet = false;      // A flow handed to the worker for this segment
    bool StepMFCBSet = false;      // B set-point written for this segment
    bool StepPumpSet = false;      // pump command accepted for this segment
};

struct TRunState {
    std::int32_t CurrentSegment = 0;
    Base::TDateTime StepStartTime = 0.0;
    bool TickDone = true; // true while no tick is in progress
    std::string OperatingText;
    TThreadData ThreadData;
    // The worker's latest figures, copied in by its exchange; -1 after a failed reading.
    double FlowAObserved = 0.0;
    double FlowASoFar = 0.0;
    double FlowBObserved = 0.0;
    double FlowAMovingAverage = 0.0;
    double MovingAverageMinutes = 0.0;
    // MFC A's totalizer in grams at the last reading; NaN until one succeeded.
    double FlowATotalizer = std::numeric_limits<double>::quiet_NaN();
};

} // namespace UnitMain

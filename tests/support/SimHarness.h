#pragma once
// The virtual instruments in a fresh temporary folder, as the tests want them: flow noise off,
// fast (replies at once) or with the wire timing of 9600 baud, on the system's steady clock or on
// a clock the test moves by hand, and with whatever else the test changes in the configuration.

#include "base/Clock.h"
#include "sim/Simulator.h"
#include "support/TempFolder.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace TestSupport {

enum class TSimTiming { Fast, Wire };
// Manual: time stands still but for Advance and the sleeps of whoever else is given Clock().
enum class TSimClock { Steady, Manual };

struct TSimOptions {
    TSimTiming Timing = TSimTiming::Fast;
    TSimClock Clock = TSimClock::Steady;
    // Runs last, on the configuration as the options above left it.
    std::function<void(Sim::TSimConfig&)> Adjust;
};

// The instruments' own tests run on the manual clock: time moves only when a test says so.
inline TSimOptions ManualClock(std::function<void(Sim::TSimConfig&)> adjust = {},
                               TSimTiming timing = TSimTiming::Fast) {
    return {.Timing = timing, .Clock = TSimClock::Manual, .Adjust = std::move(adjust)};
}

class TSimHarness {
public:
    explicit TSimHarness(const TSimOptions& options = {});
    ~TSimHarness();
    TSimHarness(const TSimHarness&) = delete;
    TSimHarness& operator=(const TSimHarness&) = delete;

    // False with the reason in Error() when the folder or a port could not be made.
    bool Started() const { return fStarted; }
    const std::string& Error() const { return fError; }
    Sim::TSimulator& Sim() { return *fSimulator; }
    std::string Path(Sim::TSimDevice device) const;
    const std::string& Folder() const { return fFolder.Path(); }
    // Moves the manual clock on (a test failure with the steady clock).
    void Advance(double seconds);
    // The manual clock the instruments run on, to hand to the program's code under test.
    Base::TManualClock& Clock() { return fManualClock; }

private:
    TTempFolder fFolder;
    TSimClock fClock;
    Base::TManualClock fManualClock{1000.0 / Base::SecondsPerDay};
    std::unique_ptr<Sim::TSimulator> fSimulator;
    bool fStarted = false;
    std::string fError;
};

} // namespace TestSupport

#include "support/SimHarness.h"

#include <gtest/gtest.h>

namespace TestSupport {

TSimHarness::TSimHarness(const TSimOptions& options) : fFolder("moistrel-sim"), fClock(options.Clock) {
    if (!fFolder.Made()) {
        fError = fFolder.Error();
        return;
    }
    Sim::TSimConfig config = Sim::DefaultSimConfig(fFolder.Path());
    config.Fast = options.Timing == TSimTiming::Fast;
    if (fClock == TSimClock::Manual) {
        config.Clock = &fManualClock;
    }
    config.MfcA.NoiseFraction = 0.0;
    config.MfcB.NoiseFraction = 0.0;
    if (options.Adjust) {
        options.Adjust(config);
    }
    fSimulator = std::make_unique<Sim::TSimulator>(config);
    fStarted = fSimulator->Start(fError);
}

TSimHarness::~TSimHarness() {
    // The instruments stop before their folder goes.
    if (fSimulator) {
        fSimulator->Stop();
        fSimulator.reset();
    }
}

std::string TSimHarness::Path(Sim::TSimDevice device) const {
    return fSimulator ? fSimulator->PortPath(device) : std::string();
}

void TSimHarness::Advance(double seconds) {
    if (fClock != TSimClock::Manual) {
        ADD_FAILURE() << "Advance moves only the manual clock";
        return;
    }
    fManualClock.AdvanceSeconds(seconds);
}

} // namespace TestSupport

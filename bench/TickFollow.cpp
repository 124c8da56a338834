// How soon the LED caption follows the instruments, on the system clock with the 9600-baud wire
// timing (a figure, not a timed assertion). The pump goes silent before the change of segment, so it
// misses the new segment's command; then MFC B is silent for five seconds while the pump stays silent.
// Printed: the time from MFC B's silence to "Trying to communicate with MFC A or B", from its return
// to the operating line again, the tick's longest hold of the main thread and the pump's tries.
// Run: tick_follow

#include "base/Clock.h"
#include "base/MainThread.h"
#include "base/MemoryTextPane.h"
#include "base/RecordingDialogs.h"
#include "run/RunControl.h"
#include "support/DesignStates.h"
#include "support/RecordingRunWindow.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

int main() {
    using namespace UnitMain;
    using Steady = std::chrono::steady_clock;
    TestSupport::TSimOptions options;
    options.Timing = TestSupport::TSimTiming::Wire;
    TestSupport::TSimHarness sim(options);
    if (!sim.Started()) {
        std::fprintf(stderr, "virtual instruments: %s\n", sim.Error().c_str());
        return 1;
    }
    const TestSupport::TTempFolder folder;
    TMoistrelState state = TestSupport::ValidatedState();
    TestSupport::ValidatedOnPorts(state, sim.Path(Sim::sdPump), sim.Path(Sim::sdMfcA), sim.Path(Sim::sdMfcB));
    TestSupport::TRecordingRunWindow window;
    Base::TMemoryTextPane memoLog;
    Base::TMemoryTextPane feedback;
    Base::TRecordingDialogs dialogs;
    Base::TQueuedMainThread mainThread;
    TRunControl run(state, window, memoLog, feedback, dialogs, mainThread, Base::SystemClock(),
                    TRunPlaces{folder.Path()});
    using TestSupport::Flow;
    // The first segment lasts 14.4 s.
    state.SegmentProgram = {TestSupport::Segment("one", 0.004,
                                                 {Flow(0, 0.02F), Flow(1, 0.05F),
                                                  Flow(2, 0.0F, 1.0F, "/1TgV48000IA192000V64OA0G0R")}),
                            TestSupport::Segment("two", 0.05,
                                                 {Flow(0, 0.02F), Flow(1, 0.03F),
                                                  Flow(2, 0.0F, 1.0F, "/1TgV48000IA192000V32OA0G0R")})};
    const auto start = Steady::now();
    const auto seconds = [&start] { return std::chrono::duration<double>(Steady::now() - start).count(); };
    run.ButtonApplyClick();
    double pumpSilent = -1.0;
    double bSilent = -1.0;
    double bBack = -1.0;
    double lostShown = -1.0;
    double backShown = -1.0;
    double longestTick = 0.0;
    std::string error;
    while (seconds() < 32.0) {
        mainThread.ProcessPending();
        const double before = seconds();
        run.Timer1Timer();
        longestTick = std::max(longestTick, seconds() - before);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const bool trying = window.Caption == "Trying to communicate with MFC A or B";
        if (pumpSilent < 0.0 && seconds() > 10.0) {
            sim.Sim().SetFault(Sim::sdPump, Sim::sfSilent, true, error);
            pumpSilent = seconds();
        } else if (bSilent < 0.0 && seconds() > 20.0) {
            sim.Sim().SetFault(Sim::sdMfcB, Sim::sfSilent, true, error);
            bSilent = seconds();
        } else if (bSilent > 0.0 && lostShown < 0.0 && trying) {
            lostShown = seconds();
        } else if (bBack < 0.0 && lostShown > 0.0 && seconds() > bSilent + 5.0) {
            sim.Sim().SetFault(Sim::sdMfcB, Sim::sfSilent, false, error);
            bBack = seconds();
        } else if (bBack > 0.0 && backShown < 0.0 && !trying) {
            backShown = seconds();
        }
    }
    int pumpTries = 0;
    for (const std::string& line : memoLog.Lines()) {
        pumpTries += line.find("C Trying to handle") != std::string::npos ? 1 : 0;
    }
    std::printf("MFC B silent -> LED \"Trying to communicate with MFC A or B\": %.2f s\n",
                lostShown - bSilent);
    std::printf("MFC B back -> LED operating line: %.2f s\n", backShown - bBack);
    std::printf("pump tries in the run: %d, %.1f s of them silent; the tick's longest hold: %.2f s\n",
                pumpTries, seconds() - pumpSilent, longestTick);
    sim.Sim().SetFault(Sim::sdPump, Sim::sfSilent, false, error);
    run.ButtonStopClick();
    for (int i = 0; i < 400 && state.MixerState == msStopping; ++i) {
        mainThread.ProcessPending();
        run.Timer1Timer();
    }
    return 0;
}

// A program that runs a one-hour segment on instruments it is given (the test's virtual instruments,
// which outlive it) and never ends by itself: the stop test kills it mid-run, leaving the instruments
// dosing. Arguments: FOLDER PUMP MFC-A MFC-B.

#include "base/Clock.h"
#include "base/MainThread.h"
#include "base/MemoryTextPane.h"
#include "base/RecordingDialogs.h"
#include "run/RunControl.h"
#include "support/DesignStates.h"
#include "support/RecordingRunWindow.h"

#include <chrono>
#include <cstdio>
#include <thread>

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: run_stop_child FOLDER PUMP MFC-A MFC-B\n");
        return 2;
    }
    UnitMain::TMoistrelState state = TestSupport::ValidatedState();
    TestSupport::ValidatedOnPorts(state, argv[2], argv[3], argv[4]);
    TestSupport::TRecordingRunWindow window;
    Base::TMemoryTextPane memoLog;
    Base::TMemoryTextPane feedback;
    Base::TRecordingDialogs dialogs;
    Base::TQueuedMainThread mainThread;
    UnitMain::TRunControl run(state, window, memoLog, feedback, dialogs, mainThread, Base::SystemClock(),
                              UnitMain::TRunPlaces{argv[1]});
    state.SegmentProgram = {
        TestSupport::Segment("long", 1.0,
                             {TestSupport::Flow(0, 0.02F), TestSupport::Flow(1, 0.05F),
                              TestSupport::Flow(2, 0.0F, 1.0F, "/1TgV48000IA192000V64OA0G0R")})};
    run.ButtonApplyClick();
    std::printf("started %d\n", state.MixerState);
    std::fflush(stdout);
    while (true) {
        mainThread.ProcessPending();
        run.Timer1Timer();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// A program that runs a one-hour segment on the virtual instruments and never ends by itself: the
// data file test kills it mid-run. Its argument is the folder whose "Userdata" gets the run's files.

#include "base/MemoryTextPane.h"
#include "support/RunFixture.h"

#include <chrono>
#include <cstdio>
#include <thread>

namespace {

// The test fixture's instruments and run control, driven by hand: no test runs here.
class TChild : public TestSupport::TRunFixture {
public:
    void TestBody() override {}
    void RunForEver(const std::string& folderPath) {
        SetUp();
        run = std::make_unique<UnitMain::TRunControl>(state, window, memoLog, feedback, dialogs, mainThread,
                                                      sim.Clock(), UnitMain::TRunPlaces{folderPath});
        state.SegmentProgram = {
            TestSupport::Segment("long", 1.0, {TestSupport::Flow(0, 0.02F), TestSupport::Flow(1, 0.05F)})};
        run->ButtonApplyClick();
        std::printf("started %d\n", state.MixerState);
        std::fflush(stdout);
        while (true) {
            mainThread.ProcessPending();
            run->Timer1Timer();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: run_data_child FOLDER\n");
        return 2;
    }
    TChild child;
    child.RunForEver(argv[1]);
    return 0;
}

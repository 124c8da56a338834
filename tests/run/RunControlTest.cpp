// The run control against the virtual instruments over real pseudo-terminals, on one manual clock
// that the program and the instruments share: the worker's pauses move it, so a segment passes in
// a fraction of a second. The test's loop is the main thread: it runs the worker's exchanges and
// Timer1's ticks.

#include "run/RunControl.h"

#include "base/Clock.h"
#include "base/MainThread.h"
#include "base/MemoryTextPane.h"
#include "base/RecordingDialogs.h"
#include "run/MFCThread.h"
#include "sim/SimFault.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/RecordingRunWindow.h"
#include "support/RunFixture.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace TestSupport;

class RunControlTest : public TRunFixture {};

using GasMixtures::TGasItem;
using namespace UnitMain;

TEST_F(RunControlTest, AProgramOfThreeSegmentsRunsToTheEndAndStops) {
    // 0.0002 h is 0.72 s of instrument time, about fifteen worker passes.
    state.SegmentProgram = {
        Segment("constant", 0.0002, {Flow(0, 0.02F), Flow(1, 0.05F), Flow(2, 0.0F, 1.0F, WaterCommand)}),
        // Below MFC A's lowest flow (0.0003 g/min): pulsed.
        Segment("pulsed", 0.0002,
                {Flow(0, 0.0002F, 0.2F), Flow(1, 0.03F), Flow(2, 0.0F, 1.0F, SlowWaterCommand)}),
        Segment("dry", 0.0002, {Flow(0, 0.01F), Flow(1, 0.02F)})};
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, msRunning) << (dialogs.Messages.empty() ? "" : dialogs.Messages.front());
    EXPECT_FALSE(window.SetupPagesEnabled);
    EXPECT_FALSE(window.SegmentButtonsEnabled);
    ASSERT_NE(run->MFCThread(), nullptr);
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder.Path()) / "Userdata"));

    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
    EXPECT_EQ(window.Caption, "Stopped");
    EXPECT_EQ(run->MFCThread(), nullptr);
    // The segment's flows are single precision; the log shows the set-point as written.
    ExpectLoggedInOrder({"A Handled", "B Handled", "MFC B flow set to :0.0500000007450581 g/min",
                         "C Handled (Pump command:'" + WaterCommand + "')", "Tick:Next Step: 1",
                         "C Handled (Pump command:'" + SlowWaterCommand + "')", "Tick:Next Step: 2",
                         "C Handled (Pump command:'" + NoLiquid + "')", "Tick:Stop",
                         "Fluid commanded to stop", " MFC A: permanent stop", "Thread Stopped",
                         "MFC A commanded to stop", "MFC B commanded to stop"});
    EXPECT_FALSE(Logged("Could not stop flow!"));
    EXPECT_EQ(setPointsB, (std::vector<float>{0.05F, 0.03F, 0.02F, 0.0F}));
    EXPECT_EQ(pumpLines, (std::vector<std::string>{WaterCommand, SlowWaterCommand, NoLiquid, "/1TIR"}));
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_TRUE(std::any_of(window.Captions.begin(), window.Captions.end(), [](const std::string& c) {
        return c.rfind("Operating, step: 3/3, time left:", 0) == 0;
    }));
    EXPECT_NE(std::find(window.Captions.begin(), window.Captions.end(), "Stopping"), window.Captions.end());
    // The stop command and its answer on the set-up page.
    ASSERT_EQ(feedback.Lines().size(), 2U);
    EXPECT_NE(feedback.Lines()[0].find(" Command : /1TIR"), std::string::npos);
    EXPECT_NE(feedback.Lines()[1].find(" Response: "), std::string::npos);
    EXPECT_EQ(state.PumpDetails.Status, "@");
    // Back in state 1 the next tick gives the set-up pages back; the segment buttons wait for Stop.
    Turn();
    EXPECT_TRUE(window.SetupPagesEnabled);
    EXPECT_FALSE(window.SegmentButtonsEnabled);
    run->ButtonStopClick();
    EXPECT_TRUE(window.SegmentButtonsEnabled);
}

TEST_F(RunControlTest, ASilentMFCBHoldsTheSegmentClockUntilItAnswersAgain) {
    state.SegmentProgram = {Segment("one", 0.0002, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_TRUE(TurnUntil([this] { return state.Run.ThreadData.SomethingToTell || Logged("B Handled"); }));
    Fault(Sim::sdMfcB, Sim::sfSilent, true);
    ASSERT_TRUE(TurnUntil([this] { return window.Caption == "Trying to communicate with MFC A or B"; }))
        << memoLog.Text();
    // Each failed pass pauses a second: well past the segment's 0.72 s, and it is still running.
    const Base::TDateTime silentFrom = sim.Clock().Now();
    ASSERT_TRUE(TurnUntil([&] { return (sim.Clock().Now() - silentFrom) * Base::SecondsPerDay > 3.0; }));
    EXPECT_EQ(state.MixerState, msRunning);
    EXPECT_FALSE(Logged("Tick:Stop"));
    EXPECT_TRUE(Logged("Could not talk to MFC B, sleep 1 second."));
    Fault(Sim::sdMfcB, Sim::sfSilent, false);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
    EXPECT_TRUE(Logged("Tick:Stop"));
    EXPECT_EQ(window.Caption, "Stopped");
}

struct TStopFault {
    const char* Name;
    Sim::TSimDevice Device;
    Sim::TSimFault Fault;
    bool AStopped, BStopped, FluidStopped;
};

class SafeStopFaults : public RunControlTest, public testing::WithParamInterface<TStopFault> {};

TEST_P(SafeStopFaults, EndInStateSixAndStopAgainOnceTheDeviceIsBack) {
    const TStopFault& c = GetParam();
    // MFC B silent while its port opens: the zero is written to the port, but nothing confirms it.
    Fault(c.Device, c.Fault, true);
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; }));
    ExpectCannotStop(c.AStopped, c.BStopped, c.FluidStopped);
    Turn();
    EXPECT_EQ(window.Caption, "Cannot stop flow. Manually power off the mixer.");
    EXPECT_FALSE(run->FormCloseQuery());
    EXPECT_EQ(dialogs.Messages.back(), "Stop the mixture first");

    Fault(c.Device, c.Fault, false);
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; }));
    EXPECT_EQ(state.MixerState, msValidated) << memoLog.Text();
    EXPECT_EQ(window.Caption, "Stopped");
    EXPECT_EQ(window.WindowCaption, "Moistrel");
    EXPECT_TRUE(run->FormCloseQuery());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SafeStopFaults,
    testing::Values(TStopFault{"MFCBUnplugged", Sim::sdMfcB, Sim::sfUnplugged, true, false, true},
                    TStopFault{"MFCBSilent", Sim::sdMfcB, Sim::sfSilent, true, false, true},
                    TStopFault{"MFCASilent", Sim::sdMfcA, Sim::sfSilent, false, true, true},
                    TStopFault{"PumpSilent", Sim::sdPump, Sim::sfSilent, true, true, false}),
    [](const testing::TestParamInfo<TStopFault>& param) { return std::string(param.param.Name); });

TEST_F(RunControlTest, AStopOnAnIdleMixerWithNoPumpPortSelectedStopsThePumpWhereItWasFound) {
    window.Ports.Pump.clear();
    ASSERT_TRUE(sim.Sim().MfcState(Sim::sdMfcB).SetPoint == 0.0F);
    run->ButtonStopClick();
    EXPECT_EQ(window.Caption, "Stopping");
    EXPECT_EQ(state.MixerState, msStopping);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; }));
    EXPECT_EQ(state.MixerState, msValidated) << memoLog.Text();
    EXPECT_EQ(sim.Sim().PumpState().LastLine, "/1TIR");
    ExpectLoggedInOrder({"Fluid commanded to stop", "MFC A commanded to stop", "MFC B commanded to stop"});
    EXPECT_FALSE(Logged("Thread Stopped")) << "no worker was running";
}

// A worker that goes on exchanging whatever it is told, until the test lets it go.
class TStubbornWorker : public TMFCThread {
public:
    using TMFCThread::TMFCThread;
    ~TStubbornWorker() override {
        Release();
        WaitForEnd();
    }
    void Release() { fRelease.store(true); }

protected:
    void Execute() override {
        while (!fRelease.load()) {
            Exchange();
            fClock.Sleep(std::chrono::milliseconds(50));
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    std::atomic<bool> fRelease{false};
};

TEST_F(RunControlTest, AWorkerThatNeverStopsIsWaitedForOnlySoLongAndMFCACountsAsRunning) {
    TStubbornWorker* stubborn = nullptr;
    TRunOptions options;
    options.WorkerStopLimit = std::chrono::milliseconds(500);
    options.MakeWorker = [&] {
        auto worker = std::make_unique<TStubbornWorker>(state, mainThread, sim.Clock(), memoLog);
        stubborn = worker.get();
        return worker;
    };
    MakeRun(std::move(options));
    state.SegmentProgram = {Segment("one", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_TRUE(TurnUntil([this] { return Logged("C Handled (Pump command:'" + NoLiquid + "')"); }));
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; }));
    EXPECT_TRUE(Logged("Thread did not stop within 0.5 s; MFC A cannot count as stopped"));
    ExpectCannotStop(false, true, true);
    // The zero went to MFC A all the same.
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(run->MFCThread(), nullptr);

    // Once the worker has ended, a new stop finds everything stopped.
    stubborn->Release();
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; }));
    EXPECT_EQ(state.MixerState, msValidated) << memoLog.Text();
}

TEST_F(RunControlTest, NoTickStartsWhileTheStopWaitsForTheWorker) {
    // Window events stand for Timer1 here. The stop runs inside a tick and waits for the worker
    // there; were window events handled during that wait, a second tick could start inside the
    // first. Count every event that arrives while a tick is in progress.
    int eventsHandled = 0;
    int eventsInsideATick = 0;
    mainThread.OnProcessPending = [&] {
        ++eventsHandled;
        if (!state.Run.TickDone) {
            ++eventsInsideATick;
        }
        run->Timer1Timer();
    };
    state.SegmentProgram = {Segment("one", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_TRUE(TurnUntil([this] { return Logged("C Handled (Pump command:'" + NoLiquid + "')"); }));
    run->ButtonStopClick();
    const int before = eventsHandled;
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; }));
    EXPECT_GT(eventsHandled, before);
    EXPECT_EQ(eventsInsideATick, 0);
    EXPECT_EQ(state.MixerState, msValidated);
    EXPECT_EQ(CountLogged("Fluid commanded to stop"), 1);
}

struct TCloseCase {
    TMixerState State;
    bool CanClose;
};

class CloseQuery : public RunControlTest, public testing::WithParamInterface<TCloseCase> {};

TEST_P(CloseQuery, IsRefusedUnlessTheMixerIsStoppedOrSimulated) {
    state.MixerState = GetParam().State;
    EXPECT_EQ(run->FormCloseQuery(), GetParam().CanClose);
    EXPECT_EQ(dialogs.Messages, GetParam().CanClose ? std::vector<std::string>{}
                                                    : std::vector<std::string>{"Stop the mixture first"});
}

INSTANTIATE_TEST_SUITE_P(States, CloseQuery,
                         testing::Values(TCloseCase{msSimulation, true}, TCloseCase{msValidated, true},
                                         TCloseCase{msRunning, false}, TCloseCase{msStopping, false},
                                         TCloseCase{msCannotStop, false}));

TEST_F(RunControlTest, TheLEDCaptionOfEachState) {
    state.MixerState = msSimulation;
    Turn();
    EXPECT_EQ(window.Caption, "Simulation");
    state.MixerState = msCannotStop;
    Turn();
    EXPECT_EQ(window.Caption, "Cannot stop flow. Manually power off the mixer.");
    state.MixerState = msValidated;
    window.Caption = "Stopped";
    window.Panels = {"a", "b", "c", "d", "e"};
    window.SetupPagesEnabled = false;
    Turn();
    EXPECT_EQ(window.Caption, "Stopped");
    EXPECT_EQ(window.Panels, (std::array<std::string, 5>{"", "", "", "", "e"}));
    EXPECT_TRUE(window.SetupPagesEnabled);
    // Running, half way through the first of two one-hour segments (handed over already).
    state.SegmentProgram = {Segment("one", 1.0, {Flow(0, 0.02F)}), Segment("two", 1.0, {Flow(0, 0.02F)})};
    state.Run.ThreadData.StepMFCASet = state.Run.ThreadData.StepMFCBSet = state.Run.ThreadData.StepPumpSet =
        true;
    state.Run.StepStartTime = sim.Clock().Now() - 0.75 / 24.0;
    state.MixerState = msRunning;
    Turn();
    EXPECT_EQ(window.Caption, "Operating, step: 1/2, time left:0.25 hours.");
    state.Run.FlowAObserved = -1.0;
    Turn();
    EXPECT_EQ(window.Caption, "Trying to communicate with MFC A or B");
    // Stopping: "Stopping", then one dot more per tick while the stop has not ended.
    window.Caption = "Stopping.";
    state.MixerState = msStopping;
    Turn();
    EXPECT_NE(std::find(window.Captions.begin(), window.Captions.end(), "Stopping.."), window.Captions.end());
    EXPECT_EQ(window.Caption, "Stopped");
}

// The time left of a segment far longer than any the editor takes (from an older program, say)
// is written in the general format, never as the hundred digits a mask would print.
TEST_F(RunControlTest, TheLEDCaptionOfAVeryLongSegment) {
    const struct {
        double Hours;
        const char* Caption;
    } cases[] = {
        {10000.0, "Operating, step: 1/1, time left:10000.00 hours."},
        {1e99, "Operating, step: 1/1, time left:1E99 hours."},
    };
    for (const auto& c : cases) {
        state.SegmentProgram = {Segment("long", c.Hours, {Flow(0, 0.02F)})};
        state.Run.ThreadData.StepMFCASet = state.Run.ThreadData.StepMFCBSet =
            state.Run.ThreadData.StepPumpSet = true;
        state.Run.CurrentSegment = 0;
        state.Run.StepStartTime = sim.Clock().Now();
        state.MixerState = msRunning;
        Turn();
        EXPECT_EQ(window.Caption, c.Caption);
    }
}

TEST_F(RunControlTest, TheChartKeepsItsLast691PointsOf701) {
    state.Settings.ChartPoints = 700;
    state.SegmentProgram = {Segment("one", 1.0, {Flow(0, 0.5F), Flow(1, 0.1F)})};
    state.Run.ThreadData.StepMFCASet = state.Run.ThreadData.StepMFCBSet = state.Run.ThreadData.StepPumpSet =
        true;
    state.Run.StepStartTime = sim.Clock().Now();
    state.MixerState = msRunning;
    for (int i = 1; i <= 701; ++i) {
        state.Run.FlowAObserved = i;
        state.Run.ThreadData.SomethingToTell = true;
        bool done = false;
        run->Tick(done);
        ASSERT_TRUE(done);
        EXPECT_FALSE(state.Run.ThreadData.SomethingToTell);
        ASSERT_EQ(window.ChartPointCount(), i <= 700 ? i : 691);
    }
    // The oldest ten went; each point holds A observed, A so far, B set, B observed, A set.
    EXPECT_EQ(window.Points.front().Values[0], 11.0);
    EXPECT_EQ(window.Points.back().Values[0], 701.0);
    EXPECT_EQ(window.Points.back().Values[2], 0.1F);
    EXPECT_EQ(window.Points.back().Values[4], 0.5F);
    EXPECT_EQ(window.Panels[0], "Gas A flow: 140200 % of 0.500 000 g/min");
}

TEST_F(RunControlTest, AFailureInsideATickIsLoggedAndTheNextTickComes) {
    state.MixerState = msSimulation;
    window.FailNextCaption = true;
    run->Timer1Timer();
    EXPECT_TRUE(state.Run.TickDone);
    EXPECT_TRUE(Logged("Tick failed: the LED caption is gone"));
    run->Timer1Timer();
    EXPECT_EQ(window.Caption, "Simulation");
}

TEST_F(RunControlTest, StartAndStopRefuseWhatCannotBeDoneAndTheRecipeIsSavedFirst) {
    const std::filesystem::path userdata = std::filesystem::path(folder.Path()) / "Userdata";
    state.MixerState = msSimulation;
    run->ButtonApplyClick();
    run->ButtonStopClick();
    state.MixerState = msCannotStop;
    run->ButtonApplyClick();
    state.MixerState = msValidated;
    run->ButtonApplyClick();
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{"Instruments not initialized. Cannot proceed.",
                                        "Instruments not initialized. The stop was sent to the selected "
                                        "ports: the pump, MFC A and MFC B confirmed stopped.",
                                        "Mixer is not ready. Stop current instructions first.",
                                        "No segment program to execute."}));
    EXPECT_EQ(state.MixerState, msValidated);
    EXPECT_EQ(run->MFCThread(), nullptr);
    ASSERT_TRUE(std::filesystem::is_directory(userdata));
    EXPECT_FALSE(std::filesystem::is_empty(userdata)) << "the recipe is written on every press";
}

} // namespace

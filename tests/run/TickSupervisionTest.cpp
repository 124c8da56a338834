// The tick as the run's supervisor, against the virtual instruments on one manual clock: it survives
// a failure of its own failure report, stops a run whose worker has died or whose MFC stays silent
// too long, retries what the instruments did not take, and shows what the instruments say.

#include "base/Clock.h"
#include "base/MemoryTextPane.h"
#include "logging/DiagnosticLogger.h"
#include "run/MFCThread.h"
#include "run/RunControl.h"
#include "run/RunDataFile.h"
#include "sim/SimFault.h"
#include "state/MoistrelState.h"
#include "support/DesignStates.h"
#include "support/LogCapture.h"
#include "support/RunFixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace TestSupport;
using namespace UnitMain;

class TickSupervisionTest : public TRunFixture {
protected:
    double ClockSeconds() { return sim.Clock().Now() * Base::SecondsPerDay; }

    // Turns until `done` or until `seconds` of instrument time have passed; false then.
    bool TurnUntilWithin(double seconds, const std::function<bool()>& done) {
        const double until = ClockSeconds() + seconds;
        return TurnUntil([&] { return done() || ClockSeconds() > until; }) && done();
    }

    bool CaptionStartsWith(const std::string& text) const { return window.Caption.rfind(text, 0) == 0; }
};

// A text pane that fails once when told to, as a window's pane that is gone would.
class TFailingPane final : public Base::TTextPane {
public:
    void AddLine(const std::string& line) override {
        if (FailNext) {
            FailNext = false;
            throw std::runtime_error("the operation log is gone");
        }
        fLines.AddLine(line);
    }
    void ReplaceLastLine(const std::string& line) override { fLines.ReplaceLastLine(line); }
    void Clear() override { fLines.Clear(); }
    void SetText(const std::string& text) override { fLines.SetText(text); }
    std::vector<std::string> Lines() const override { return fLines.Lines(); }
    std::string Text() const override { return fLines.Text(); }

    bool FailNext = false;

private:
    Base::TMemoryTextPane fLines;
};

TEST_F(TickSupervisionTest, ATickWhoseFailureReportFailsTooStillEndsAndTheNextTickComes) {
    const TLogCapture log;
    TFailingPane pane;
    TRunControl control(state, window, pane, feedback, dialogs, mainThread, sim.Clock(),
                        TRunPlaces{folder.Path()});
    state.MixerState = msSimulation;
    window.FailNextCaption = true;
    pane.FailNext = true;
    EXPECT_NO_THROW(control.Timer1Timer());
    EXPECT_TRUE(state.Run.TickDone);
    control.Timer1Timer();
    EXPECT_EQ(window.Caption, "Simulation");
    Logging::Logger().CloseDispatcher();
    const std::vector<std::string> messages = log.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(),
                         "Tick failed: the LED caption is gone; the operation log failed too"),
              1);
}

// A worker that exchanges like the real one and sets MFC A's flow, then ends as the case says,
// without being asked to stop.
class TDyingWorker : public TMFCThread {
public:
    enum class TEnd { teThrows, teReturns };
    TDyingWorker(TMoistrelState& state, Base::TMainThread& mainThread, const Base::TClock& clock,
                 Base::TTextPane& memoLog, TEnd end)
        : TMFCThread(state, mainThread, clock, memoLog), fEnd(end) {}
    ~TDyingWorker() override { WaitForEnd(); }

protected:
    void Execute() override {
        for (int pass = 0; pass < 20 && !ToStop; ++pass) {
            Exchange();
            if (pass == 2) {
                SetFlow(0.02);
            }
            fClock.Sleep(std::chrono::milliseconds(50));
        }
        if (fEnd == TEnd::teThrows) {
            throw std::runtime_error("the worker broke");
        }
    }

private:
    TEnd fEnd;
};

struct TDeadWorkerCase {
    const char* Name;
    // Makes the run's worker; null: the worker cannot be made at all.
    std::function<std::unique_ptr<TMFCThread>(TMoistrelState&, Base::TMainThread&, const Base::TClock&,
                                              Base::TTextPane&)>
        Make;
    std::vector<std::string> Why;
    std::string Reason; // as the report gives it
};

class DeadWorker : public TickSupervisionTest, public testing::WithParamInterface<TDeadWorkerCase> {};

TEST_P(DeadWorker, EndsTheRunWithTheSafeStopAndTheLogSaysWhy) {
    const TDeadWorkerCase& c = GetParam();
    TRunOptions options;
    options.MakeWorker = [this, &c] { return c.Make(state, mainThread, sim.Clock(), memoLog); };
    MakeRun(std::move(options));
    // An hour of liquid and both gases: only the supervision can end it.
    state.SegmentProgram = {
        Segment("long", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F), Flow(2, 0.0F, 1.0F, WaterCommand)})};
    run->ButtonApplyClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
    ExpectLoggedInOrder(c.Why);
    ExpectLoggedInOrder({"Fluid commanded to stop", "MFC A commanded to stop", "MFC B commanded to stop"});
    EXPECT_EQ(window.Caption, "Stopped");
    EXPECT_EQ(run->MFCThread(), nullptr);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
    EXPECT_EQ(sim.Sim().PumpState().LastLine, "/1TIR");
    EXPECT_TRUE(Logged(": stopped by the program (" + c.Reason + "), flows stopped"))
        << "the report says why the run ended";
}

std::unique_ptr<TMFCThread> Dying(TDyingWorker::TEnd end, TMoistrelState& state,
                                  Base::TMainThread& mainThread, const Base::TClock& clock,
                                  Base::TTextPane& memoLog) {
    return std::make_unique<TDyingWorker>(state, mainThread, clock, memoLog, end);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DeadWorker,
    testing::Values(
        TDeadWorkerCase{"FailsMidRun",
                        [](auto& s, auto& m, const auto& c, auto& l) {
                            return Dying(TDyingWorker::TEnd::teThrows, s, m, c, l);
                        },
                        {" Thread: MFC A flow set to :0.02 g/min",
                         " Thread: unexpected failure, the worker ends: the worker broke",
                         "The MFC worker has ended during the run: the run stops safely"},
                        "The MFC worker has ended during the run"},
        TDeadWorkerCase{"EndsUnasked",
                        [](auto& s, auto& m, const auto& c, auto& l) {
                            return Dying(TDyingWorker::TEnd::teReturns, s, m, c, l);
                        },
                        {" Thread: MFC A flow set to :0.02 g/min",
                         "The MFC worker has ended during the run: the run stops safely"},
                        "The MFC worker has ended during the run"},
        TDeadWorkerCase{"CannotBeMade",
                        [](auto&, auto&, const auto&, auto&) -> std::unique_ptr<TMFCThread> {
                            throw std::runtime_error("no thread left");
                        },
                        {"The MFC worker could not be started (no thread left): the run stops safely"},
                        "The MFC worker could not be started (no thread left)"},
        TDeadWorkerCase{"NoneMade",
                        [](auto&, auto&, const auto&, auto&) { return std::unique_ptr<TMFCThread>(); },
                        {"The MFC worker could not be started (none was made): the run stops safely"},
                        "The MFC worker could not be started (none was made)"}),
    [](const testing::TestParamInfo<TDeadWorkerCase>& param) { return std::string(param.param.Name); });

struct TLossCase {
    const char* Name;
    std::int32_t LimitSeconds; // 0: the default
};

class ReadingLoss : public TickSupervisionTest, public testing::WithParamInterface<TLossCase> {};

TEST_P(ReadingLoss, PastTheLimitEndsTheRunInStateSixAndStopConfirmsOnceTheDeviceIsBack) {
    const TLossCase& c = GetParam();
    if (c.LimitSeconds > 0) {
        state.Settings.ReadingLossLimitSeconds = c.LimitSeconds;
    }
    const double limit = state.Settings.ReadingLossLimitSeconds;
    ASSERT_EQ(TProgramSettings().ReadingLossLimitSeconds, 60);
    state.SegmentProgram = {Segment("long", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_TRUE(TurnUntil([this] { return CaptionStartsWith("Operating, step: 1/1"); })) << memoLog.Text();
    Fault(Sim::sdMfcB, Sim::sfSilent, true);
    ASSERT_TRUE(TurnUntil([this] { return window.Caption == "Trying to communicate with MFC A or B"; }));
    const double lostFrom = ClockSeconds();
    // Held through the loss up to the limit, then stopped; the silent MFC B cannot confirm its zero.
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msRunning; })) << memoLog.Text();
    const double stoppedAfter = ClockSeconds() - lostFrom;
    EXPECT_GE(stoppedAfter, limit - 1e-6); // times in days: a rounding either way
    EXPECT_LE(stoppedAfter, limit + 2.5);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; }));
    EXPECT_EQ(CountLogged("No reading from MFC B for more than " + std::to_string(static_cast<int>(limit)) +
                          " s: the run stops safely"),
              1);
    ExpectCannotStop(true, false, true);
    EXPECT_TRUE(Logged(": stopped by the program (No reading from MFC B for more than " +
                       std::to_string(static_cast<int>(limit)) +
                       " s), flows NOT confirmed stopped (Could not stop flow!)"));
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(sim.Sim().PumpState().LastLine, "/1TIR");

    Fault(Sim::sdMfcB, Sim::sfSilent, false);
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; }));
    EXPECT_EQ(state.MixerState, msValidated) << memoLog.Text();
    EXPECT_EQ(window.Caption, "Stopped");
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
}

INSTANTIATE_TEST_SUITE_P(Cases, ReadingLoss,
                         testing::Values(TLossCase{"DefaultMinute", 0}, TLossCase{"FiveSeconds", 5}),
                         [](const testing::TestParamInfo<TLossCase>& param) {
                             return std::string(param.param.Name);
                         });

// A hand-over the instrument did not take is tried again until it takes it: MFC B's set-point and
// the pump's command, each missed at the start of the run.
struct THandOverCase {
    const char* Name;
    Sim::TSimDevice Device;
    Sim::TSimFault Fault;
    std::string Tried;   // logged at each try
    std::string Failed;  // logged when a try fails ("" for none)
    std::string Handled; // logged once it took
    int MaxTries;        // in the first 4 s; 0 for every tick
};

const std::string BFailed = "Failed to set MFC B flow to :0.0500000007450581 g/min";
const std::string BSet = "MFC B flow set to :0.0500000007450581 g/min";

class HandOverRetry : public TickSupervisionTest, public testing::WithParamInterface<THandOverCase> {};

TEST_P(HandOverRetry, IsTriedAgainUntilTheInstrumentTakesIt) {
    const THandOverCase& c = GetParam();
    state.SegmentProgram = {
        Segment("long", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F), Flow(2, 0.0F, 1.0F, WaterCommand)})};
    Fault(c.Device, c.Fault, true);
    run->ButtonApplyClick();
    const double from = ClockSeconds();
    ASSERT_TRUE(TurnUntil([&] { return ClockSeconds() - from > 4.0; })) << memoLog.Text();
    // A missing pump holds one tick a second for its reply wait, not every tick; MFC B's short
    // wait is tried on every tick.
    const int tries = CountLogged(c.Tried);
    if (c.MaxTries > 0) {
        EXPECT_GE(tries, 2) << memoLog.Text();
        EXPECT_LE(tries, c.MaxTries) << memoLog.Text();
    } else {
        EXPECT_GT(tries, 7) << memoLog.Text();
    }
    if (!c.Failed.empty()) {
        EXPECT_EQ(CountLogged(c.Failed), tries);
    }
    EXPECT_FALSE(Logged(c.Handled));
    Fault(c.Device, c.Fault, false);
    const double back = ClockSeconds();
    ASSERT_TRUE(TurnUntil([&] { return Logged(c.Handled); })) << memoLog.Text();
    EXPECT_LE(ClockSeconds() - back, 1.5);
    EXPECT_EQ(CountLogged(c.Handled), 1);
    if (c.Device == Sim::sdMfcB) {
        EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.05F);
    } else {
        EXPECT_EQ(sim.Sim().PumpState().LastLine, WaterCommand);
    }
    // Taken once, it is not sent again in this segment.
    const int afterwards = CountLogged(c.Tried);
    const double taken = ClockSeconds();
    ASSERT_TRUE(TurnUntil([&] { return ClockSeconds() - taken > 2.0; }));
    EXPECT_EQ(CountLogged(c.Tried), afterwards);
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HandOverRetry,
    testing::Values(THandOverCase{"MFCBSilent", Sim::sdMfcB, Sim::sfSilent, "B Handled", BFailed, BSet, 0},
                    THandOverCase{"MFCBUnplugged", Sim::sdMfcB, Sim::sfUnplugged, "B Handled", BFailed, BSet,
                                  0},
                    THandOverCase{"Pump", Sim::sdPump, Sim::sfSilent,
                                  "C Trying to handle (Pump command:'" + WaterCommand + "')", "",
                                  "C Handled (Pump command:'" + WaterCommand + "')", 7}),
    [](const testing::TestParamInfo<THandOverCase>& param) { return std::string(param.param.Name); });

TEST_F(TickSupervisionTest, TheFiguresOfAnExchangeGoToTheirPanelsAndChartSeries) {
    // Running, the hand-overs done, one exchange's figures all different from one another.
    state.SegmentProgram = {Segment("one", 1.0, {Flow(0, 0.5F), Flow(1, 0.25F)})};
    state.Run.ThreadData.StepMFCASet = state.Run.ThreadData.StepMFCBSet = state.Run.ThreadData.StepPumpSet =
        true;
    state.Run.StepStartTime = sim.Clock().Now();
    state.MixerState = msRunning;
    state.Run.FlowAObserved = 0.49;
    state.Run.FlowASoFar = 0.46;
    state.Run.FlowAMovingAverage = 0.44;
    state.Run.MovingAverageMinutes = 2.5;
    state.Run.FlowBObserved = 0.235;
    state.Run.ThreadData.SomethingToTell = true;
    Turn();
    EXPECT_EQ(window.Panels, (std::array<std::string, 5>{"Gas A flow: 98 % of 0.500 000 g/min",
                                                         "Gas A 2.500 min average: 88 % of 0.500 000 g/min",
                                                         "Gas A segment average flow: 0.460 000 g/min",
                                                         "Gas B flow: 94.000 000 %", " Flow B Warning"}));
    ASSERT_EQ(window.Points.size(), 1U);
    // "Gas A", "Gas A moving average" (the segment's average so far), "Gas B setpoint", "Gas B",
    // "Gas A setpoint".
    EXPECT_EQ(window.Points[0].Values, (TChartValues{0.49, 0.46, 0.25, 0.235, 0.5}));
}

TEST_F(TickSupervisionTest, EveryRunBeginsWithItsFirstSegmentAndEndsBackAtIt) {
    // A run stopped in its second segment leaves CurrentSegment there.
    state.Run.CurrentSegment = 1;
    state.SegmentProgram = {Segment("one", 0.0003, {Flow(0, 0.02F), Flow(1, 0.05F)}),
                            Segment("two", 0.0003, {Flow(0, 0.02F), Flow(1, 0.03F)})};
    run->ButtonApplyClick();
    ASSERT_TRUE(TurnUntil([this] { return CaptionStartsWith("Operating, step: "); })) << memoLog.Text();
    EXPECT_TRUE(CaptionStartsWith("Operating, step: 1/2, time left:")) << window.Caption;
    ASSERT_TRUE(TurnUntil([this] { return Logged("Tick:Stop"); })) << memoLog.Text();
    EXPECT_EQ(state.Run.CurrentSegment, 0);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
    EXPECT_EQ(state.Run.CurrentSegment, 0);
}

TEST_F(TickSupervisionTest, ARunShowsNoReadingBeforeItsFirstReading) {
    // What an earlier run left must not stand for a reading of this one.
    state.Run.FlowAObserved = 0.3;
    state.Run.FlowBObserved = 0.4;
    state.SegmentProgram = {Segment("one", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    const Base::TDateTime start = sim.Clock().Now();
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, msRunning);
    // The first tick, before the worker has told anything.
    run->Timer1Timer();
    EXPECT_EQ(window.Caption, "Trying to communicate with MFC A or B");
    const std::filesystem::path data =
        std::filesystem::path(folder.Path()) / "Userdata" / RunDataFileName(start);
    // The file's own writer puts the line on the disk moments after the tick has handed it over.
    std::string header;
    std::string first;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool written = false;
    while (!written && std::chrono::steady_clock::now() < deadline) {
        std::ifstream file(data);
        written = std::getline(file, header) && std::getline(file, first);
        if (!written) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }
    ASSERT_TRUE(written) << data;
    EXPECT_EQ(first.find("0.300000"), std::string::npos) << first;
    EXPECT_EQ(first.find("0.400000"), std::string::npos) << first;
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
}

class StartRefused : public TickSupervisionTest, public testing::WithParamInterface<TMixerState> {};

TEST_P(StartRefused, WhileTheMixerIsBusy) {
    state.SegmentProgram = {Segment("one", 1.0, {Flow(0, 0.02F)})};
    state.MixerState = GetParam();
    run->ButtonApplyClick();
    EXPECT_EQ(dialogs.Messages,
              std::vector<std::string>{"Mixer is not ready. Stop current instructions first."});
    EXPECT_EQ(state.MixerState, GetParam());
    EXPECT_EQ(run->MFCThread(), nullptr);
    state.MixerState = msValidated;
}

INSTANTIATE_TEST_SUITE_P(States, StartRefused, testing::Values(msRunning, msStopping, msCannotStop),
                         [](const testing::TestParamInfo<TMixerState>& param) {
                             return "State" + std::to_string(param.param);
                         });

TEST_F(TickSupervisionTest, StopSaysSoInTheDiagnosticLog) {
    const TLogCapture log;
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
    Logging::Logger().CloseDispatcher();
    const std::vector<std::string> messages = log.Messages();
    EXPECT_EQ(std::count(messages.begin(), messages.end(), "Stop mixture button clicked"), 1);
}

TEST_F(TickSupervisionTest, TheLEDAndThePanelsFollowASilentMFCBWithinASecondBothWays) {
    state.SegmentProgram = {Segment("long", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_TRUE(TurnUntil([this] { return CaptionStartsWith("Operating, step: 1/1"); })) << memoLog.Text();
    for (int round = 0; round < 3; ++round) {
        Fault(Sim::sdMfcB, Sim::sfSilent, true);
        double from = ClockSeconds();
        ASSERT_TRUE(TurnUntil([this] {
            return window.Caption == "Trying to communicate with MFC A or B" &&
                   window.Panels[3] == "Gas B flow: no reading";
        }));
        const double lostShown = ClockSeconds() - from;
        // Silent for a while, then back.
        ASSERT_TRUE(TurnUntil([&] { return ClockSeconds() - from > 2.0 + 0.3 * round; }));
        Fault(Sim::sdMfcB, Sim::sfSilent, false);
        from = ClockSeconds();
        ASSERT_TRUE(TurnUntil([this] {
            return CaptionStartsWith("Operating, step: 1/1") &&
                   window.Panels[3].find(" %") != std::string::npos;
        }));
        const double backShown = ClockSeconds() - from;
        // Within a second and the one pass the figures need: the worker's one-second pause after a
        // failed pass may be on the manual clock before the tick that shows it has run.
        EXPECT_LE(lostShown, 1.1);
        EXPECT_LE(backShown, 1.1);
    }
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState == msValidated; })) << memoLog.Text();
}

// The run's window, which also notes each LED caption in the operation log, so that the log shows
// what the operator saw between the tick's other steps.
class TNotingWindow final : public TRunWindow {
public:
    TNotingWindow(TRunWindow& window, Base::TTextPane& log) : fWindow(window), fLog(log) {}
    std::string LEDCaption() const override { return fWindow.LEDCaption(); }
    void SetLEDCaption(const std::string& caption) override {
        fLog.AddLine("LED: " + caption);
        fWindow.SetLEDCaption(caption);
    }
    void SetStatusPanel(int index, const std::string& text) override { fWindow.SetStatusPanel(index, text); }
    void SetWindowCaption(const std::string& caption) override { fWindow.SetWindowCaption(caption); }
    void RestoreWindowCaption() override { fWindow.RestoreWindowCaption(); }
    void AddChartPoints(Base::TDateTime x, const TChartValues& values) override {
        fWindow.AddChartPoints(x, values);
    }
    int ChartPointCount() const override { return fWindow.ChartPointCount(); }
    void DeleteFirstChartPoints() override { fWindow.DeleteFirstChartPoints(); }
    void SetSetupPagesEnabled(bool enabled) override { fWindow.SetSetupPagesEnabled(enabled); }
    void SetSegmentButtonsEnabled(bool enabled) override { fWindow.SetSegmentButtonsEnabled(enabled); }
    TStopPorts SelectedPorts() const override { return fWindow.SelectedPorts(); }
    Program::TRecipeInput RecipeInput() const override { return fWindow.RecipeInput(); }

private:
    TRunWindow& fWindow;
    Base::TTextPane& fLog;
};

TEST_F(TickSupervisionTest, TheLEDIsSetBeforeAHandOverCanHoldTheTick) {
    TNotingWindow noting(window, memoLog);
    run.reset();
    TRunControl control(state, noting, memoLog, feedback, dialogs, mainThread, sim.Clock(),
                        TRunPlaces{folder.Path()});
    // The pump does not answer: each of its tries holds the tick for its whole reply wait.
    Fault(Sim::sdPump, Sim::sfSilent, true);
    state.SegmentProgram = {
        Segment("long", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F), Flow(2, 0.0F, 1.0F, WaterCommand)})};
    control.ButtonApplyClick();
    control.Timer1Timer();
    // Nothing read yet: that is on the LED before the instruments are told anything.
    ExpectLoggedInOrder({"LED: Trying to communicate with MFC A or B", "A Handled", "B Handled",
                         "C Trying to handle (Pump command:'" + WaterCommand + "')"});
    control.ButtonStopClick();
    Fault(Sim::sdPump, Sim::sfSilent, false);
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (state.MixerState != msValidated && std::chrono::steady_clock::now() < limit) {
        mainThread.ProcessPending();
        control.Timer1Timer();
    }
    EXPECT_EQ(state.MixerState, msValidated) << memoLog.Text();
}

} // namespace

// The safe stop judged by what the instruments answered, against the virtual instruments over real
// pseudo-terminals on the manual clock: a pump that never says it is idle, or only in a reply cut
// short; an MFC whose set-point register does not read the zero it was given; the pause before the
// read-back and the figures the stop resets.

#include "base/Clock.h"
#include "mfc/MFCIdentity.h"
#include "run/RunControl.h"
#include "sim/SimFault.h"
#include "support/LogCapture.h"
#include "support/RunFixture.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <vector>

namespace {

using namespace TestSupport;
using namespace UnitMain;

class SafeStopTest : public TRunFixture {
protected:
    void StopAndWait() {
        run->ButtonStopClick();
        ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; })) << memoLog.Text();
    }
    // The stop's own diagnostic lines, for the message of a failed check.
    static std::string StopDiagnostics(const TLogCapture& log) {
        std::string text;
        for (const std::string& m : log.Messages()) {
            if (m.rfind("MFC ", 0) == 0 || m.rfind("Pump on ", 0) == 0) {
                text += m + "\n";
            }
        }
        return text;
    }
    static bool HasMessageStartingWith(const TLogCapture& log, const std::string& text) {
        const std::vector<std::string> messages = log.Messages();
        return std::any_of(messages.begin(), messages.end(),
                           [&](const std::string& m) { return m.rfind(text, 0) == 0; });
    }
};

struct TStopFault {
    const char* Name;
    Sim::TSimDevice Device;
    Sim::TSimFault Fault;
    bool AStopped, BStopped, FluidStopped;
    const char* Reason; // the diagnostic line, after the device's name or port
};

class SafeStopJudges : public SafeStopTest, public testing::WithParamInterface<TStopFault> {};

TEST_P(SafeStopJudges, EndsInStateSixWithTheReasonThenStopsOnceTheFaultClears) {
    const TStopFault& c = GetParam();
    TLogCapture log;
    Fault(c.Device, c.Fault, true);
    StopAndWait();
    ExpectCannotStop(c.AStopped, c.BStopped, c.FluidStopped);
    const std::string who = c.Device == Sim::sdPump ? "Pump on " + sim.Path(Sim::sdPump) + ": "
                                                    : (c.Device == Sim::sdMfcA ? "MFC A: " : "MFC B: ");
    EXPECT_TRUE(HasMessageStartingWith(log, who + c.Reason)) << who + c.Reason << "\n"
                                                             << StopDiagnostics(log);
    // The stop command and its answer on the set-up page all the same.
    ASSERT_GE(feedback.Lines().size(), 2U);
    EXPECT_NE(feedback.Lines()[0].find(" Command : /1TIR"), std::string::npos);
    EXPECT_NE(feedback.Lines()[1].find(" Response: "), std::string::npos);

    Fault(c.Device, c.Fault, false);
    StopAndWait();
    EXPECT_EQ(state.MixerState, msValidated) << memoLog.Text() << StopDiagnostics(log);
    EXPECT_EQ(window.Caption, "Stopped");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SafeStopJudges,
    testing::Values(
        // A reply of two characters carries no status: nothing says the pump has stopped.
        TStopFault{"PumpWrongLength", Sim::sdPump, Sim::sfWrongLength, true, true, false,
                   "no valid answer within 5 s after the stop"},
        TStopFault{"PumpNeverIdle", Sim::sdPump, Sim::sfNeverIdle, true, true, false,
                   "not idle within 5 s after the stop"},
        // The zero was written and acknowledged, but the register does not read zero.
        TStopFault{"MFCAStuckSetPoint", Sim::sdMfcA, Sim::sfStuckSetPoint, false, true, true,
                   "set-point reads 1 after the stop"},
        TStopFault{"MFCBStuckSetPoint", Sim::sdMfcB, Sim::sfStuckSetPoint, true, false, true,
                   "set-point reads 1 after the stop"}),
    [](const testing::TestParamInfo<TStopFault>& param) { return std::string(param.param.Name); });

TEST_F(SafeStopTest, AStuckSetPointAtTheEndOfARunLeavesTheMixerInStateSix) {
    TLogCapture log;
    state.SegmentProgram = {Segment("one", 0.0002, {Flow(0, 0.02F), Flow(1, 0.05F)})};
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, msRunning);
    ASSERT_TRUE(TurnUntil([this] { return Logged("MFC B flow set to :0.0500000007450581 g/min"); }));
    Fault(Sim::sdMfcB, Sim::sfStuckSetPoint, true);
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msRunning && state.MixerState != msStopping; }))
        << memoLog.Text();
    ExpectCannotStop(true, false, true);
    EXPECT_TRUE(HasMessageStartingWith(log, "MFC B: set-point reads 1 after the stop"));
    // The zero went out all the same: the instrument itself is at zero.
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
}

// The run's clock, noting every pause with what the operation log and the instruments had seen.
class TNotingClock final : public Base::TClock {
public:
    explicit TNotingClock(const Base::TClock& inner, std::function<std::string()> note)
        : fInner(inner), fNote(std::move(note)) {}
    Base::TDateTime Now() const override { return fInner.Now(); }
    void Sleep(std::chrono::milliseconds duration) const override {
        {
            const std::lock_guard lock(fMutex);
            fSleeps.push_back({duration, fNote()});
        }
        fInner.Sleep(duration);
    }
    struct TSleep {
        std::chrono::milliseconds Duration;
        std::string Note;
    };
    std::vector<TSleep> Sleeps() const {
        const std::lock_guard lock(fMutex);
        return fSleeps;
    }

private:
    const Base::TClock& fInner;
    std::function<std::string()> fNote;
    mutable std::mutex fMutex;
    mutable std::vector<TSleep> fSleeps;
};

TEST_F(SafeStopTest, EachMFCIsGivenTwentyMillisecondsBeforeItsSetPointIsReadBack) {
    // The set-point reads the instruments received, counted as they arrive.
    std::atomic<int> readsA{0};
    std::atomic<int> readsB{0};
    sim.Sim().SetTrace([&](const std::string& line) {
        if (line.rfind("mfc-a <- 01 03 00 06 00 02", 0) == 0) {
            ++readsA;
        }
        if (line.rfind("mfc-b <- 02 03 00 06 00 02", 0) == 0) {
            ++readsB;
        }
    });
    TNotingClock clock(sim.Clock(), [&] {
        const std::vector<std::string> lines = memoLog.Lines();
        return (lines.empty() ? std::string() : lines.back()) + "|" + std::to_string(readsA.load()) + "|" +
               std::to_string(readsB.load());
    });
    run = std::make_unique<TRunControl>(state, window, memoLog, feedback, dialogs, mainThread, clock,
                                        TRunPlaces{folder.Path()});
    StopAndWait();
    ASSERT_EQ(state.MixerState, msValidated) << memoLog.Text();
    sim.Sim().SetTrace({});
    EXPECT_EQ(readsA.load(), 1);
    EXPECT_EQ(readsB.load(), 1);
    const std::vector<TNotingClock::TSleep> sleeps = clock.Sleeps();
    const auto pausedBefore = [&](const std::string& note) {
        return std::any_of(sleeps.begin(), sleeps.end(), [&](const TNotingClock::TSleep& sleep) {
            return sleep.Duration == std::chrono::milliseconds(20) && sleep.Note.size() >= note.size() &&
                   sleep.Note.compare(sleep.Note.size() - note.size(), note.size(), note) == 0;
        });
    };
    // After the zero was logged and before the instrument saw its read-back.
    EXPECT_TRUE(pausedBefore("MFC A commanded to stop|0|0"));
    EXPECT_TRUE(pausedBefore("MFC B commanded to stop|1|0"));
}

TEST_F(SafeStopTest, ASetPointCheckThatGetsNoAnswerIsAskedAgain) {
    // MFC B misses the first set-point read of the stop (silent for that one request only).
    TLogCapture log;
    std::atomic<int> reads{0};
    sim.Sim().SetTrace([&](const std::string& line) {
        if (line.rfind("mfc-b <- 02 03 00 06 00 02", 0) == 0) {
            std::string error;
            sim.Sim().SetFault(Sim::sdMfcB, Sim::sfSilent, ++reads == 1, error);
        }
    });
    StopAndWait();
    sim.Sim().SetTrace({});
    EXPECT_EQ(state.MixerState, msValidated) << memoLog.Text() << StopDiagnostics(log);
    EXPECT_EQ(reads.load(), 2);
    EXPECT_TRUE(HasMessageStartingWith(log, "MFC B: no answer to the set-point check after the stop: "));
    EXPECT_TRUE(HasMessageStartingWith(log,
                                       "MFC B: no answer to the set-point check after the stop: No result "
                                       "to read (1 of 3)"));
}

TEST_F(SafeStopTest, TheStopZeroesTheObservedFlowOfMFCAAndTheSegmentAverage) {
    state.Run.FlowAObserved = 0.5;
    state.Run.FlowASoFar = 0.25;
    StopAndWait();
    ASSERT_EQ(state.MixerState, msValidated) << memoLog.Text();
    EXPECT_EQ(state.Run.FlowAObserved, 0.0);
    EXPECT_EQ(state.Run.FlowASoFar, 0.0);
}

TEST(StopBeforeSetUpMessage, NamesWhatMayStillBeDosing) {
    struct TCase {
        bool Fluid, A, B;
        std::string Tail;
    };
    const std::string head = "Instruments not initialized. The stop was sent to the selected ports: ";
    const std::string power =
        ", which may still be dosing. Manually power off the mixer to ensure flow is stopped!";
    const TCase cases[] = {
        {true, true, true, "the pump, MFC A and MFC B confirmed stopped."},
        {false, true, true, "not confirmed for the pump" + power},
        {true, false, true, "not confirmed for MFC A" + power},
        {true, true, false, "not confirmed for MFC B" + power},
        {false, true, false, "not confirmed for the pump and MFC B" + power},
        {false, false, false, "not confirmed for the pump, MFC A and MFC B" + power},
    };
    for (const TCase& c : cases) {
        TStopVerdict verdict;
        verdict.FluidStopped = c.Fluid;
        verdict.MFCAStopped = c.A;
        verdict.MFCBStopped = c.B;
        EXPECT_EQ(StopBeforeSetUpMessage(verdict), head + c.Tail);
    }
}

TEST_F(SafeStopTest, StopBeforeTheSetUpGoesToTheListedPortsAndSaysWhatItCouldNotConfirm) {
    // As at start-up: nothing validated, the devices' records name no port.
    state.MixerState = msSimulation;
    state.PumpDetails.Port = state.MFCADetails.ComPortName = state.MFCBDetails.ComPortName = "SIM";
    window.Ports.Pump.clear();
    Fault(Sim::sdMfcB, Sim::sfUnplugged, true);
    run->ButtonStopClick();
    EXPECT_EQ(state.MixerState, msSimulation);
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0],
              "Instruments not initialized. The stop was sent to the selected ports: not "
              "confirmed for the pump and MFC B, which may still be dosing. Manually "
              "power off the mixer to ensure flow is stopped!");
    ExpectLoggedInOrder({"Stop before the instruments are set up: to the ports the lists show",
                         "MFC A commanded to stop", "  MFC A stopped: True", "  MFC B stopped: False",
                         "  Fluid stopped: False"});
    EXPECT_TRUE(feedback.Lines().empty()) << "no pump port listed: nothing sent to a pump";
    Turn();
    EXPECT_EQ(window.Caption, "Simulation");
}

TEST_F(SafeStopTest, StopBeforeTheSetUpAlsoReachesThePumpWhereItWasValidatedWhenTheListMovedOn) {
    // The pump list was moved to another row after the validation: state 0, the pump where it was.
    state.MixerState = msSimulation;
    window.Ports.Pump = sim.Path(Sim::sdPump) + "-elsewhere";
    run->ButtonStopClick();
    EXPECT_EQ(sim.Sim().PumpState().LastLine, "/1TIR");
    ExpectLoggedInOrder({"Stop before the instruments are set up: to the ports the lists show",
                         "... and to the ports the instruments were validated on", "  Fluid stopped: True"});
    ASSERT_EQ(dialogs.Messages.size(), 1U);
    EXPECT_EQ(dialogs.Messages[0],
              "Instruments not initialized. The stop was sent to the selected ports: the "
              "pump, MFC A and MFC B confirmed stopped.");
}

// The program killed without warning while it runs, the virtual instruments (in this process, on the
// system clock, keeping their set-points across a table selection as a real MFC may) left dosing;
// then the program again, as it starts: nothing validated.
TEST(StopAfterAKill, StopBeforeTheSetUpZeroesWhatTheKilledRunLeftDosing) {
    TSimHarness sim(TSimOptions{
        .Timing = TSimTiming::Fast, .Clock = TSimClock::Steady, .Adjust = [](Sim::TSimConfig& config) {
            config.MfcA.KeepSetPointOnTableChange = true;
            config.MfcB.KeepSetPointOnTableChange = true;
        }});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TTempFolder folder;
    const std::string child = RUN_STOP_CHILD;
    const std::string pump = sim.Path(Sim::sdPump);
    const std::string mfcA = sim.Path(Sim::sdMfcA);
    const std::string mfcB = sim.Path(Sim::sdMfcB);
    const pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        ::execl(child.c_str(), child.c_str(), folder.Path().c_str(), pump.c_str(), mfcA.c_str(), mfcB.c_str(),
                static_cast<char*>(nullptr));
        ::_exit(127);
    }
    const auto dosing = [&sim] {
        return sim.Sim().MfcState(Sim::sdMfcA).SetPoint == 0.02F &&
               sim.Sim().MfcState(Sim::sdMfcB).SetPoint == 0.05F && sim.Sim().PumpState().Busy &&
               sim.Sim().PumpState().Valve == 'o';
    };
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!dosing() && std::chrono::steady_clock::now() < limit) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the program ended by itself: " << status;
    // Nobody is left to stop them.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.02F);
    ASSERT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.05F);
    ASSERT_TRUE(sim.Sim().PumpState().Busy);
    // A gas table selected on each MFC, as the gas selection does after a restart: they go on dosing.
    TMoistrelState tables = ValidatedState();
    ValidatedOnPorts(tables, pump, mfcA, mfcB);
    SerialPortVogtlin::SetActiveLUT(tables.MFCADetails, 3);
    SerialPortVogtlin::SetActiveLUT(tables.MFCBDetails, 3);
    ASSERT_EQ(sim.Sim().MfcState(Sim::sdMfcA).ActiveTable, 3);
    ASSERT_EQ(sim.Sim().MfcState(Sim::sdMfcB).ActiveTable, 3);
    ASSERT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.02F);
    ASSERT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.05F);

    TMoistrelState state = ValidatedState();
    state.MixerState = msSimulation;
    state.PumpDetails.Port = state.MFCADetails.ComPortName = state.MFCBDetails.ComPortName = "SIM";
    TRecordingRunWindow window;
    window.Ports = {pump, mfcA, mfcB};
    Base::TMemoryTextPane memoLog;
    Base::TMemoryTextPane feedback;
    Base::TRecordingDialogs dialogs;
    Base::TQueuedMainThread mainThread;
    TRunControl run(state, window, memoLog, feedback, dialogs, mainThread, Base::SystemClock(),
                    TRunPlaces{folder.Path()});
    run.ButtonStopClick();
    EXPECT_EQ(state.MixerState, msSimulation);
    EXPECT_EQ(dialogs.Messages,
              (std::vector<std::string>{"Instruments not initialized. The stop was sent to the "
                                        "selected ports: the pump, MFC A and MFC B confirmed "
                                        "stopped."}))
        << memoLog.Text();
    // Confirmed by the instruments themselves.
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
    EXPECT_FALSE(sim.Sim().PumpState().Busy);
    EXPECT_EQ(sim.Sim().PumpState().LastLine.rfind("/1", 0), 0U);
    const std::string log = memoLog.Text();
    for (const char* line : {"  MFC A stopped: True", "  MFC B stopped: True", "  Fluid stopped: True"}) {
        EXPECT_NE(log.find(line), std::string::npos) << line << "\n" << log;
    }
}

} // namespace

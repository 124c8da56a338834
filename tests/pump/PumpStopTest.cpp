// The pump's verified stop: the judges as a table, then the exchange against the virtual pump over
// its pseudo-terminal link, on the manual clock that bounds the wait for idle.

#include "pump/PumpStop.h"

#include "base/MemoryTextPane.h"
#include "pump/PumpAnswer.h"
#include "pump/PumpProtocol.h"
#include "sim/Simulator.h"
#include "support/LogCapture.h"
#include "support/SimHarness.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace {

using UnitMain::JudgePumpStopAnswer;
using UnitMain::TPumpStopStep;

TEST(PumpStopJudge, OnlyAValidStandbyAnswerIsIdleAndTheBoundEndsTheWait) {
    struct TCase {
        std::string Answer;
        double Elapsed;
        bool Valid;
        TPumpStopStep Step;
    };
    const TCase cases[] = {
        {"/0`", 0.0, true, UnitMain::pssIdle},
        {"/0`", 9.0, true, UnitMain::pssIdle}, // late, but idle is idle
        {"/0`C24000", 1.0, true, UnitMain::pssIdle},
        {"/0@", 0.0, true, UnitMain::pssPollMore},      // busy
        {"/0@", 4.9, true, UnitMain::pssPollMore},      // busy, time left
        {"/0@", 5.0, true, UnitMain::pssNotIdle},       // busy at the bound
        {"/0b", 1.0, true, UnitMain::pssPollMore},      // idle with an error is not standby
        {"/0", 0.0, false, UnitMain::pssPollMore},      // cut short: says nothing
        {"/0", 6.0, false, UnitMain::pssNotIdle},       // and never anything better
        {"", 0.0, false, UnitMain::pssPollMore},        // no answer
        {"", 5.0, false, UnitMain::pssNotIdle},         // no answer, ever
        {"`", 0.0, false, UnitMain::pssPollMore},       // the accent alone is no status character
        {"\u00E90`", 0.0, true, UnitMain::pssIdle},     // characters, not UTF-8 bytes
        {"/0\u00E0", 0.0, true, UnitMain::pssPollMore}, // a-grave is not the grave accent
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(UnitMain::PumpAnswerIsValid(c.Answer), c.Valid) << '"' << c.Answer << '"';
        EXPECT_EQ(JudgePumpStopAnswer(c.Answer, c.Elapsed, 5.0), c.Step)
            << '"' << c.Answer << "\" at " << c.Elapsed << " s";
    }
}

TEST(PumpStopJudge, TheFailureSaysWhetherThePumpAnsweredAtAll) {
    EXPECT_EQ(UnitMain::PumpStopFailure("/dev/ttyUSB0", "/0", 5.0),
              "Pump on /dev/ttyUSB0: no valid answer within 5 s after the stop (last answer \"/0\")");
    EXPECT_EQ(UnitMain::PumpStopFailure("/dev/ttyUSB0", "/0@", 2.5),
              "Pump on /dev/ttyUSB0: not idle within 2.5 s after the stop (last answer \"/0@\")");
}

struct TStopCase {
    const char* Name;
    Sim::TSimFault Fault; // sfSilent stands for "no fault" when Inject is false
    bool Inject;
    bool Stopped;
    const char* Reason; // the start of the diagnostic line, when not stopped
};

class PumpStopOnTheVirtualPump : public testing::TestWithParam<TStopCase> {};

TEST_P(PumpStopOnTheVirtualPump, ConfirmsOnlyAPumpThatSaysItIsIdle) {
    const TStopCase& c = GetParam();
    TestSupport::TSimHarness sim(TestSupport::ManualClock([&c](Sim::TSimConfig& config) {
        if (c.Inject) {
            config.Faults[Sim::sdPump].insert(c.Fault);
        }
    }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TestSupport::TLogCapture log;
    Base::TMemoryTextPane pane;
    UnitMain::TPumpStopOptions options;
    options.Clock = &sim.Clock();
    options.ReadLoopTimeoutMS = 10;
    options.ReadoutTimeoutMS = 1000; // as the pump's line settings: generous on a busy machine
    const double start = sim.Clock().Now();
    const UnitMain::TPumpStopResult result =
        UnitMain::StopPumpConfirmed(sim.Path(Sim::sdPump), pane, options);
    EXPECT_EQ(result.Stopped, c.Stopped);
    // The stop line and its answer on the set-up page, whatever came of it.
    ASSERT_EQ(pane.Lines().size(), 2U);
    EXPECT_NE(pane.Lines()[0].find(" Command : /1TIR"), std::string::npos) << pane.Lines()[0];
    EXPECT_NE(pane.Lines()[1].find(" Response: " + result.Response), std::string::npos) << pane.Lines()[1];
    if (c.Stopped) {
        // An idle pump says so in its answer to the stop line: nothing more to ask.
        EXPECT_EQ(result.Polls, 0);
        EXPECT_EQ(sim.Sim().PumpState().LastLine, "/1TIR");
        return;
    }
    EXPECT_EQ(sim.Sim().PumpState().LastLine, c.Fault == Sim::sfSilent ? "" : "/1Q");
    // Polled with the status query until the bound of the clock had passed.
    EXPECT_GE((sim.Clock().Now() - start) * Base::SecondsPerDay, 5.0);
    EXPECT_GE(result.Polls, 9);
    const std::vector<std::string> messages = log.Messages();
    EXPECT_TRUE(std::any_of(messages.begin(), messages.end(), [&](const std::string& m) {
        return m.rfind("Pump on " + sim.Path(Sim::sdPump) + ": " + c.Reason, 0) == 0;
    })) << c.Reason;
}

INSTANTIATE_TEST_SUITE_P(
    Faults, PumpStopOnTheVirtualPump,
    testing::Values(TStopCase{"Idle", Sim::sfSilent, false, true, ""},
                    TStopCase{"WrongLength", Sim::sfWrongLength, true, false, "no valid answer within 5 s"},
                    TStopCase{"NeverIdle", Sim::sfNeverIdle, true, false, "not idle within 5 s"},
                    TStopCase{"Silent", Sim::sfSilent, true, false, "no valid answer within 5 s"}),
    [](const testing::TestParamInfo<TStopCase>& param) { return std::string(param.param.Name); });

TEST(PumpStop, ABusyPumpIsPolledUntilItReportsIdle) {
    // Valve turns of two seconds: the stop line's "I" keeps the pump busy for a few polls.
    TestSupport::TSimHarness sim(
        TestSupport::ManualClock([](Sim::TSimConfig& config) { config.Pump.MoveTimeScale = 40.0; }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    UnitMain::TPumpDetails pump;
    pump.Port = sim.Path(Sim::sdPump);
    // The valve to the dispensing side first, as a run leaves it half the time.
    ASSERT_TRUE(UnitMain::SendPumpCommand(pump, "/1OR"));
    sim.Advance(3.0);
    ASSERT_EQ(sim.Sim().PumpState().Valve, 'o');
    Base::TMemoryTextPane pane;
    UnitMain::TPumpStopOptions options;
    options.Clock = &sim.Clock();
    options.ReadLoopTimeoutMS = 10;
    options.ReadoutTimeoutMS = 1000; // as the pump's line settings: generous on a busy machine
    const UnitMain::TPumpStopResult result = UnitMain::StopPumpConfirmed(pump.Port, pane, options);
    EXPECT_TRUE(result.Stopped);
    EXPECT_FALSE(UnitMain::PumpAnswerIsStandby(result.Response)) << result.Response;
    EXPECT_GE(result.Polls, 2);
    EXPECT_EQ(sim.Sim().PumpState().LastLine, "/1Q");
    EXPECT_EQ(sim.Sim().PumpState().Valve, 'i');
    EXPECT_FALSE(sim.Sim().PumpState().Busy);
}

} // namespace

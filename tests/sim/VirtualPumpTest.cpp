// The virtual pump over a real pseudo-terminal: status character, model query, initialisation,
// fill/dispense cycles and the stop command.

#include "base/Text.h"
#include "support/RawPort.h"
#include "support/SimHarness.h"

#include <gtest/gtest.h>

namespace {

using namespace TestSupport;

constexpr char Idle = '`';
constexpr char Busy = '@';

// The status character as the program reads it: the third character of the trimmed answer.
char StatusOf(const std::string& answer) {
    const std::string trimmed = Base::TrimControl(answer);
    return trimmed.size() > 2 ? trimmed[2] : '\0';
}

TEST(VirtualPump, IdleStatusAnswer) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdPump));
    EXPECT_EQ(port.Ask("/1Q\r"), "/0`\x03\r\n");
    EXPECT_EQ(Base::TrimControl(port.Ask("/1Q\r")), "/0`");
}

TEST(VirtualPump, NamesItsModel) {
    for (const char* model : {"C24000", "C3000"}) {
        TSimHarness sim(ManualClock([model](Sim::TSimConfig& config) { config.Pump.Model = model; }));
        ASSERT_TRUE(sim.Started()) << sim.Error();
        TRawPort port(sim.Path(Sim::sdPump));
        const std::string answer = port.Ask("/1?23\r");
        EXPECT_NE(answer.find(model), std::string::npos) << answer;
        EXPECT_EQ(StatusOf(answer), Idle);
        EXPECT_NE(port.Ask("/1TI?23\r").find(model), std::string::npos); // the debug tool's default text
    }
}

TEST(VirtualPump, OnlyLinesForAddressOneAreAnswered) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdPump));
    port.Write("\r");
    port.Write("/2Q\r");
    port.Write("hello\r");
    // The first answer to arrive is the one to the addressed line.
    EXPECT_EQ(port.Ask("/1?23\r"), "/0`C24000 V1.3\x03\r\n");
    EXPECT_TRUE(port.ReadFor(100).empty());
    EXPECT_EQ(sim.Sim().PumpState().LinesAnswered, 1U);
}

TEST(VirtualPump, InitialisationKeepsItBusyThenFillsTheSyringe) {
    TSimHarness sim(ManualClock([](Sim::TSimConfig& config) { config.Pump.InitSeconds = 4.0; }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdPump));
    port.Write("\r");
    EXPECT_EQ(StatusOf(port.Ask("/1TIR\r")), Idle);
    EXPECT_EQ(StatusOf(port.Ask("/1TZ2IV48000A192000R\r")), Busy);
    sim.Advance(3.9);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Busy);
    sim.Advance(2.0); // initialised, filling: 192000 steps at 48000 steps/s take 4 s
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Busy);
    sim.Advance(2.5);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Idle);
    const Sim::TPumpState state = sim.Sim().PumpState();
    EXPECT_TRUE(state.Initialised);
    EXPECT_EQ(state.Position, 192000);
    EXPECT_EQ(state.Valve, 'i');
    EXPECT_EQ(port.Ask("/1?\r"), "/0`192000\x03\r\n");
}

TEST(VirtualPump, FiniteCyclesEndIdleWithEveryStrokeDispensed) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdPump));
    // Two slow strokes of 3000 steps at 1500 steps/s: about 8 s.
    EXPECT_EQ(StatusOf(port.Ask("/1TV1500gIA3000OA0G2R\r")), Busy);
    sim.Advance(5.0);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Busy);
    EXPECT_EQ(sim.Sim().PumpState().DispensedSteps, 3000);
    sim.Advance(5.0);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Idle);
    EXPECT_EQ(sim.Sim().PumpState().DispensedSteps, 6000);
    EXPECT_EQ(sim.Sim().PumpState().Position, 0);
}

TEST(VirtualPump, EndlessCycleRunsUntilAStopLine) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdPump));
    EXPECT_EQ(StatusOf(port.Ask("/1TgV48000IA192000V9600OA0G0R\r")), Busy);
    sim.Advance(3600.0);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Busy);
    EXPECT_GT(sim.Sim().PumpState().DispensedSteps, 192000 * 100);
    // A new move without T is refused while the cycle runs (error 15 with the busy bit).
    EXPECT_EQ(StatusOf(port.Ask("/1IA100R\r")), '@' | 15);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Busy);
    // T stops at once; the refill line that follows in a segment without liquid runs normally.
    EXPECT_EQ(StatusOf(port.Ask("/1T\r")), Idle);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Idle);
    EXPECT_EQ(StatusOf(port.Ask("/1TIV48000A192000R\r")), Busy);
}

TEST(VirtualPump, LoopWithoutTimeStaysBusyUntilStopped) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdPump));
    EXPECT_EQ(StatusOf(port.Ask("/1TgV100G0R\r")), Busy);
    sim.Advance(10.0);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), Busy);
    EXPECT_EQ(StatusOf(port.Ask("/1TR\r")), Idle);
}

TEST(VirtualPump, CommandsWaitForRun) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdPump));
    EXPECT_EQ(StatusOf(port.Ask("/1IV6000A6000\r")), Idle);
    EXPECT_EQ(sim.Sim().PumpState().Position, 0);
    EXPECT_EQ(StatusOf(port.Ask("/1R\r")), Busy);
    sim.Advance(2.0);
    EXPECT_EQ(sim.Sim().PumpState().Position, 6000);
}

TEST(VirtualPump, ErrorsShowInTheStatusCharacter) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdPump));
    EXPECT_EQ(StatusOf(port.Ask("/1X\r")), 'b');        // invalid command
    EXPECT_EQ(StatusOf(port.Ask("/1A999999R\r")), 'c'); // beyond the plunger's travel
    EXPECT_EQ(StatusOf(port.Ask("/1V0R\r")), 'c');      // no speed
    EXPECT_EQ(StatusOf(port.Ask("/1D10R\r")), Busy);    // below the empty end: found when it runs
    sim.Advance(1.0);
    EXPECT_EQ(StatusOf(port.Ask("/1Q\r")), 'c');
    EXPECT_EQ(StatusOf(port.Ask("/1T\r")), Idle);
}

} // namespace

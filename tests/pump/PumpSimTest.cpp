// The pump detection against the virtual pump of the simulator, over its pseudo-terminal link.

#include "base/MemoryTextPane.h"
#include "pump/PumpProtocol.h"
#include "sim/Simulator.h"
#include "support/SimHarness.h"

#include <functional>
#include <gtest/gtest.h>
#include <string>

namespace {

using Base::TMemoryTextPane;
using TestSupport::TSimHarness;
using TestSupport::TSimOptions;
using TestSupport::TSimTiming;
using UnitMain::TPumpFindInitOptions;

const std::string StandbyLine = " -> Pump is OK and on standby.";
const std::string NoStandbyLine = " -> Pump failed to report standby and error free within timeout period.";
const std::string NoPumpLine =
    " -> No pump found on this port, or a problem with the port. Read manual about "
    "drivers. Turn the Moistrel off and few seconds later on, and try again.";

// The virtual instruments with the wire timing of 9600 baud and a pump that initialises in half a
// second and moves ten times faster than a real one (the fill after the initialisation would take
// 4 s); `adjust` changes the rest.
TSimOptions PumpSim(const std::function<void(Sim::TSimConfig&)>& adjust = {}) {
    TSimOptions options;
    options.Timing = TSimTiming::Wire;
    options.Adjust = [adjust](Sim::TSimConfig& config) {
        config.Pump.InitSeconds = 0.5;
        config.Pump.MoveTimeScale = 0.1;
        if (adjust) {
            adjust(config);
        }
    };
    return options;
}

TPumpFindInitOptions QuickOptions() {
    TPumpFindInitOptions options;
    options.PollPause = std::chrono::milliseconds(50);
    options.ReadLoopTimeoutMS = 10;
    options.ReadoutTimeoutMS = 500; // the pump stays quiet on the empty first line
    return options;
}

TEST(PumpSim, IdlePumpOfEitherModelIsFoundAndReachesStandby) {
    for (const char* model : {"C24000", "C3000"}) {
        SCOPED_TRACE(model);
        TSimHarness sim(PumpSim([model](Sim::TSimConfig& config) { config.Pump.Model = model; }));
        ASSERT_TRUE(sim.Started()) << sim.Error();
        TMemoryTextPane pane;
        EXPECT_TRUE(UnitMain::PumpFindInit(sim.Path(Sim::sdPump), pane, QuickOptions()));
        ASSERT_GE(pane.Lines().size(), 3U);
        EXPECT_EQ(pane.Lines()[2], "Found pump on port :" + sim.Path(Sim::sdPump));
        EXPECT_EQ(pane.Lines().back(), StandbyLine);
        EXPECT_TRUE(sim.Sim().PumpState().Initialised);
    }
}

TEST(PumpSim, PumpWithoutAKnownModelIsNotFound) {
    TSimHarness sim(PumpSim([](Sim::TSimConfig& config) { config.Pump.Model = "XP3"; }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TMemoryTextPane pane;
    EXPECT_FALSE(UnitMain::PumpFindInit(sim.Path(Sim::sdPump), pane, QuickOptions()));
    ASSERT_EQ(pane.Lines().size(), 6U);
    EXPECT_EQ(pane.Lines()[3], "Comm Status        :Exit read/write without waiting for reply");
    EXPECT_NE(pane.Lines()[4].find("XP3"), std::string::npos) << pane.Lines()[4];
    EXPECT_EQ(pane.Lines()[5], NoPumpLine);
}

TEST(PumpSim, PumpNeverReachingStandbyIsFoundButReported) {
    TSimHarness sim(
        PumpSim([](Sim::TSimConfig& config) { config.Faults[Sim::sdPump].insert(Sim::sfNeverIdle); }));
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TMemoryTextPane pane;
    TPumpFindInitOptions options = QuickOptions();
    options.PollLimit = std::chrono::seconds(2);
    EXPECT_TRUE(UnitMain::PumpFindInit(sim.Path(Sim::sdPump), pane, options));
    ASSERT_GE(pane.Lines().size(), 2U);
    EXPECT_EQ(pane.Lines()[pane.Lines().size() - 3], " -> Wait until pump is silent. Timeout in 2 seconds");
    EXPECT_EQ(pane.Lines().back(), NoStandbyLine);
}

TEST(PumpSim, TwoCharacterAnswersCountAsBusy) {
    TSimHarness sim(PumpSim());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TMemoryTextPane pane;
    TPumpFindInitOptions options = QuickOptions();
    options.PollLimit = std::chrono::seconds(2);
    // From the initialisation on the pump cuts every answer to two characters.
    bool injected = false;
    Base::TQueuedMainThread mainThread;
    mainThread.OnProcessPending = [&] {
        if (!injected) {
            std::string error;
            injected = sim.Sim().SetFault(Sim::sdPump, Sim::sfWrongLength, true, error);
        }
    };
    options.MainThread = &mainThread;
    EXPECT_TRUE(UnitMain::PumpFindInit(sim.Path(Sim::sdPump), pane, options));
    EXPECT_TRUE(injected);
    EXPECT_EQ(pane.Lines().back(), NoStandbyLine);
}

TEST(PumpSim, HeldOrUnpluggedPortIsNoPump) {
    for (const Sim::TSimFault fault : {Sim::sfPortHeld, Sim::sfUnplugged}) {
        SCOPED_TRACE(Sim::FaultName(fault));
        TSimHarness sim(
            PumpSim([fault](Sim::TSimConfig& config) { config.Faults[Sim::sdPump].insert(fault); }));
        ASSERT_TRUE(sim.Started()) << sim.Error();
        TMemoryTextPane pane;
        EXPECT_FALSE(UnitMain::PumpFindInit(sim.Path(Sim::sdPump), pane, QuickOptions()));
        ASSERT_EQ(pane.Lines().size(), 6U);
        EXPECT_EQ(pane.Lines()[3], "Comm Status        :Failed to setup Com port, port in use");
        EXPECT_EQ(pane.Lines()[4], "Comm Response      :\"\"");
    }
}

TEST(PumpSim, SendPumpCommandIsAnsweredBySilentPumpNot) {
    TSimHarness sim(PumpSim());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    UnitMain::TPumpDetails pump;
    pump.Port = sim.Path(Sim::sdPump);
    EXPECT_TRUE(UnitMain::SendPumpCommand(pump, "/1Q"));
    std::string error;
    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdPump, Sim::sfSilent, true, error)) << error;
    EXPECT_FALSE(UnitMain::SendPumpCommand(pump, "/1Q"));
}

} // namespace

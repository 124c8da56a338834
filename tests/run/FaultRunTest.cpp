// Runs with an instrument that goes wrong mid-run and is still wrong at the stop, against the
// virtual instruments over real pseudo-terminals on the manual clock: MFC A, then MFC B, answering
// with bad CRCs, the pump answering with two characters or never idle. While it lasts the readings
// fail and the stop ends in state 6 naming the instrument; once it clears, Stop confirms.

#include "run/RunControl.h"
#include "sim/SimFault.h"
#include "support/RunFixture.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using namespace TestSupport;
using namespace UnitMain;

struct TFaultRun {
    const char* Name;
    Sim::TSimDevice Device;
    Sim::TSimFault Fault;
    // The operation log line of a failed reading while the fault lasts; none for the pump, which
    // is read by nobody during a run.
    const char* FailedReading;
    bool AStopped, BStopped, FluidStopped;
};

class FaultRuns : public TRunFixture, public testing::WithParamInterface<TFaultRun> {};

TEST_P(FaultRuns, FailWhileTheFaultLastsAndStopConfirmedOnceItClears) {
    const TFaultRun& c = GetParam();
    state.SegmentProgram = {
        Segment("long", 1.0, {Flow(0, 0.02F), Flow(1, 0.05F), Flow(2, 0.0F, 1.0F, WaterCommand)})};
    run->ButtonApplyClick();
    ASSERT_EQ(state.MixerState, msRunning) << (dialogs.Messages.empty() ? "" : dialogs.Messages.front());
    ASSERT_TRUE(TurnUntil([this] {
        return Logged("C Handled (Pump command:'" + WaterCommand + "')") &&
               window.Caption.rfind("Operating, step: 1/1", 0) == 0;
    })) << memoLog.Text();

    Fault(c.Device, c.Fault, true);
    if (*c.FailedReading != '\0') {
        const int before = CountLogged(c.FailedReading);
        ASSERT_TRUE(TurnUntil([&] { return CountLogged(c.FailedReading) >= before + 2; })) << memoLog.Text();
        EXPECT_EQ(state.MixerState, msRunning);
    }
    // Stop while it lasts.
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; })) << memoLog.Text();
    ExpectCannotStop(c.AStopped, c.BStopped, c.FluidStopped);
    EXPECT_EQ(run->MFCThread(), nullptr);

    Fault(c.Device, c.Fault, false);
    run->ButtonStopClick();
    ASSERT_TRUE(TurnUntil([this] { return state.MixerState != msStopping; })) << memoLog.Text();
    EXPECT_EQ(state.MixerState, msValidated) << memoLog.Text();
    EXPECT_EQ(window.Caption, "Stopped");
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).SetPoint, 0.0F);
    EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, 0.0F);
    EXPECT_FALSE(sim.Sim().PumpState().Busy);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FaultRuns,
    testing::Values(TFaultRun{"MFCABadCrc", Sim::sdMfcA, Sim::sfBadCrc,
                              "Could not talk to MFC A, sleep 1 second.", false, true, true},
                    TFaultRun{"MFCBBadCrc", Sim::sdMfcB, Sim::sfBadCrc,
                              "Could not talk to MFC B, sleep 1 second.", true, false, true},
                    TFaultRun{"PumpWrongLength", Sim::sdPump, Sim::sfWrongLength, "", true, true, false},
                    TFaultRun{"PumpNeverIdle", Sim::sdPump, Sim::sfNeverIdle, "", true, true, false}),
    [](const testing::TestParamInfo<TFaultRun>& param) { return std::string(param.param.Name); });

} // namespace

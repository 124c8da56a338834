// One manual clock drives both the program's pauses and the virtual instruments: an hour of MFC
// flow passes through the pseudo-terminals in a few seconds of wall time, and the totalizer counts
// exactly the hour's gas.

#include "base/Clock.h"
#include "mfc/MFCIdentity.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "support/SimHarness.h"

#include <chrono>
#include <gtest/gtest.h>

namespace {

using namespace SerialPortVogtlin;
using namespace std::chrono_literals;
using SerialPort::TSerialResponse;

double ElapsedSeconds(const Base::TClock& clock, Base::TDateTime since) {
    return (clock.Now() - since) * Base::SecondsPerDay;
}

TEST(ManualClockHour, TotalizerFollowsTheSetPointsOfAnHourOfInstrumentTime) {
    TestSupport::TSimOptions options;
    options.Clock = TestSupport::TSimClock::Manual;
    TestSupport::TSimHarness sim(options);
    ASSERT_TRUE(sim.Started()) << sim.Error();
    Base::TManualClock& clock = sim.Clock();

    // The identification's prescribed pauses (with their real lengths) pass on the same clock.
    TMFCDetails mfc;
    mfc.ComPortName = sim.Path(Sim::sdMfcA);
    mfc.ModBusAddress = 1;
    TMFCTiming timing;
    timing.Clock = &clock;
    timing.ReadoutTimeoutMS = 250; // the wait for the reply stays real: generous on a busy machine
    const Base::TDateTime beforeIdentification = clock.Now();
    IdentifyMFC(mfc, timing);
    ASSERT_TRUE(mfc.Validated);
    // 20 ms after the type, 50 ms after the control release, the serial number and the zero
    // set-point, and after showing each of tables 2 to 5 (the fourth is absent and ends the loop).
    EXPECT_NEAR(ElapsedSeconds(clock, beforeIdentification), 0.370, 1e-6)
        << "every pause of the identification runs on the clock it is given";

    TVogtlinPort port;
    ConfigureForMFC(port, mfc.ComPortName, 250);
    TSerialResponse response;
    port.ReadF32(1, regTotalizer, response);
    ASSERT_EQ(response.Status, "");
    const double totalizerAtStart = response.AsFloat;

    // Half an hour at 0.5 g/min, then half an hour at 2 g/min, in one-minute pauses.
    const Base::TDateTime start = clock.Now();
    for (const float setPoint : {0.5F, 2.0F}) {
        port.WriteF32(1, regSetPoint, setPoint, response);
        ASSERT_EQ(response.Status, "");
        for (int minute = 0; minute < 30; ++minute) {
            clock.Sleep(60s);
            port.ReadF32(1, regMeasuredFlow, response);
            ASSERT_EQ(response.Status, "");
            EXPECT_NEAR(response.AsFloat, setPoint, 1e-3) << "minute " << minute;
        }
    }
    port.WriteF32(1, regSetPoint, 0.0F, response);
    port.ReadF32(1, regTotalizer, response);
    ASSERT_EQ(response.Status, "");

    // The table of MFC A counts normal litres of air (1.293 g/l): 15 g + 60 g = 75 g.
    EXPECT_NEAR(ElapsedSeconds(clock, start), 3600.0, 1.0);
    EXPECT_NEAR(response.AsFloat - totalizerAtStart, 75.0 / 1.293, 0.02);
}

} // namespace

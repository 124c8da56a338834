// The virtual MFC's options that the stop tests need, seen from the wire: a set-point register that
// reads 1.0 whatever was written, and a set-point that survives a gas table selection or not.

#include "modbus/VogtlinRegisters.h"
#include "sim/ControlCommand.h"
#include "support/ModbusFrames.h"
#include "support/RawPort.h"
#include "support/SimHarness.h"

#include <gtest/gtest.h>

namespace {

using namespace TestSupport;
namespace SV = SerialPortVogtlin;

void SetFault(TSimHarness& sim, Sim::TSimDevice device, Sim::TSimFault fault, bool on) {
    std::string error;
    ASSERT_TRUE(sim.Sim().SetFault(device, fault, on, error)) << error;
}

float ReadSetPoint(TRawPort& port, std::uint8_t address) {
    return F32Of(port.Exchange(ReadRequest(address, SV::regSetPoint, 2), 9));
}

TEST(SimStuckSetPoint, TheRegisterReadsOneWhileTheWritesStillAct) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcB));
    SetFault(sim, Sim::sdMfcB, Sim::sfStuckSetPoint, true);
    EXPECT_TRUE(sim.Sim().HasFault(Sim::sdMfcB, Sim::sfStuckSetPoint));
    for (const float written : {3.0F, 0.0F}) {
        EXPECT_EQ(port.Exchange(WriteF32Request(2, SV::regSetPoint, written), 8),
                  WithCrc({2, 16, 0x00, 0x06, 0x00, 0x02}));
        EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcB).SetPoint, written);
        EXPECT_EQ(ReadSetPoint(port, 2), 1.0F);
    }
    SetFault(sim, Sim::sdMfcB, Sim::sfStuckSetPoint, false);
    EXPECT_EQ(ReadSetPoint(port, 2), 0.0F);
    // Not a pump fault.
    std::string error;
    EXPECT_FALSE(sim.Sim().SetFault(Sim::sdPump, Sim::sfStuckSetPoint, true, error));
    EXPECT_EQ(Sim::ParseFault("stuck-set-point"), Sim::sfStuckSetPoint);
}

TEST(SimTableChange, TheSetPointIsKeptUnlessTheMfcIsToldToZeroIt) {
    TSimHarness sim(ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TRawPort port(sim.Path(Sim::sdMfcA));
    struct TCase {
        const char* Line;
        const char* Reply;
        float After;
    };
    // Each case: set-point 2, then table 3 selected, then table 2 again.
    const TCase cases[] = {
        {"", "", 2.0F}, // as made: kept
        {"table-change mfc-a zero", "mfc-a table-change zero\n", 0.0F},
        {"table-change mfc-a keep", "mfc-a table-change keep\n", 2.0F},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Line);
        EXPECT_EQ(Sim::ApplyControlCommand(sim.Sim(), c.Line), c.Reply);
        port.Exchange(WriteF32Request(1, SV::regSetPoint, 2.0F), 8);
        ASSERT_EQ(ReadSetPoint(port, 1), 2.0F);
        port.Exchange(WriteU8Request(1, SV::regActiveGasTable, 3), 8);
        EXPECT_EQ(sim.Sim().MfcState(Sim::sdMfcA).ActiveTable, 3);
        EXPECT_EQ(ReadSetPoint(port, 1), c.After);
        port.Exchange(WriteU8Request(1, SV::regActiveGasTable, 2), 8);
    }
    // MFC B is told on its own.
    TRawPort portB(sim.Path(Sim::sdMfcB));
    portB.Exchange(WriteF32Request(2, SV::regSetPoint, 2.0F), 8);
    portB.Exchange(WriteU8Request(2, SV::regActiveGasTable, 3), 8);
    EXPECT_EQ(ReadSetPoint(portB, 2), 2.0F);
    for (const char* bad :
         {"table-change pump zero", "table-change mfc-a maybe", "table-change mfc-c keep"}) {
        EXPECT_EQ(Sim::ApplyControlCommand(sim.Sim(), bad).rfind("error:", 0), 0U) << bad;
    }
    EXPECT_NE(Sim::ControlCommandHelp().find("table-change MFC keep|zero"), std::string::npos);
    EXPECT_NE(Sim::ControlCommandHelp().find("stuck-set-point"), std::string::npos);
}

} // namespace

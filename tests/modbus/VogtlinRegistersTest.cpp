// The MFC register map pinned to the register numbers the instruments use. The program and the
// virtual MFC both take their addresses from this map, so a wrong number there would pass every
// exchange between them; only these known answers catch it.

#include "modbus/VogtlinRegisters.h"

#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <iterator>

namespace {

namespace SV = SerialPortVogtlin;
using SV::TRegisterType;

struct TRow {
    const char* Name;
    SV::TVogtlinRegister Register;
    std::uint32_t Number; // the register number, decimal
    TRegisterType Type;
    std::uint16_t Width; // 16-bit registers the value spans
};

// Numbers and types as the instruments document them.
const TRow Rows[] = {
    {"measured flow", SV::regMeasuredFlow, 0, TRegisterType::rtF32, 2},
    {"totalizer", SV::regTotalizer, 4, TRegisterType::rtF32, 2},
    {"set-point", SV::regSetPoint, 6, TRegisterType::rtF32, 2},
    {"control check", SV::regControlCheck, 12, TRegisterType::rtU16, 1},
    {"serial number", SV::regSerialNumber, 30, TRegisterType::rtU32, 2},
    {"device type", SV::regDeviceType, 35, TRegisterType::rtS8, 4},
    {"control release", SV::regControlRelease, 52, TRegisterType::rtU16, 1},
    {"end of identification", SV::regEndIdentification, 16463, TRegisterType::rtU16, 1},
    {"active gas table", SV::regActiveGasTable, 16697, TRegisterType::rtU8, 1},
    {"shown gas table", SV::regShownGasTable, 24575, TRegisterType::rtU16, 1},
    {"table full scale", SV::regTableRangeMax, 24608, TRegisterType::rtF32, 2},
    {"table long name", SV::regTableNameCustom, 24610, TRegisterType::rtS50, 25},
    {"table name", SV::regTableNameShort, 24642, TRegisterType::rtS8, 4},
    {"table flow unit", SV::regTableUnit, 24646, TRegisterType::rtS8, 4},
    {"table density", SV::regTableDensity, 24654, TRegisterType::rtF32, 2},
    {"table dynamic range", SV::regTableDynamicRange, 24866, TRegisterType::rtU16, 1},
    {"totalizer scaling", SV::regTotalizerScaling, 25476, TRegisterType::rtF32, 2},
    {"totalizer unit", SV::regTotalizerUnit, 25478, TRegisterType::rtS8, 4},
};

TEST(VogtlinRegisters, EveryRegisterHasItsNumberTypeAndWidth) {
    ASSERT_EQ(std::size(SV::VogtlinRegisterMap), std::size(Rows)) << "one map entry per register";
    for (const TRow& row : Rows) {
        SCOPED_TRACE(row.Name);
        EXPECT_EQ(static_cast<std::uint32_t>(row.Register), row.Number);
        const auto entries =
            std::count_if(std::begin(SV::VogtlinRegisterMap), std::end(SV::VogtlinRegisterMap),
                          [&](const SV::TRegisterInfo& info) { return info.Register == row.Register; });
        ASSERT_EQ(entries, 1);
        const auto* info =
            std::find_if(std::begin(SV::VogtlinRegisterMap), std::end(SV::VogtlinRegisterMap),
                         [&](const SV::TRegisterInfo& i) { return i.Register == row.Register; });
        EXPECT_EQ(info->Type, row.Type);
        EXPECT_EQ(SV::RegisterWidth(info->Type), row.Width);
    }
}

TEST(VogtlinRegisters, NoValueOverlapsTheNext) {
    for (const SV::TRegisterInfo& a : SV::VogtlinRegisterMap) {
        for (const SV::TRegisterInfo& b : SV::VogtlinRegisterMap) {
            if (a.Register < b.Register) {
                EXPECT_LE(a.Register + SV::RegisterWidth(a.Type), static_cast<std::uint32_t>(b.Register))
                    << a.Register << " runs into " << b.Register;
            }
        }
    }
}

TEST(VogtlinRegisters, GasTablesAreNumberedTwoToEleven) {
    EXPECT_EQ(SV::FirstGasTable, 2U);
    EXPECT_EQ(SV::LastGasTable, 11U);
}

} // namespace

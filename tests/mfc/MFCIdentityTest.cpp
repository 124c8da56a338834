// Identification and gas-table selection against the virtual MFC over real pseudo-terminals.

#include "mfc/MFCIdentity.h"

#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "support/LogCapture.h"
#include "support/SimHarness.h"

#include <bit>
#include <gtest/gtest.h>
#include <string>

namespace {

using namespace SerialPortVogtlin;
using SerialPort::TSerialResponse;
using TestSupport::TLogCapture;
using TestSupport::TSimHarness;

// Short pauses, and a wait for the first reply byte that a busy machine cannot outlast: these
// tests judge what is read, not how fast.
TMFCTiming TestTiming() {
    TMFCTiming timing;
    timing.AfterTypeRead = std::chrono::milliseconds(1);
    timing.AfterIdentificationStep = std::chrono::milliseconds(1);
    timing.AfterSelectionWrite = std::chrono::milliseconds(5);
    timing.ReadoutTimeoutMS = 250;
    return timing;
}

Sim::TGasTableConfig Table(const std::string& name, const std::string& custom, float fullScale,
                           std::uint16_t dynamicRange, float density, const std::string& totalizerUnit,
                           float scaling) {
    Sim::TGasTableConfig table;
    table.NameShort = name;
    table.NameCustom = custom;
    table.Unit = "g/min";
    table.FullScale = fullScale;
    table.DynamicRange = dynamicRange;
    table.Density_gpl = density;
    table.TotalizerUnit = totalizerUnit;
    table.TotalizerScaling = scaling;
    return table;
}

// Three tables with everything the identification reads different from table to table.
std::vector<Sim::TGasTableConfig> ThreeTables() {
    return {Table("N2", "Nitrogen [5.0] 0-10 g/min", 10.0F, 100, 1.2506F, "ln", 1.0F),
            Table("CO2", "CO2 for tests", 2.5F, 50, 1.977F, "mg", 0.001F),
            Table("Air", "Air bottled", 20.0F, 200, 1.293F, "g", 0.5F)};
}

TestSupport::TSimOptions ThreeTablesOnA() {
    return {.Adjust = [](Sim::TSimConfig& config) { config.MfcA.Tables = ThreeTables(); }};
}

TMFCDetails MfcAt(const std::string& port, std::uint32_t address, std::int32_t cull) {
    TMFCDetails mfc;
    mfc.ComPortName = port;
    mfc.ModBusAddress = address;
    mfc.DynamicRangeCull = cull;
    return mfc;
}

TLUTData Expected(std::uint32_t number, const std::string& name, const std::string& custom,
                  const std::string& own, float density, float rangeMax, std::uint32_t rangeDynamic,
                  const std::string& totalizerUnit, float scaling) {
    TLUTData data;
    data.LUTNumber = number;
    data.NameShort = name;
    data.NameCustom = custom;
    data.NameOwn = own;
    data.DensityGPL = density;
    data.UnitType = name.empty() ? "" : "g/min";
    data.RangeMax = rangeMax;
    data.RangeDynamic = rangeDynamic;
    data.RangeMin = rangeMax / static_cast<float>(rangeDynamic);
    data.TotalizerUnit = totalizerUnit;
    data.TotalizerScaling = scaling;
    return data;
}

// A table as identification starts it.
TLUTData Unread(std::uint32_t number) {
    TLUTData data;
    data.LUTNumber = number;
    return data;
}

void ExpectTable(const TLUTData& actual, const TLUTData& expected) {
    SCOPED_TRACE("table " + std::to_string(expected.LUTNumber));
    EXPECT_EQ(actual.LUTNumber, expected.LUTNumber);
    EXPECT_EQ(actual.NameShort, expected.NameShort);
    EXPECT_EQ(actual.NameCustom, expected.NameCustom);
    EXPECT_EQ(actual.NameOwn, expected.NameOwn);
    EXPECT_EQ(actual.AtomicMass, expected.AtomicMass);
    EXPECT_EQ(actual.DensityGPL, expected.DensityGPL);
    EXPECT_EQ(actual.UnitType, expected.UnitType);
    EXPECT_EQ(actual.RangeMax, expected.RangeMax);
    EXPECT_EQ(actual.RangeDynamic, expected.RangeDynamic);
    EXPECT_EQ(actual.RangeMin, expected.RangeMin);
    EXPECT_EQ(actual.Totalizer1, expected.Totalizer1);
    EXPECT_EQ(actual.TotalizerUnit, expected.TotalizerUnit);
    EXPECT_EQ(actual.TotalizerScaling, expected.TotalizerScaling);
}

TEST(IdentifyMFC, ThreeTablesAsRead) {
    TSimHarness sim({.Adjust = [](Sim::TSimConfig& config) {
        config.MfcA.Serial = 215001;
        config.MfcA.ControlCheck = 1;
        config.MfcA.Tables = ThreeTables();
    }});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    const std::string port = sim.Path(Sim::sdMfcA);
    // A flow left running from before: identification must stop it.
    TVogtlinPort direct;
    ConfigureForMFC(direct, port, 250);
    TSerialResponse written;
    direct.WriteF32(1, regSetPoint, 5.0F, written);
    ASSERT_EQ(written.Status, "");

    TLogCapture log;
    TMFCDetails mfc = MfcAt(port, 1, 20);
    TMFCTiming timing; // the real pauses
    timing.ReadoutTimeoutMS = TestTiming().ReadoutTimeoutMS;
    IdentifyMFC(mfc, timing);

    EXPECT_TRUE(mfc.Validated);
    EXPECT_EQ(mfc.Serial, 215001U);
    EXPECT_EQ(mfc.ActiveLUT, 2U);
    EXPECT_EQ(mfc.LastResponse.Status, "");
    ExpectTable(mfc.LUT[0], Expected(2, "N2", "Nitrogen 50 010 g/min", "N2", 1.2506F, 10.0F, 80, "ln", 1.0F));
    ExpectTable(mfc.LUT[1], Expected(3, "CO2", "CO2 for tests", "CO2", 1.977F, 2.5F, 30, "mg", 0.001F));
    ExpectTable(mfc.LUT[2], Expected(4, "Air", "Air bottled", "Air", 1.293F, 20.0F, 180, "g", 0.5F));
    for (std::uint32_t k = 3; k < 10; ++k) {
        ExpectTable(mfc.LUT[k], Unread(k + 2));
    }
    EXPECT_EQ(mfc.LUT[0].RangeMin, 0.125F);

    const Sim::TMfcState state = sim.Sim().MfcState(Sim::sdMfcA);
    EXPECT_EQ(state.SetPoint, 0.0F);
    EXPECT_EQ(state.ControlCheck, 0); // released: register 52 got 0xFFFF
    EXPECT_EQ(state.ControlRelease, 0xFFFF);
    EXPECT_EQ(state.ShownTable, 2);
    EXPECT_EQ(state.EndIdentification, 0);

    EXPECT_TRUE(log.Contains(port + " LUT 2 ID: N2"));
    EXPECT_TRUE(log.Contains(port + " LUT 2 max flow:10"));
    EXPECT_TRUE(log.Contains(port + " LUT 3 max flow:2.5"));
    EXPECT_TRUE(log.Contains("MFC dynamic range culled by 20 units"));
    EXPECT_TRUE(log.Contains(port + " LUT 2 Totalizer scaling:1"));
    EXPECT_TRUE(log.Contains(port + " LUT 4 Totalizer scaling:0.5"));
    EXPECT_FALSE(log.Contains(port + " LUT 5 ID: "));
}

TEST(IdentifyMFC, EmptySecondTableEndsTheTables) {
    TSimHarness sim({.Adjust = [](Sim::TSimConfig& config) {
        config.MfcA.Tables = {Table("", "", 10.0F, 100, 1.0F, "g", 1.0F),
                              Table("N2", "Nitrogen", 10.0F, 100, 1.25F, "g", 1.0F)};
    }});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
    mfc.LUT[1].NameShort = "Ar"; // from an earlier identification
    mfc.ActiveLUT = 5;
    IdentifyMFC(mfc, TestTiming());
    EXPECT_TRUE(mfc.Validated);
    EXPECT_EQ(mfc.ActiveLUT, 2U);
    for (std::uint32_t k = 0; k < 10; ++k) {
        ExpectTable(mfc.LUT[k], Unread(k + 2));
    }
}

TEST(IdentifyMFC, UnknownGasAndSerialOfTwoToThe31) {
    TSimHarness sim({.Adjust = [](Sim::TSimConfig& config) {
        config.MfcB.Serial = 0x80000000U;
        config.MfcB.Tables = {Table("Xe", "Xenon", 2.0F, 100, 5.894F, "mg", 0.001F),
                              Table("CO2_X", "Carbon dioxide", 10.0F, 40, 1.977F, "mg", 0.001F)};
    }});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcB), 2, 10);
    IdentifyMFC(mfc, TestTiming());
    EXPECT_TRUE(mfc.Validated);
    EXPECT_EQ(mfc.Serial, 0U);
    ExpectTable(mfc.LUT[0], Expected(2, "Xe", "Xenon", "", 5.894F, 2.0F, 90, "mg", 0.001F));
    ExpectTable(mfc.LUT[1], Expected(3, "CO2_X", "Carbon dioxide", "CO2", 1.977F, 10.0F, 30, "mg", 0.001F));
    ExpectTable(mfc.LUT[2], Unread(4));
}

// A read that gets no answer supplies nothing: the field keeps its start value, never a value an
// earlier read left in the shared response record, and the tables after it are still read.
TEST(IdentifyMFC, FailedReadsKeepTheStartValues) {
    TSimHarness sim({.Adjust = [](Sim::TSimConfig& config) {
        config.MfcA.Tables = ThreeTables();
        config.MfcA.Tables[0].SilentRegisters = {regTableRangeMax, regTotalizerScaling};
        config.MfcA.Tables[1].SilentRegisters = {regTableNameCustom, regTableUnit, regTableDynamicRange,
                                                 regTotalizerUnit, regTableDensity};
    }});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TLogCapture log;
    TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
    IdentifyMFC(mfc, TestTiming());
    EXPECT_TRUE(mfc.Validated);

    TLUTData noFullScale = Expected(2, "N2", "Nitrogen 50 010 g/min", "N2", 1.2506F, 0.0F, 80, "ln", 2.0F);
    ExpectTable(mfc.LUT[0], noFullScale);
    EXPECT_EQ(mfc.LUT[0].RangeMin, 0.0F);
    EXPECT_TRUE(log.Contains(mfc.ComPortName + " LUT 2 Totalizer scaling:?"));
    EXPECT_FALSE(log.Contains(mfc.ComPortName + " LUT 2 max flow:10"));

    TLUTData manyFailed = Expected(3, "CO2", "", "CO2", 1.0F, 2.5F, 1, "", 0.001F);
    manyFailed.UnitType = "";
    ExpectTable(mfc.LUT[1], manyFailed);
    EXPECT_EQ(mfc.LUT[1].RangeMin, 2.5F);

    ExpectTable(mfc.LUT[2], Expected(4, "Air", "Air bottled", "Air", 1.293F, 20.0F, 180, "g", 0.5F));
}

TEST(IdentifyMFC, DynamicRangeCull) {
    TSimHarness sim({.Adjust = [](Sim::TSimConfig& config) {
        config.MfcA.Tables = {
            Table("N2", "a", 10.0F, 100, 1.0F, "g", 1.0F), Table("O2", "b", 10.0F, 20, 1.0F, "g", 1.0F),
            Table("Ar", "c", 10.0F, 5, 1.0F, "g", 1.0F), Table("He", "d", 10.0F, 21, 1.0F, "g", 1.0F)};
    }});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TLogCapture log;
    TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
    IdentifyMFC(mfc, TestTiming());
    ASSERT_TRUE(mfc.Validated);
    struct TCase {
        std::size_t Index;
        std::uint32_t RangeDynamic;
        float RangeMin;
    };
    for (const TCase& c :
         {TCase{0, 80, 0.125F}, TCase{1, 1, 10.0F}, TCase{2, 1, 10.0F}, TCase{3, 1, 10.0F}}) {
        SCOPED_TRACE(c.Index);
        EXPECT_EQ(mfc.LUT[c.Index].RangeDynamic, c.RangeDynamic);
        EXPECT_EQ(mfc.LUT[c.Index].RangeMin, c.RangeMin);
    }
    const std::string port = mfc.ComPortName;
    EXPECT_TRUE(log.Contains("MFC dynamic range culled by 20 units"));
    EXPECT_TRUE(log.Contains(
        port + " LUT 3 dynamic range 20 too small for the cull of 20 units: range ratio set to 1"));
    EXPECT_TRUE(log.Contains(
        port + " LUT 4 dynamic range 5 too small for the cull of 20 units: range ratio set to 1"));
    EXPECT_FALSE(log.Contains(
        port + " LUT 5 dynamic range 21 too small for the cull of 20 units: range ratio set to 1"));
}

TEST(IdentifyMFC, FailedNameReadEndsTheTables) {
    TSimHarness sim({.Adjust = [](Sim::TSimConfig& config) {
        config.MfcA.Tables = ThreeTables();
        config.MfcA.Tables[1].SilentRegisters = {regTableNameShort};
    }});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TLogCapture log;
    TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
    IdentifyMFC(mfc, TestTiming());
    EXPECT_TRUE(mfc.Validated);
    EXPECT_EQ(mfc.ActiveLUT, 2U);
    EXPECT_EQ(mfc.LUT[0].NameShort, "N2");
    ExpectTable(mfc.LUT[1], Unread(3)); // not named after the text read before it
    ExpectTable(mfc.LUT[2], Unread(4)); // present in the device, but the loop ended
    EXPECT_TRUE(
        log.Contains(mfc.ComPortName + " LUT 3 name not read (No result to read): no further tables read"));
    const Sim::TMfcState state = sim.Sim().MfcState(Sim::sdMfcA);
    EXPECT_EQ(state.ShownTable, 2);
    EXPECT_EQ(state.EndIdentification, 0);
}

TEST(IdentifyMFC, DeviceTypeMustBeginWithUpperCaseGSC) {
    TSimHarness sim({.Adjust = [](Sim::TSimConfig& config) { config.MfcA.Tables = {}; }});
    ASSERT_TRUE(sim.Started()) << sim.Error();
    struct TCase {
        std::string Type;
        bool Validated;
    };
    for (const TCase& c : {TCase{"GSC-B9TA", true}, TCase{"GSCX", true}, TCase{"gsc-b9ta", false},
                           TCase{"GS", false}, TCase{"xGSC", false}, TCase{"", false}}) {
        SCOPED_TRACE(c.Type);
        sim.Sim().EditMfc(Sim::sdMfcA, [&c](Sim::TMfcConfig& config) { config.DeviceType = c.Type; });
        TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
        mfc.ActiveLUT = 7;
        IdentifyMFC(mfc, TestTiming());
        EXPECT_EQ(mfc.Validated, c.Validated);
        EXPECT_EQ(mfc.ActiveLUT, c.Validated ? 2U : 7U);
        EXPECT_EQ(mfc.Serial, c.Validated ? 215001U : 0U);
    }
}

// No answer, a reply one byte short, an exception reply: nothing is identified and nothing of an
// earlier identification survives but ActiveLUT.
TEST(IdentifyMFC, DeviceFaults) {
    TSimHarness sim(ThreeTablesOnA());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    struct TCase {
        Sim::TSimFault Fault;
        const char* Status;
    };
    for (const TCase& c : {TCase{Sim::sfSilent, "No result to read"},
                           TCase{Sim::sfWrongLength, "Wrong amount of data waiting"},
                           TCase{Sim::sfException, "Wrong amount of data waiting"}}) {
        SCOPED_TRACE(c.Status);
        std::string error;
        ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcA, c.Fault, true, error)) << error;
        TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
        mfc.Serial = 99;
        mfc.ActiveLUT = 3;
        mfc.LUT[0].NameShort = "Ar";
        mfc.LUT[0].RangeMax = 5.0F;
        IdentifyMFC(mfc, TestTiming());
        EXPECT_FALSE(mfc.Validated);
        EXPECT_EQ(mfc.Serial, 0U);
        EXPECT_EQ(mfc.ActiveLUT, 3U);
        ExpectTable(mfc.LUT[0], Unread(2));
        EXPECT_EQ(mfc.LastResponse.Status, c.Status);
        ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcA, c.Fault, false, error)) << error;
    }
}

TEST(VogtlinPortOnSim, OnlyAValidReplyIsData) {
    TSimHarness sim;
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TVogtlinPort port;
    ConfigureForMFC(port, sim.Path(Sim::sdMfcA), 250);
    std::string error;

    TSerialResponse response;
    port.ReadF32(1, regMeasuredFlow, response);
    ASSERT_EQ(response.Status, "");
    EXPECT_EQ(response.AsFloat, 0.0F); // a flow of 0.0 is a value, not a failure

    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcA, Sim::sfWrongLength, true, error)) << error;
    port.ReadF32(1, regMeasuredFlow, response);
    EXPECT_EQ(response.Status, "Wrong amount of data waiting");
    EXPECT_EQ(response.ResponseLength, 8);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(response.AsFloat), 0xFFC00000U);
    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcA, Sim::sfWrongLength, false, error)) << error;

    // A corrupted CRC makes the reply no data: a failed read that keeps the earlier value.
    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcA, Sim::sfBadCrc, true, error)) << error;
    response.AsInteger = 12;
    port.ReadU16(1, regControlCheck, response);
    EXPECT_EQ(response.Status, "Reply CRC wrong");
    EXPECT_EQ(response.ResponseLength, 7);
    EXPECT_EQ(response.AsInteger, 12);
    port.ReadF32(1, regMeasuredFlow, response);
    EXPECT_EQ(response.Status, "Reply CRC wrong");
    EXPECT_EQ(std::bit_cast<std::uint32_t>(response.AsFloat), 0xFFC00000U);
    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcA, Sim::sfBadCrc, false, error)) << error;
    port.ReadU16(1, regControlCheck, response);
    EXPECT_EQ(response.Status, "");
    EXPECT_EQ(response.AsInteger, 1);

    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcA, Sim::sfException, true, error)) << error;
    response.AsInteger = 12;
    port.ReadU16(1, regControlCheck, response);
    EXPECT_EQ(response.Status, "Wrong amount of data waiting");
    EXPECT_EQ(response.ResponseLength, 5);
    EXPECT_EQ(response.rArray[1], 0x83);
    EXPECT_EQ(response.AsInteger, 12);
}

TEST(SetActiveLUT, ConfirmedByBothRegisters) {
    TSimHarness sim(ThreeTablesOnA());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
    mfc.ActiveLUT = 2;
    TMFCTiming timing; // the real pauses
    timing.ReadoutTimeoutMS = TestTiming().ReadoutTimeoutMS;
    SetActiveLUT(mfc, 3, timing);
    EXPECT_TRUE(mfc.ActionOK);
    EXPECT_EQ(mfc.ActiveLUT, 3U);
    EXPECT_EQ(mfc.LastResponse.Status, "");
    EXPECT_EQ(mfc.LastResponse.AsInteger, 3);
    const Sim::TMfcState state = sim.Sim().MfcState(Sim::sdMfcA);
    EXPECT_EQ(state.ActiveTable, 3);
    EXPECT_EQ(state.ShownTable, 3);
}

TEST(SetActiveLUT, RefusedWhenARegisterReadsBackDifferently) {
    TSimHarness sim(ThreeTablesOnA());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    struct TCase {
        std::uint16_t Register; // the register that reads back 2 whatever was written
        std::int32_t LastAsInteger;
    };
    for (const TCase& c : {TCase{regActiveGasTable, 4}, TCase{regShownGasTable, 2}}) {
        SCOPED_TRACE(c.Register);
        sim.Sim().EditMfc(Sim::sdMfcA, [&c](Sim::TMfcConfig& config) {
            config.ReadOverrides.clear();
            config.ReadOverrides[c.Register] = 2;
        });
        TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
        mfc.ActiveLUT = 2;
        mfc.ActionOK = true;
        SetActiveLUT(mfc, 4, TestTiming());
        EXPECT_FALSE(mfc.ActionOK);
        EXPECT_EQ(mfc.ActiveLUT, 2U);
        EXPECT_EQ(mfc.LastResponse.AsInteger, c.LastAsInteger);
    }
}

TEST(SetActiveLUT, RefusedForAnAbsentTableOrASilentDevice) {
    TSimHarness sim(ThreeTablesOnA());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TMFCDetails mfc = MfcAt(sim.Path(Sim::sdMfcA), 1, 20);
    mfc.ActiveLUT = 2;
    SetActiveLUT(mfc, 9, TestTiming()); // the device has no table 9 and refuses it
    EXPECT_FALSE(mfc.ActionOK);
    EXPECT_EQ(mfc.ActiveLUT, 2U);

    std::string error;
    ASSERT_TRUE(sim.Sim().SetFault(Sim::sdMfcA, Sim::sfSilent, true, error)) << error;
    SetActiveLUT(mfc, 3, TestTiming());
    EXPECT_FALSE(mfc.ActionOK);
    EXPECT_EQ(mfc.ActiveLUT, 2U);
    EXPECT_EQ(mfc.LastResponse.Status, "No result to read");
}

} // namespace

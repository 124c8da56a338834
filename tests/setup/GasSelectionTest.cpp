#include "setup/GasSelection.h"

#include "mfc/MFCIdentity.h"
#include "modbus/VogtlinRegisters.h"
#include "settings/ProfileFile.h"
#include "support/SimHarness.h"
#include "support/TempFolder.h"

#include <bit>
#include <chrono>
#include <cstdint>
#include <gtest/gtest.h>
#include <optional>
#include <string>

namespace {

using SerialPortVogtlin::TMFCDetails;
using UnitMain::TMFCSide;

TMFCDetails WithTable(const std::string& name, std::uint32_t activeLUT) {
    TMFCDetails mfc;
    mfc.LUT[1].NameShort = name;
    mfc.ActiveLUT = activeLUT;
    return mfc;
}

struct TRecognizedCase {
    const char* Name;
    std::string Gas;
    std::uint32_t ActiveLUT;
    TMFCSide Side;
    std::optional<std::string> Expected;
};

class GasNotRecognized : public ::testing::TestWithParam<TRecognizedCase> {};

TEST_P(GasNotRecognized, NamesTheTableAndTheGasOnlyWhenTheCatalogueDoesNotKnowIt) {
    const TRecognizedCase& row = GetParam();
    EXPECT_EQ(Setup::GasNotRecognizedText(WithTable(row.Gas, row.ActiveLUT), row.Side), row.Expected);
}

const TRecognizedCase RecognizedCases[] = {
    {"KnownGas", "CO2", 3, TMFCSide::msA, std::nullopt},
    {"UnknownOnA", "Xe", 3, TMFCSide::msA,
     "MFC1 LUT:3\r\nGas type: Xe\r\nis not recognized by the software\r\n"
     "Contact Kelvane with this message, or select another gas type"},
    {"UnknownOnB", "Xe", 3, TMFCSide::msB,
     "MFC2 LUT:3\r\nGas type: Xe\r\nis not recognized by the software\r\n"
     "Contact Kelvane with this message, or select another gas type"},
    {"NoGasChosen", "Xe", 0, TMFCSide::msB, std::nullopt},
};

INSTANTIATE_TEST_SUITE_P(Cases, GasNotRecognized, ::testing::ValuesIn(RecognizedCases),
                         [](const ::testing::TestParamInfo<TRecognizedCase>& row) { return row.param.Name; });

TEST(GasConfirmation, OnlyAYesMakesTheMixerReadyAndWritesTheHistory) {
    const Setup::TGasConfirmation yes = Setup::ConfirmationOutcome(true);
    EXPECT_EQ(yes.MixerState, UnitMain::msValidated);
    EXPECT_TRUE(yes.GasesSelected);
    EXPECT_TRUE(yes.WriteHistory);
    for (const std::optional<bool> answer : {std::optional<bool>(false), std::optional<bool>()}) {
        const Setup::TGasConfirmation outcome = Setup::ConfirmationOutcome(answer);
        EXPECT_EQ(outcome.MixerState, UnitMain::msSimulation);
        EXPECT_FALSE(outcome.GasesSelected);
        EXPECT_FALSE(outcome.WriteHistory);
    }
    EXPECT_TRUE(Setup::ReadyToConfirm(true, true, true));
    EXPECT_FALSE(Setup::ReadyToConfirm(false, true, true));
    EXPECT_FALSE(Setup::ReadyToConfirm(true, false, true));
    EXPECT_FALSE(Setup::ReadyToConfirm(true, true, false));
}

TEST(GasSelection, ADeviceThatDoesNotAnswerLeavesTheGasAsItWasAndSaysSo) {
    TestSupport::TTempFolder folder("moistrel-gas-core");
    TMFCDetails mfc = WithTable("N2", 2);
    mfc.ComPortName = folder.File("no-such-port");
    mfc.ModBusAddress = 1;
    SerialPortVogtlin::TMFCTiming timing;
    timing.AfterSelectionWrite = std::chrono::milliseconds(0);

    const Setup::TGasChoice choice = Setup::SelectGasTable(mfc, TMFCSide::msB, 3, timing);
    EXPECT_FALSE(choice.Selected);
    const std::vector<std::string> expected{
        " ** Failed to set active gas for MFC B, (index:3) plese try again ** ", "   "};
    EXPECT_EQ(choice.Lines, expected);
    EXPECT_EQ(mfc.ActiveLUT, 2U);
    EXPECT_TRUE(mfc.MFCName.empty());
}

TEST(GasHistory, ReadsUnknownWithoutAFileAndKeepsTheRestOfTheFileOnAWrite) {
    TestSupport::TTempFolder folder("moistrel-gas-history");
    const std::string path = folder.File("moistrel.ini");
    const Setup::TGasHistory none = Setup::ReadGasHistory(path);
    EXPECT_EQ(none.OldGasA, "Unknown");
    EXPECT_EQ(none.OldGasB, "Unknown");

    {
        Settings::TProfileFile file(path);
        file.WriteString("Fluid", "Mixture name", "Water pure");
        std::string error;
        ASSERT_TRUE(file.Save(error)) << error;
    }
    std::string error;
    ASSERT_TRUE(Setup::WriteGasHistory(path, "O2", "Ar", error)) << error;
    const Setup::TGasHistory history = Setup::ReadGasHistory(path);
    EXPECT_EQ(history.OldGasA, "O2");
    EXPECT_EQ(history.OldGasB, "Ar");
    Settings::TProfileFile file(path);
    ASSERT_TRUE(file.Load(error)) << error;
    EXPECT_EQ(file.ReadString("Fluid", "Mixture name", ""), "Water pure");

    const std::string unwritable = folder.File("not-a-folder");
    {
        Settings::TProfileFile blocker(unwritable);
        ASSERT_TRUE(blocker.Save(error)) << error;
    }
    EXPECT_FALSE(Setup::WriteGasHistory(unwritable + "/moistrel.ini", "O2", "Ar", error));
    EXPECT_EQ(error, "Unable to write to " + unwritable + "/moistrel.ini");
}

// The gas readiness: each list shows exactly the table its device confirmed, a known gas; then,
// with the instruments found and stopped, the operator is asked.
struct TReadinessCase {
    const char* Name;
    Setup::TSetupFacts Facts;
    bool GasesSelected;
    bool Ask;
};

constexpr Setup::TGasInPlace O2{4, 4, true};
constexpr Setup::TGasInPlace Ar{2, 2, true};

Setup::TSetupFacts Facts(Setup::TGasInPlace a, Setup::TGasInPlace b, bool pump = true, bool mfcs = true,
                         bool stopped = true) {
    Setup::TSetupFacts facts;
    facts.PumpFound = pump;
    facts.BothMFCsFound = mfcs;
    facts.InstrumentsStopped = stopped;
    facts.A = a;
    facts.B = b;
    return facts;
}

class GasReadiness : public ::testing::TestWithParam<TReadinessCase> {};

TEST_P(GasReadiness, ComesFromWhatTheDevicesConfirmed) {
    const TReadinessCase& row = GetParam();
    const Setup::TGasReadiness readiness = Setup::JudgeGasReadiness(row.Facts);
    EXPECT_EQ(readiness.GasesSelected, row.GasesSelected);
    EXPECT_EQ(readiness.AskOperator, row.Ask);
}

const TReadinessCase ReadinessCases[] = {
    {"AllInPlace", Facts(O2, Ar), true, true},
    {"NoGasShownOnA", Facts({0, 0, false}, Ar), false, false},
    {"AShowsATableItsDeviceRefused", Facts({3, 0, false}, Ar), false, false},
    {"AShowsAnotherTableThanItsDeviceHolds", Facts({3, 4, true}, Ar), false, false},
    {"AConfirmedButItsListShowsNone", Facts({0, 4, true}, Ar), false, false},
    {"BShowsATableItsDeviceRefused", Facts(O2, {2, 0, false}), false, false},
    {"AUnknownGas", Facts({4, 4, false}, Ar), false, false},
    {"BUnknownGas", Facts(O2, {4, 4, false}), false, false},
    {"PumpNotFound", Facts(O2, Ar, false), true, false},
    {"MFCsNotFound", Facts(O2, Ar, true, false), true, false},
    {"StopNotConfirmed", Facts(O2, Ar, true, true, false), true, false},
};

INSTANTIATE_TEST_SUITE_P(Cases, GasReadiness, ::testing::ValuesIn(ReadinessCases),
                         [](const ::testing::TestParamInfo<TReadinessCase>& row) { return row.param.Name; });

// The totalizer scaling read after the selection is kept only when it is above 0.
struct TScalingCase {
    const char* Name;
    std::optional<float> Read; // what register 0x6384 shows; none: the device's own
    float Kept;
};

class TotalizerScaling : public ::testing::TestWithParam<TScalingCase> {};

TEST_P(TotalizerScaling, IsStoredOnlyWhenAboveZero) {
    const TScalingCase& row = GetParam();
    TestSupport::TSimHarness sim(TestSupport::ManualClock());
    ASSERT_TRUE(sim.Started()) << sim.Error();
    TMFCDetails mfc;
    mfc.ComPortName = sim.Path(Sim::sdMfcA);
    mfc.ModBusAddress = 1;
    SerialPortVogtlin::TMFCTiming timing;
    timing.Clock = &sim.Clock();
    timing.ReadoutTimeoutMS = 250;
    SerialPortVogtlin::IdentifyMFC(mfc, timing);
    ASSERT_TRUE(mfc.Validated);
    ASSERT_FLOAT_EQ(mfc.LUT[2].TotalizerScaling, 0.001F) << "O2, as identified";
    if (row.Read) {
        const auto bits = std::bit_cast<std::uint32_t>(*row.Read);
        sim.Sim().EditMfc(Sim::sdMfcA, [bits](Sim::TMfcConfig& config) {
            config.ReadOverrides[SerialPortVogtlin::regTotalizerScaling] =
                static_cast<std::uint16_t>(bits >> 16U);
            config.ReadOverrides[SerialPortVogtlin::regTotalizerScaling + 1] =
                static_cast<std::uint16_t>(bits);
        });
    }
    const Setup::TGasChoice choice = Setup::SelectGasTable(mfc, TMFCSide::msA, 4, timing);
    ASSERT_TRUE(choice.Selected) << ::testing::PrintToString(choice.Lines);
    EXPECT_FLOAT_EQ(mfc.LUT[2].TotalizerScaling, row.Kept);
}

const TScalingCase ScalingCases[] = {
    {"TheDevicesOwn", std::nullopt, 0.001F},
    {"AboveZero", 2.5F, 2.5F},
    {"Zero", 0.0F, 0.001F},
    {"Negative", -1.0F, 0.001F},
};

INSTANTIATE_TEST_SUITE_P(Cases, TotalizerScaling, ::testing::ValuesIn(ScalingCases),
                         [](const ::testing::TestParamInfo<TScalingCase>& row) { return row.param.Name; });

} // namespace

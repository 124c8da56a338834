#include "setup/GasSelection.h"

#include "settings/ProfileFile.h"
#include "support/TempFolder.h"

#include <chrono>
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

} // namespace

// The snapshot of the design as one segment, and the design panel text built from it.

#include "design/MixtureSnapshot.h"

#include "design/FlowSetPoints.h"
#include "design/FluidDesigner.h"
#include "model/GasCatalogue.h"
#include "model/GasItems.h"
#include "model/MixtureReport.h"
#include "support/DesignStates.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using Design::TSnapshotInput;
using GasMixtures::TGasItem;
using UnitMain::TMoistrelState;

using TestSupport::AssignLiquid;
using TestSupport::SetGas;

TMoistrelState Validated() {
    return TestSupport::ValidatedState();
}

TSnapshotInput Design(std::int64_t a, std::int64_t b, double c) {
    return TestSupport::DesignScreen(a, b, c);
}

TEST(MixtureSnapshot, ALowFlowIsPulsed) {
    const TMoistrelState state = Validated();
    struct TCase {
        std::int64_t Flow;
        float Pulsed;
    };
    const TCase cases[] = {{100, 1.0F / 3.0F}, {299, 299.0F / 300.0F}, {300, 1.0F}, {20000, 1.0F}};
    for (const TCase& c : cases) {
        const TGasItem snapshot = Design::CreateMixture(state, Design(c.Flow, 0, 0.0));
        ASSERT_EQ(snapshot.Components.size(), 1U) << c.Flow;
        const TGasItem& a = snapshot.Components[0];
        EXPECT_NEAR(a.Pulsed, c.Pulsed, 1e-6) << c.Flow;
        EXPECT_EQ(a.GasNameMFC, "O2");
        EXPECT_EQ(a.GasNameLong, "Oxygen");
        EXPECT_EQ(a.InstrumentID, 0);
        EXPECT_EQ(a.InstrumentPort, "ttyUSB1");
        EXPECT_FLOAT_EQ(a.Mass, static_cast<float>(static_cast<double>(c.Flow) / 1e6));
        EXPECT_FALSE(a.Fluid);
        EXPECT_EQ(a.FluidMaxPPM, 1000000);
    }

    // MFC B has no pulsed mode, whatever its flow.
    const TGasItem b = Design::CreateMixture(state, Design(0, 100, 0.0));
    ASSERT_EQ(b.Components.size(), 1U);
    EXPECT_FLOAT_EQ(b.Components[0].Pulsed, 1.0F);
    EXPECT_EQ(b.Components[0].InstrumentID, 1);
    EXPECT_EQ(b.Components[0].InstrumentPort, "ttyUSB2");
}

TEST(MixtureSnapshot, WaterFlowCarriesTheCustomConditions) {
    TMoistrelState state = Validated();
    state.PumpDetails.FLUID_MAX_PPM = 40000;
    const TGasItem snapshot = Design::CreateMixture(state, Design(0, 0, 995.675));
    ASSERT_EQ(snapshot.Components.size(), 1U);
    const TGasItem& c = snapshot.Components[0];
    EXPECT_EQ(c.GasNameMFC, "MIX_Water pure");
    EXPECT_EQ(c.InstrumentID, 2);
    EXPECT_EQ(c.InstrumentPort, "ttyUSB0");
    EXPECT_EQ(c.PumpCommand, "/1TgV48000IA192000V64OA0G0R");
    EXPECT_TRUE(c.Fluid);
    EXPECT_EQ(c.FluidMaxPPM, 40000);
    EXPECT_FLOAT_EQ(c.Pulsed, 1.0F);
    EXPECT_FLOAT_EQ(c.Mass, static_cast<float>(995.675 / 1e6));
    ASSERT_EQ(c.Components.size(), 1U);
    const TGasItem& water = c.Components[0];
    EXPECT_EQ(water.GasNameMFC, "H2O");
    EXPECT_FLOAT_EQ(water.Mass, c.Mass);
    EXPECT_FLOAT_EQ(water.CustTempC, 20.0F);
    EXPECT_FLOAT_EQ(water.CustPressmBar, 1500.0F);
    // Each evaporated liquid is held to the operator's limit.
    EXPECT_TRUE(water.Fluid);
    EXPECT_EQ(water.FluidMaxPPM, 40000);

    // The pump's own liquid keeps its entered parts: the snapshot changed its copy only.
    EXPECT_FLOAT_EQ(state.PumpDetails.Fluid.Components[0].Mass, 1000.0F);
    EXPECT_FALSE(state.PumpDetails.Fluid.Components[0].Fluid);
}

TEST(MixtureSnapshot, LiquidsShareTheFlowByTheRecipe) {
    TMoistrelState state = Validated();
    AssignLiquid(state, "Half and half", {{GasMixtures::gH2O, 50.0}, {GasMixtures::gC2H6O, 50.0}}, 0.93);
    const TGasItem snapshot = Design::CreateMixture(state, Design(0, 0, 1000.0));
    ASSERT_EQ(snapshot.Components.size(), 1U);
    const TGasItem& c = snapshot.Components[0];
    EXPECT_EQ(c.GasNameMFC, "MIX_Half and half");
    ASSERT_EQ(c.Components.size(), 2U);
    EXPECT_FLOAT_EQ(c.Components[0].Mass, static_cast<float>(1000.0 / 1e6 / 2.0));
    EXPECT_FLOAT_EQ(c.Components[1].Mass, static_cast<float>(1000.0 / 1e6 / 2.0));
    EXPECT_EQ(c.Components[1].GasNameMFC, "C2H6O");
}

TEST(MixtureSnapshot, StepNameAndOrder) {
    TMoistrelState state = Validated();
    state.SegmentProgram.resize(2);
    TSnapshotInput input = Design(20000, 5000, 1000.0);
    TGasItem snapshot = Design::CreateMixture(state, input);
    EXPECT_EQ(snapshot.StepName, "ID:3");
    EXPECT_DOUBLE_EQ(snapshot.StepTime, 0.75);
    EXPECT_TRUE(snapshot.Valid);
    ASSERT_EQ(snapshot.Components.size(), 3U);
    EXPECT_EQ(snapshot.Components[0].InstrumentID, 0);
    EXPECT_EQ(snapshot.Components[1].InstrumentID, 1);
    EXPECT_EQ(snapshot.Components[2].InstrumentID, 2);
    EXPECT_EQ(snapshot.Components[1].GasNameLong, "Nitrogen");

    input.StepComments = "Dry start";
    EXPECT_EQ(Design::CreateMixture(state, input).StepName, "Dry start");
}

TEST(MixtureSnapshot, SimulationNamesTheDemonstrationGases) {
    TMoistrelState state = Validated();
    state.MixerState = UnitMain::msSimulation;
    state.MFCADemonstration = true;
    state.MFCBDemonstration = true;
    TSnapshotInput input = Design(20000, 5000, 0.0);
    TGasItem snapshot = Design::CreateMixture(state, input);
    ASSERT_EQ(snapshot.Components.size(), 2U);
    EXPECT_EQ(snapshot.Components[0].GasNameMFC, "O2demo");
    EXPECT_EQ(snapshot.Components[0].GasNameLong, "O2demo");
    EXPECT_FLOAT_EQ(snapshot.Components[0].MolarMass, 31.9988F);
    EXPECT_EQ(snapshot.Components[1].GasNameMFC, "Ardemo");

    // An empty demonstration name leaves that flow out.
    input.DemoA.Name.clear();
    snapshot = Design::CreateMixture(state, input);
    ASSERT_EQ(snapshot.Components.size(), 1U);
    EXPECT_EQ(snapshot.Components[0].InstrumentID, 1);

    // An MFC whose tables were read from the instrument is named by its real gas, also in state 0.
    state.MFCADemonstration = false;
    snapshot = Design::CreateMixture(state, input);
    ASSERT_EQ(snapshot.Components.size(), 2U);
    EXPECT_EQ(snapshot.Components[0].GasNameMFC, "O2");
    EXPECT_EQ(snapshot.Components[1].GasNameMFC, "Ardemo");
}

TEST(MixtureSnapshot, NoFlowGivesNoComponentsAndAnEmptyPanel) {
    TMoistrelState state = Validated();
    const TSnapshotInput input = Design(0, 0, 0.0);
    EXPECT_TRUE(Design::CreateMixture(state, input).Components.empty());
    EXPECT_EQ(Design::ShowMixture2(state, input), "");

    // A gas the catalogue does not know is left out outside simulation; so is an MFC without a gas.
    state.MFCADetails.LUT[1].NameShort = "Xenon";
    state.MFCBDetails.ActiveLUT = 0;
    EXPECT_TRUE(Design::CreateMixture(state, Design(20000, 5000, 0.0)).Components.empty());
}

TEST(MixtureSnapshot, DesignPanelShowsRecipeAndAnalysis) {
    TMoistrelState state = Validated();
    const TSnapshotInput input = Design(20000, 5000, 995.675);
    const std::string panel = Design::ShowMixture2(state, input);

    const std::string recipe = "Machine recipe\r\n"
                               "  ttyUSB1:0:Oxygen       0.020 000 g/min \r\n"
                               "  ttyUSB2:1:Nitrogen     0.005 000 g/min \r\n"
                               "  ttyUSB0:2:Water pure   0.000 996 g/min \r\n"
                               "\r\n";
    ASSERT_EQ(panel.substr(0, recipe.size()), recipe);
    const std::string analysis = panel.substr(recipe.size());
    EXPECT_EQ(analysis.substr(0, 12), "Components\r\n");
    EXPECT_NE(analysis.find("  O2            mol/min: "), std::string::npos);
    EXPECT_NE(analysis.find("  N2            mol/min: "), std::string::npos);
    EXPECT_NE(analysis.find("  H2O           mol/min: "), std::string::npos);
    EXPECT_NE(analysis.find("             *   for 20ºC, 1500 mbar\r\n"), std::string::npos) << analysis;
    EXPECT_EQ(analysis.find("Exceeding the fluid ppm limit"), std::string::npos);
}

TEST(MixtureSnapshot, LiquidAboveTheOperatorsLimitIsReported) {
    TMoistrelState state = Validated();
    state.PumpDetails.FLUID_MAX_PPM = 1000;
    // About 55 µmol/min of water in 0.7 mmol/min of oxygen: far above 1000 ppm.
    const TSnapshotInput input = Design(20000, 0, 995.675);
    const std::string panel = Design::ShowMixture2(state, input);
    EXPECT_NE(panel.find("    Exceeding the fluid ppm limit  (    1 000 ppm)\r\n"), std::string::npos)
        << panel;

    // The segment editor's verdict: the analysis of the snapshot marks it invalid.
    TGasItem snapshot = Design::CreateMixture(state, input);
    GasMixtures::TGasItemDictionary totals;
    GasMixtures::AddMixtureToGasTotals(snapshot, totals);
    GasMixtures::AnalyseMixture(totals, snapshot, input.CustomTempC, input.CustomPressure_mbar);
    EXPECT_FALSE(snapshot.Valid);

    // Within the limit the line stays away and the snapshot stays valid.
    state.PumpDetails.FLUID_MAX_PPM = 1000000;
    EXPECT_EQ(Design::ShowMixture2(state, input).find("Exceeding"), std::string::npos);
}

} // namespace

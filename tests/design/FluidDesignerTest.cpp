// The fluid designer: moles, molar fractions, molar mass and per-stroke figures of a designed liquid,
// "Set to water", and the assignment of the result to the pump.

#include "design/FluidDesigner.h"

#include "model/GasItems.h"

#include <gtest/gtest.h>
#include <string>

namespace {

using Design::TDesignerRow;
using Design::TFluidDesignInput;
using GasMixtures::TGasItem;

std::string LongName(GasMixtures::TGasItems gas) {
    return GasMixtures::GasItemsLongNames()[static_cast<std::size_t>(gas)];
}

TDesignerRow Row(GasMixtures::TGasItems gas, double mass) {
    return TDesignerRow{static_cast<int>(gas), LongName(gas), mass};
}

TFluidDesignInput WaterEthanolInput() {
    TFluidDesignInput input;
    input.Rows[0] = Row(GasMixtures::gH2O, 50.0);
    input.Rows[1] = Row(GasMixtures::gC2H6O, 50.0);
    input.MixtureName = "Designed mixture";
    input.Density = 0.93;
    input.SyringeVolume_ul = 50;
    return input;
}

TEST(FluidDesigner, SetToWaterGivesOnePureComponent) {
    const Design::TWaterDesign water = Design::RestoreWater();
    EXPECT_EQ(water.MixtureName, "Water pure");
    EXPECT_EQ(water.Rows[0].ItemIndex, 9);
    EXPECT_EQ(water.Rows[0].ItemText, "Water pure");
    EXPECT_DOUBLE_EQ(water.Rows[0].Mass_g, 1000.0);
    for (int i = 1; i < Design::DesignerRowCount; ++i) {
        EXPECT_EQ(water.Rows[i].ItemIndex, -1);
        EXPECT_DOUBLE_EQ(water.Rows[i].Mass_g, 0.0);
    }
    EXPECT_DOUBLE_EQ(water.Density, static_cast<double>(0.997735F));

    TFluidDesignInput input;
    input.Rows = water.Rows;
    input.MixtureName = water.MixtureName;
    input.Density = water.Density;
    input.SyringeVolume_ul = 50;
    const Design::TFluidDesignResult result = Design::FluidMixtureCalculation(TGasItem{}, input);

    ASSERT_EQ(result.DesignedMixture.Components.size(), 1U);
    const TGasItem& component = result.DesignedMixture.Components[0];
    EXPECT_EQ(component.GasNameMFC, "H2O");
    EXPECT_EQ(component.GasNameLong, "Water pure");
    EXPECT_FLOAT_EQ(component.PartialPressure, 1.0F);
    EXPECT_FLOAT_EQ(component.Mass, 1000.0F);
    EXPECT_FLOAT_EQ(component.MixtureMass, 1000.0F);
    EXPECT_DOUBLE_EQ(result.MolarMass, static_cast<double>(18.01528F));
    EXPECT_NEAR(result.MGperStroke, 49.887, 0.0005);
    EXPECT_DOUBLE_EQ(result.MolPerML, water.Density / result.MolarMass);

    const std::string expected = "Water pure          \r\n"
                                 "  Component            Moles     Molar fraction   Mass \r\n"
                                 "  Water pure           55.508    1.000 000        1000.000  \r\n"
                                 "\r\n"
                                 "  Mixture molar mass : 18.0152797698975\r\n";
    EXPECT_EQ(result.Memo2, expected);
}

TEST(FluidDesigner, WaterAndEthanolByMass) {
    const Design::TFluidDesignResult result =
        Design::FluidMixtureCalculation(TGasItem{}, WaterEthanolInput());

    const TGasItem& mixture = result.DesignedMixture;
    EXPECT_TRUE(mixture.Fluid);
    EXPECT_EQ(mixture.GasNameLong, "Designed mixture");
    EXPECT_TRUE(mixture.GasNameMFC.empty());
    ASSERT_EQ(mixture.Components.size(), 2U);
    EXPECT_EQ(mixture.Components[0].GasNameMFC, "H2O");
    EXPECT_EQ(mixture.Components[1].GasNameMFC, "C2H6O");
    EXPECT_NEAR(mixture.Components[0].PartialPressure, 0.718881, 5e-7);
    EXPECT_NEAR(mixture.Components[1].PartialPressure, 0.281119, 5e-7);
    EXPECT_NEAR(result.MolarMass, 25.9, 0.005);

    // Moles and fractions as the operator reads them.
    EXPECT_NE(result.Memo2.find("  Water pure           2.775     0.718 881        50.000    \r\n"),
              std::string::npos)
        << result.Memo2;
    EXPECT_NE(result.Memo2.find("  Ethanol              1.085     0.281 119        50.000    \r\n"),
              std::string::npos)
        << result.Memo2;
    EXPECT_NEAR(result.MolPerML, 0.93 / result.MolarMass, 1e-12);
    EXPECT_NEAR(result.MGperStroke, 46.5, 1e-9);
}

TEST(FluidDesigner, RowsWithoutSubstanceOrMassAreLeftOut) {
    struct TCase {
        const char* What;
        TDesignerRow Row;
    };
    const TCase cases[] = {
        {"empty entry", TDesignerRow{0, "", 10.0}},
        {"no selection", TDesignerRow{-1, "", 10.0}},
        {"zero mass", Row(GasMixtures::gCH4O, 0.0)},
        {"negative mass", Row(GasMixtures::gCH4O, -5.0)},
    };
    for (const TCase& c : cases) {
        TFluidDesignInput input;
        input.Rows[2] = c.Row;
        input.MixtureName = "Nothing";
        input.Density = 0.8;
        input.SyringeVolume_ul = 100;
        input.MolPerML = 0.123;
        const Design::TFluidDesignResult result = Design::FluidMixtureCalculation(TGasItem{}, input);
        EXPECT_TRUE(result.DesignedMixture.Components.empty()) << c.What;
        EXPECT_DOUBLE_EQ(result.MolarMass, 0.0) << c.What;
        // Without a molar mass the mol/ml field keeps what it showed; mg per stroke is shown anyway.
        EXPECT_DOUBLE_EQ(result.MolPerML, 0.123) << c.What;
        EXPECT_NEAR(result.MGperStroke, 80.0, 1e-9) << c.What;
        EXPECT_EQ(result.Memo2, "Nothing             \r\n"
                                "  Component            Moles     Molar fraction   Mass \r\n"
                                "\r\n"
                                "  Mixture molar mass : 0\r\n")
            << c.What;
    }
}

TEST(FluidDesigner, ResetKeepsThePreviousPerStrokeFigures) {
    TGasItem previous;
    previous.DensityFluid20C = 0.9F;
    previous.MGperStroke = 45.0F;
    previous.Components.push_back(TGasItem{});
    previous.StepName = "old";
    const Design::TFluidDesignResult result = Design::FluidMixtureCalculation(previous, WaterEthanolInput());
    EXPECT_FLOAT_EQ(result.DesignedMixture.DensityFluid20C, 0.9F);
    EXPECT_FLOAT_EQ(result.DesignedMixture.MGperStroke, 45.0F);
    EXPECT_TRUE(result.DesignedMixture.StepName.empty());
    EXPECT_EQ(result.DesignedMixture.Components.size(), 2U);
}

TEST(FluidDesigner, AssignToPumpCopiesTheDesign) {
    const Design::TFluidDesignResult designed =
        Design::FluidMixtureCalculation(TGasItem{}, WaterEthanolInput());

    UnitMain::TPumpDetails pump;
    pump.SYRINGE_VOLUMEul = 100;
    Design::TFluidAssignInput input;
    input.MixtureName = "Half and half";
    input.Density = 0.93;
    input.MolarMass = designed.MolarMass;
    input.MolPerML = designed.MolPerML;
    input.PPMLimit = 25000;
    input.SyringeIndex = 1;
    const Design::TAssignedFluid shown =
        Design::AssignFluidMixtureToPump(pump, designed.DesignedMixture, input);

    EXPECT_EQ(pump.Fluid.GasNameLong, "Half and half");
    EXPECT_FLOAT_EQ(pump.Fluid.DensityFluid20C, 0.93F);
    EXPECT_FLOAT_EQ(pump.Fluid.MolarMass, static_cast<float>(designed.MolarMass));
    EXPECT_FLOAT_EQ(pump.Fluid.MolPerML, static_cast<float>(designed.MolPerML));
    ASSERT_EQ(pump.Fluid.Components.size(), 2U);
    EXPECT_FLOAT_EQ(pump.Fluid.Components[1].MixtureMass, 50.0F);
    EXPECT_EQ(pump.FLUID_MAX_PPM, 25000);
    EXPECT_EQ(pump.SYRINGE_VOLUME_INDEX, 1);
    EXPECT_NEAR(pump.SYRINGE_SIZEmg, 93.0, 1e-4);

    EXPECT_EQ(shown.Name, "Half and half");
    EXPECT_DOUBLE_EQ(shown.Density, static_cast<double>(0.93F));
    EXPECT_DOUBLE_EQ(shown.SyringeSizeMg, pump.SYRINGE_SIZEmg);
    EXPECT_EQ(Design::FluidCaption(pump), "C-component: Half and half");

    // Applying the pump settings takes the syringe volume of the stored index and the chosen model.
    Design::ApplyPumpSettings(pump, 0);
    EXPECT_EQ(pump.SYRINGE_VOLUMEul, 100);
    EXPECT_EQ(pump.SYRINGE_STEPS, 24000);
    pump.SYRINGE_VOLUME_INDEX = 7;
    Design::ApplyPumpSettings(pump, -1);
    EXPECT_EQ(pump.SYRINGE_VOLUMEul, 12500);
    EXPECT_EQ(pump.SYRINGE_STEPS, 24000);
    EXPECT_NEAR(pump.SYRINGE_SIZEmg, 12500 * 0.93, 1e-2);
}

TEST(FluidDesigner, DesigningAndAssigningWithoutAScreenIsTheDesignersTwoSteps) {
    using GasMixtures::gC2H6O;
    using GasMixtures::gH2O;
    using GasMixtures::gO2;
    const struct {
        const char* What;
        Design::TLiquidParts Parts;
        std::size_t Components;
    } cases[] = {
        {"pure water", {{{static_cast<int>(gH2O), 1000.0}}}, 1},
        {"ethanol in water", {{{static_cast<int>(gH2O), 60.0}, {static_cast<int>(gC2H6O), 40.0}}}, 2},
        {"rows without substance or mass are left out",
         {{{0, 10.0}, {static_cast<int>(gC2H6O), 0.0}, {static_cast<int>(gO2), 5.0}, {-1, 3.0}}},
         1},
    };
    for (const auto& c : cases) {
        // A pump with a 100 µL syringe (index 1) and a ppm limit of its own, which the assignment keeps.
        UnitMain::TMoistrelState state;
        state.PumpDetails.SYRINGE_VOLUME_INDEX = 1;
        state.PumpDetails.SYRINGE_VOLUMEul = 100;
        state.PumpDetails.FLUID_MAX_PPM = 25000;
        UnitMain::TMoistrelState byHand = state;

        const Design::TAssignedFluid shown = Design::DesignAndAssignLiquid(state, "Mine", c.Parts, 0.93);

        TFluidDesignInput input;
        for (std::size_t row = 0; row < c.Parts.size(); ++row) {
            const int index = c.Parts[row].ItemIndex;
            input.Rows[row].ItemIndex = index;
            input.Rows[row].ItemText = index > 0 ? LongName(static_cast<GasMixtures::TGasItems>(index)) : "";
            input.Rows[row].Mass_g = c.Parts[row].Mass_g;
        }
        input.MixtureName = "Mine";
        input.Density = 0.93;
        input.SyringeVolume_ul = 100;
        const Design::TFluidDesignResult designed =
            Design::FluidMixtureCalculation(byHand.DesignedMixture, input);
        byHand.DesignedMixture = designed.DesignedMixture;
        Design::TFluidAssignInput assign;
        assign.MixtureName = "Mine";
        assign.Density = 0.93;
        assign.MolarMass = designed.MolarMass;
        assign.MolPerML = designed.MolPerML;
        assign.PPMLimit = 25000;
        assign.SyringeIndex = 1;
        const Design::TAssignedFluid expected =
            Design::AssignFluidMixtureToPump(byHand.PumpDetails, byHand.DesignedMixture, assign);

        EXPECT_EQ(state.DesignedMixture, byHand.DesignedMixture) << c.What;
        EXPECT_EQ(state.PumpDetails.Fluid, byHand.PumpDetails.Fluid) << c.What;
        EXPECT_EQ(state.PumpDetails.Fluid.Components.size(), c.Components) << c.What;
        EXPECT_EQ(state.PumpDetails.FLUID_MAX_PPM, 25000) << c.What;
        EXPECT_EQ(state.PumpDetails.SYRINGE_VOLUME_INDEX, 1) << c.What;
        EXPECT_DOUBLE_EQ(state.PumpDetails.SYRINGE_SIZEmg, byHand.PumpDetails.SYRINGE_SIZEmg) << c.What;
        EXPECT_NEAR(state.PumpDetails.SYRINGE_SIZEmg, 93.0, 1e-4) << c.What;
        EXPECT_EQ(shown.Name, expected.Name) << c.What;
        EXPECT_DOUBLE_EQ(shown.MolarMass, expected.MolarMass) << c.What;
        EXPECT_GT(shown.MolarMass, 0.0) << c.What;
    }
}

TEST(FluidDesigner, VapourPressureLineNamesTheTemperature) {
    const std::string line = Design::VapourPressureLine(20.0);
    const std::string head = "H2O Vapor pressure @ 20ºC = 23.";
    EXPECT_EQ(line.substr(0, head.size()), head) << line;
    EXPECT_EQ(line.substr(line.size() - 5), " mBar");
}

} // namespace

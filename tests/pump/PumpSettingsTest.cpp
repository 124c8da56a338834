// The main module's pump settings: syringe table, pump models, syringe mass, defaults.

#include "pump/PumpSettings.h"

#include "pump/PumpSpeedFunction.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace {

using namespace UnitMain;

TEST(PumpSettings, SyringeVolumeTable) {
    struct TCase {
        std::int32_t Index;
        std::int32_t Volume_ul;
    };
    const TCase cases[] = {{0, 50},   {1, 100},   {2, 250}, {3, 500}, {4, 1000},      {5, 2500},
                           {6, 5000}, {7, 12500}, {8, 1},   {-1, 1},  {INT32_MAX, 1}, {INT32_MIN, 1}};
    for (const auto& c : cases) {
        EXPECT_EQ(GetSyringeVolume(c.Index), c.Volume_ul) << "index " << c.Index;
    }
}

TEST(PumpSettings, SyringeItemTextsMatchTheTable) {
    const char* texts[] = {"50 µL",   "100 µL",  "250 µL",  "500 µL",
                           "1000 µL", "2500 µL", "5000 µL", "12500 µL"};
    ASSERT_EQ(SyringeVolumeItems.size(), 8u);
    for (std::size_t i = 0; i < SyringeVolumeItems.size(); ++i) {
        EXPECT_EQ(SyringeVolumeItems[i], texts[i]);
        EXPECT_EQ(std::to_string(GetSyringeVolume(static_cast<std::int32_t>(i))) + " µL", texts[i]);
    }
}

TEST(PumpSettings, OutOfTableSyringeIsRefusedByTheSpeedFunction) {
    UnitMoistrelPumpSpeedFunction::TPumpDetails speed;
    speed.Init();
    speed.SyringeVolume_ul = GetSyringeVolume(8);
    speed.FluidDensity = 1.0;
    speed.MaxSpeed = 48000;
    speed.DesiredDispense_ugpm = 1000.0;
    EXPECT_FALSE(UnitMoistrelPumpSpeedFunction::CalculatePumpSpeed(speed));
    EXPECT_EQ(speed.Info, UnitMoistrelPumpSpeedFunction::TPumpSpeedInfo::psUndefinedSyringe);
}

TEST(PumpSettings, PumpModels) {
    ASSERT_EQ(PumpModels.size(), 2u);
    EXPECT_EQ(PumpModels[0].ItemText, "High concentrations (24 000 steps)");
    EXPECT_EQ(PumpModels[1].ItemText, "Low concentrations (192 000 steps)");

    TPumpDetails d;
    d.SYRINGE_STEPS = 1234;
    d.SYRINGE_MAXSPEED = 99;
    EXPECT_FALSE(ApplyPumpModel(d, -1)); // no selection: unchanged
    EXPECT_FALSE(ApplyPumpModel(d, 2));
    EXPECT_EQ(d.SYRINGE_STEPS, 1234);
    EXPECT_EQ(d.SYRINGE_MAXSPEED, 99);

    EXPECT_TRUE(ApplyPumpModel(d, 0));
    EXPECT_EQ(d.SYRINGE_STEPS, 24000);
    EXPECT_EQ(d.SYRINGE_MAXSPEED, 48000);
    EXPECT_TRUE(ApplyPumpModel(d, 1));
    EXPECT_EQ(d.SYRINGE_STEPS, 192000);
    EXPECT_EQ(d.SYRINGE_MAXSPEED, 48000);

    EXPECT_EQ(PumpModelIndexForSteps(24000), 0);
    EXPECT_EQ(PumpModelIndexForSteps(192000), 1);
    EXPECT_EQ(PumpModelIndexForSteps(48000), -1);
    EXPECT_EQ(PumpModelIndexForSteps(0), -1);
}

TEST(PumpSettings, Defaults) {
    const TPumpDetails d;
    EXPECT_EQ(d.FLUID_MAX_PPM, 1000000);
    EXPECT_EQ(d.Port, "SIM");
    EXPECT_EQ(d.SYRINGE_VOLUMEul, GetSyringeVolume(d.SYRINGE_VOLUME_INDEX));
    EXPECT_EQ(d.SYRINGE_STEPS, 192000);
    EXPECT_EQ(d.SYRINGE_MAXSPEED, 48000);
    EXPECT_EQ(d.Command, "");
    EXPECT_EQ(d.Status, "");
}

TEST(PumpSettings, SyringeSizeIsVolumeTimesDensity) {
    struct TCase {
        std::int32_t Volume_ul;
        float Density;
        double Mass_mg;
    };
    const TCase cases[] = {
        {50, 0.997735f, 50.0 / 1000.0 * static_cast<double>(0.997735f) * 1000.0},
        {12500, 0.789f, 12500.0 / 1000.0 * static_cast<double>(0.789f) * 1000.0},
        {1000, 1.0f, 1000.0},
        {250, 0.0f, 0.0},
    };
    for (const auto& c : cases) {
        TPumpDetails d;
        d.SYRINGE_VOLUMEul = c.Volume_ul;
        d.Fluid.DensityFluid20C = c.Density;
        EXPECT_DOUBLE_EQ(SyringeSizeMg(d), c.Mass_mg) << c.Volume_ul;
        UpdateSyringeSize(d);
        EXPECT_DOUBLE_EQ(d.SYRINGE_SIZEmg, c.Mass_mg);
    }
    // 50 µL of water: 49.887 mg, the single-precision density widened, not 49.88675.
    TPumpDetails water;
    water.SYRINGE_VOLUMEul = 50;
    water.Fluid.DensityFluid20C = 0.997735f;
    EXPECT_NEAR(SyringeSizeMg(water), 49.8867511749, 1e-9);
}

} // namespace

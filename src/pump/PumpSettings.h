#pragma once
// The main module's pump settings: everything the program knows about the syringe pump and the
// liquid in it, with the syringe volume table and the pump model choice that fill the syringe
// fields. Not to be confused with the pump speed function's record of the same name.

#include "model/GasItem.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace UnitMain {

struct TPumpDetails {
    std::int32_t FLUID_MAX_PPM = 1000000; // a limit no concentration exceeds
    GasMixtures::TGasItem Fluid;          // the liquid assigned to the pump
    std::int32_t SYRINGE_VOLUME_INDEX = 0;
    std::int32_t SYRINGE_VOLUMEul = 50;
    double SYRINGE_SIZEmg = 0.0; // mass of one full syringe of the fluid
    std::int32_t SYRINGE_STEPS = 192000;
    std::int32_t SYRINGE_MAXSPEED = 48000; // Hz
    std::string Port = "SIM";
    std::string Command;
    std::string Status;
};

// Syringe index to µL: 50, 100, 250, 500, 1000, 2500, 5000, 12500 for 0 to 7; 1 for any other
// index (a volume the pump speed function refuses).
std::int32_t GetSyringeVolume(std::int32_t index);

// The texts of the syringe choice, in index order.
inline constexpr std::array<std::string_view, 8> SyringeVolumeItems = {
    "50 µL", "100 µL", "250 µL", "500 µL", "1000 µL", "2500 µL", "5000 µL", "12500 µL"};

struct TPumpModel {
    std::string_view ItemText;
    std::int32_t Steps;
    std::int32_t MaxSpeed; // Hz
};

// The pump model choice, in index order.
inline constexpr std::array<TPumpModel, 2> PumpModels = {{
    {"High concentrations (24 000 steps)", 24000, 48000},
    {"Low concentrations (192 000 steps)", 192000, 48000},
}};

// Sets SYRINGE_STEPS and SYRINGE_MAXSPEED from the model at `index`; any other index (no
// selection) changes nothing and gives false.
bool ApplyPumpModel(TPumpDetails& details, int index);

// The model index that a step count shows: 0 for 24 000, 1 for 192 000, -1 for any other.
int PumpModelIndexForSteps(std::int32_t steps);

// Mass of one full syringe, mg: (SYRINGE_VOLUMEul / 1000) × Fluid.DensityFluid20C × 1000.
double SyringeSizeMg(const TPumpDetails& details);

// Recomputes SYRINGE_SIZEmg; called whenever a liquid is assigned to the pump.
void UpdateSyringeSize(TPumpDetails& details);

} // namespace UnitMain

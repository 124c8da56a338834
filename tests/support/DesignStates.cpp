#include "support/DesignStates.h"

#include "design/FluidDesigner.h"

namespace TestSupport {

using Design::TSnapshotInput;
using GasMixtures::TGasItem;
using UnitMain::TMoistrelState;

void SetGas(SerialPortVogtlin::TMFCDetails& mfc, const std::string& port, const std::string& name,
            float rangeMax, float rangeMin) {
    mfc.ComPortName = port;
    mfc.Validated = true;
    mfc.ActiveLUT = 3;
    SerialPortVogtlin::TLUTData& table = mfc.LUT[1];
    table.NameShort = name;
    table.NameOwn = name;
    table.RangeMax = rangeMax;
    table.RangeMin = rangeMin;
}

// Designs a liquid from (substance, grams) rows and assigns it to the pump, as "Apply and save" does.
void AssignLiquid(TMoistrelState& state, const std::string& name,
                  std::initializer_list<std::pair<GasMixtures::TGasItems, double>> rows, double density) {
    Design::TFluidDesignInput input;
    std::size_t i = 0;
    for (const auto& [gas, grams] : rows) {
        input.Rows[i].ItemIndex = static_cast<int>(gas);
        input.Rows[i].ItemText = GasMixtures::GasItemsLongNames()[static_cast<std::size_t>(gas)];
        input.Rows[i].Mass_g = grams;
        ++i;
    }
    input.MixtureName = name;
    input.Density = density;
    input.SyringeVolume_ul = state.PumpDetails.SYRINGE_VOLUMEul;
    const Design::TFluidDesignResult designed = Design::FluidMixtureCalculation(state.DesignedMixture, input);
    state.DesignedMixture = designed.DesignedMixture;
    Design::TFluidAssignInput assign;
    assign.MixtureName = name;
    assign.Density = density;
    assign.MolarMass = designed.MolarMass;
    assign.MolPerML = designed.MolPerML;
    assign.PPMLimit = state.PumpDetails.FLUID_MAX_PPM;
    Design::AssignFluidMixtureToPump(state.PumpDetails, state.DesignedMixture, assign);
}

// Validated instruments: O2 on MFC A (lowest flow 300 µg/min), N2 on MFC B, water in the pump.
TMoistrelState ValidatedState() {
    TMoistrelState state;
    state.MixerState = UnitMain::msValidated;
    state.MFCADemonstration = false;
    state.MFCBDemonstration = false;
    SetGas(state.MFCADetails, "ttyUSB1", "O2", 0.03F, 0.0003F);
    SetGas(state.MFCBDetails, "ttyUSB2", "N2", 0.1F, 0.001F);
    state.PumpDetails.Port = "ttyUSB0";
    AssignLiquid(state, "Water pure", {{GasMixtures::gH2O, 1000.0}}, 0.997735);
    return state;
}

TSnapshotInput DesignScreen(std::int64_t a, std::int64_t b, double c) {
    TSnapshotInput input;
    input.FlowA = a;
    input.FlowB = b;
    input.AchievableC = c;
    input.PumpCommand = "/1TgV48000IA192000V64OA0G0R";
    input.StepDuration = 0.75;
    input.DemoA = {"O2demo", 31.9988};
    input.DemoB = {"Ardemo", 39.948};
    input.CustomTempC = 20.0;
    input.CustomPressure_mbar = 1500.0;
    return input;
}

} // namespace TestSupport

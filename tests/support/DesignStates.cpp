#include "support/DesignStates.h"

#include "design/FlowSetPoints.h"
#include "design/FluidDesigner.h"

#include <stdexcept>

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
    Design::TLiquidParts parts;
    if (rows.size() > parts.size()) {
        throw std::invalid_argument("a liquid has at most " + std::to_string(parts.size()) + " substances");
    }
    std::size_t i = 0;
    for (const auto& [gas, grams] : rows) {
        parts[i++] = {static_cast<int>(gas), grams};
    }
    Design::DesignAndAssignLiquid(state, name, parts, density);
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

void ValidatedOnPorts(TMoistrelState& state, const std::string& pumpPort, const std::string& mfcAPort,
                      const std::string& mfcBPort) {
    const TMoistrelState validated = ValidatedState();
    state.MFCADetails = validated.MFCADetails;
    state.MFCBDetails = validated.MFCBDetails;
    state.MFCADetails.ComPortName = mfcAPort;
    state.MFCADetails.ModBusAddress = 1;
    state.MFCADetails.MFCName = "MFC A";
    state.MFCBDetails.ComPortName = mfcBPort;
    state.MFCBDetails.ModBusAddress = 2;
    state.MFCBDetails.MFCName = "MFC B";
    state.PumpDetails.Port = pumpPort;
    state.MixerState = UnitMain::msValidated;
}

GasMixtures::TGasItem Flow(std::int32_t instrument, float mass, float pulsed,
                           const std::string& pumpCommand) {
    GasMixtures::TGasItem flow;
    flow.Init();
    flow.InstrumentID = instrument;
    flow.Mass = mass;
    flow.Pulsed = pulsed;
    flow.PumpCommand = pumpCommand;
    flow.Fluid = instrument == 2;
    flow.GasNameMFC = instrument == 0 ? "O2" : instrument == 1 ? "N2" : "MIX_Water pure";
    flow.GasNameLong = instrument == 0 ? "Oxygen" : instrument == 1 ? "Nitrogen" : "Water pure";
    return flow;
}

GasMixtures::TGasItem Segment(const std::string& name, double hours,
                              std::vector<GasMixtures::TGasItem> flows) {
    GasMixtures::TGasItem segment;
    segment.Init();
    segment.StepName = name;
    segment.StepTime = hours;
    segment.Valid = true;
    segment.Components = std::move(flows);
    return segment;
}

GasMixtures::TGasItem DesignedSegment(const TMoistrelState& state, const std::string& name, double hours,
                                      std::int64_t a, std::int64_t b, double askedC) {
    Design::TFluidFlowInput fluid;
    fluid.DurationHours = hours;
    fluid.FieldValue = askedC;
    fluid.Pump = Design::PumpSetupOf(state.PumpDetails);
    const Design::TFluidFlowResult pump = Design::FluidFlowUpdate(fluid);
    TSnapshotInput input;
    input.FlowA = a;
    input.FlowB = b;
    input.AchievableC = pump.Achievable;
    input.PumpCommand = pump.PumpCommand;
    input.StepComments = name;
    input.StepDuration = hours;
    const UnitMain::TDesignInputs& design = state.DesignInputs;
    input.DemoA = {design.DemoA.Name, design.DemoA.Mass};
    input.DemoB = {design.DemoB.Name, design.DemoB.Mass};
    input.CustomTempC = design.CustomTempC;
    input.CustomPressure_mbar = design.CustomPressure_mbar;
    return Design::CreateMixture(state, input);
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

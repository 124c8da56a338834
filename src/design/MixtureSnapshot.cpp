#include "design/MixtureSnapshot.h"

#include "design/FlowSetPoints.h"
#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"
#include "model/MixtureReport.h"

#include <string>

namespace Design {

using GasMixtures::TGasItem;
using UnitMain::TMFCSide;

namespace {

// One gas flow of an MFC: the catalogue gas of its active table, or the demonstration gas while
// that MFC runs on demonstration values in simulation.
TGasItem GasFlow(const UnitMain::TMoistrelState& state, TMFCSide side, std::int64_t flow,
                 const TDemoGas& demo) {
    const SerialPortVogtlin::TMFCDetails& mfc = state.MFCDetails(side);
    const SerialPortVogtlin::TLUTData* entry = UnitMain::ActiveLUTData(mfc);
    const auto mass = static_cast<float>(static_cast<double>(flow) / MicrogramsPerGram);

    TGasItem item;
    item.Init();
    GasMixtures::FillCatalogueGas(
        GasMixtures::FindCatalogueGas(entry != nullptr ? entry->NameShort : std::string()), item, mass);
    if (state.MixerState == UnitMain::msSimulation && state.Demonstration(side)) {
        item.GasNameMFC = demo.Name;
        item.GasNameLong = demo.Name;
        item.MolarMass = static_cast<float>(demo.MolarMass);
    }
    item.InstrumentID = side == TMFCSide::msA ? 0 : 1;
    item.InstrumentPort = mfc.ComPortName;
    item.Pulsed = 1.0F;
    if (side == TMFCSide::msA && entry != nullptr) {
        // Below its lowest flow MFC A is pulsed between a low flow and zero; Pulsed is the share of
        // the low flow that the average must reach.
        const double m = static_cast<double>(flow) / MicrogramsPerGram;
        const auto lowest = static_cast<double>(entry->RangeMin);
        if (lowest > 0.0 && m < lowest) {
            item.Pulsed = static_cast<float>(m / lowest);
        }
    }
    return item;
}

TGasItem FluidFlow(const UnitMain::TMoistrelState& state, const TSnapshotInput& input) {
    const UnitMain::TPumpDetails& pump = state.PumpDetails;
    TGasItem item = pump.Fluid;
    item.GasNameMFC = "MIX_" + item.GasNameLong;
    item.InstrumentID = 2;
    item.InstrumentPort = pump.Port;
    item.PumpCommand = input.PumpCommand;
    item.Pulsed = 1.0F;
    item.Fluid = true;
    item.FluidMaxPPM = pump.FLUID_MAX_PPM;
    item.Mass = static_cast<float>(input.AchievableC / MicrogramsPerGram);

    // The liquids share the C mass flow in the proportion of the designed recipe. Each one is an
    // evaporated substance of the pump's fluid, so each is held to the operator's ppm limit.
    double total = 0.0;
    for (const TGasItem& liquid : item.Components) {
        if (!liquid.GasNameMFC.empty()) {
            total += static_cast<double>(liquid.Mass);
        }
    }
    for (TGasItem& liquid : item.Components) {
        if (liquid.GasNameMFC.empty()) {
            continue;
        }
        liquid.CustTempC = static_cast<float>(input.CustomTempC);
        liquid.CustPressmBar = static_cast<float>(input.CustomPressure_mbar);
        liquid.Fluid = true;
        liquid.FluidMaxPPM = pump.FLUID_MAX_PPM;
        if (total > 0.0) {
            liquid.Mass =
                static_cast<float>(static_cast<double>(liquid.Mass) / total * static_cast<double>(item.Mass));
        }
    }
    return item;
}

} // namespace

TGasItem CreateMixture(const UnitMain::TMoistrelState& state, const TSnapshotInput& input) {
    TGasItem result;
    result.Init();
    TGasItem a;
    a.Init();
    TGasItem b;
    b.Init();
    TGasItem c;
    c.Init();

    if (input.FlowA > 0) {
        a = GasFlow(state, TMFCSide::msA, input.FlowA, input.DemoA);
    }
    if (input.FlowB > 0) {
        b = GasFlow(state, TMFCSide::msB, input.FlowB, input.DemoB);
    }
    if (input.AchievableC > 0.0) {
        c = FluidFlow(state, input);
    }

    if (a.GasNameMFC.empty() && b.GasNameMFC.empty() && c.GasNameMFC.empty()) {
        return result;
    }

    result.StepName = !input.StepComments.empty() ? input.StepComments
                                                  : "ID:" + std::to_string(state.SegmentProgram.size() + 1);
    result.StepTime = input.StepDuration;
    result.Valid = true;
    for (const TGasItem* flow : {&a, &b, &c}) {
        if (!flow->GasNameMFC.empty()) {
            result.Components.push_back(*flow);
        }
    }
    return result;
}

std::string DesignPanelText(const TGasItem& snapshot, double customTempC, double customPressure_mbar) {
    if (snapshot.Components.empty()) {
        return {};
    }
    std::string text = GasMixtures::MachineRecipeAsString(snapshot);
    GasMixtures::TGasItemDictionary totals;
    GasMixtures::AddMixtureToGasTotals(snapshot, totals);
    // The verdict on Valid is the segment editor's business; the panel only shows the analysis.
    TGasItem judged = snapshot;
    text += GasMixtures::AnalyseMixture(totals, judged, customTempC, customPressure_mbar);
    return text;
}

std::string ShowMixture2(const UnitMain::TMoistrelState& state, const TSnapshotInput& input) {
    return DesignPanelText(CreateMixture(state, input), input.CustomTempC, input.CustomPressure_mbar);
}

} // namespace Design

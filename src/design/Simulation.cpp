#include "design/Simulation.h"

#include "base/Rounding.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>

namespace Design {

namespace {

// Writes one MFC's demonstration table; true when anything the flows depend on changed.
bool ApplyToMFC(SerialPortVogtlin::TMFCDetails& mfc, const TDemoValues& values) {
    SerialPortVogtlin::TLUTData& table = mfc.LUT[0];
    const SerialPortVogtlin::TMFCDetails before = mfc;

    mfc.Validated = true;
    mfc.ActiveLUT = SerialPortVogtlin::FirstGasTable;
    table.LUTNumber = SerialPortVogtlin::FirstGasTable;
    table.NameShort = values.Name;
    table.NameCustom = values.Name;
    table.NameOwn = values.Name;
    table.AtomicMass = static_cast<float>(values.Mass);
    table.UnitType = "g/min";
    table.RangeMax = static_cast<float>(values.Range);
    // A turn-down ratio cannot be negative; the unsigned count holds 0 for one typed so.
    const double turndown = std::isfinite(values.Turndown) ? values.Turndown : 0.0;
    const std::int64_t rounded = Base::RoundHalfEven(std::clamp(turndown, 0.0, 4294967295.0));
    table.RangeDynamic = static_cast<std::uint32_t>(rounded);
    if (values.Turndown > 0.0) {
        table.RangeMin = static_cast<float>(values.Range / values.Turndown);
    }
    table.Totalizer1 = 0.0F;

    const SerialPortVogtlin::TLUTData& old = before.LUT[0];
    return before.Validated != mfc.Validated || before.ActiveLUT != mfc.ActiveLUT ||
           old.NameOwn != table.NameOwn || old.NameShort != table.NameShort ||
           old.AtomicMass != table.AtomicMass || old.RangeMax != table.RangeMax ||
           old.RangeMin != table.RangeMin;
}

} // namespace

TSimulationApplied ApplysimulationValues(UnitMain::TMoistrelState& state, const TDemoValues& a,
                                         const TDemoValues& b) {
    TSimulationApplied applied;
    if (state.MixerState != UnitMain::msSimulation) {
        return applied;
    }
    applied.Applied = true;
    if (state.MFCADemonstration) {
        applied.ChangedA = ApplyToMFC(state.MFCADetails, a);
    }
    if (state.MFCBDemonstration) {
        applied.ChangedB = ApplyToMFC(state.MFCBDetails, b);
    }
    return applied;
}

std::optional<TDemoPreset> ButtonMFCAAirClick(std::string_view buttonName) {
    using UnitMain::TMFCSide;
    struct TRow {
        std::string_view Button;
        TMFCSide Side;
        std::string_view Caption;
        std::string_view Gas;
        double Mass;
    };
    static constexpr std::array<TRow, 4> Presets = {{
        {"ButtonMFCAAir", TMFCSide::msA, "A-Component: Air", "Air", 28.9647},
        {"ButtonMFCAH2", TMFCSide::msA, "A-Component: H2", "H2", 2.01588},
        {"ButtonMFCBAir", TMFCSide::msB, "B-Component: Air", "Air", 28.9647},
        {"ButtonMFCBN2", TMFCSide::msB, "B-Component: N2", "N2", 28.0134},
    }};
    for (const TRow& row : Presets) {
        if (row.Button == buttonName) {
            return TDemoPreset{row.Side, std::string(row.Caption), std::string(row.Gas), row.Mass};
        }
    }
    return std::nullopt;
}

} // namespace Design

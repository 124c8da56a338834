#pragma once
// The snapshot of the design screen as one segment: its components are the A gas of MFC A, the B
// gas of MFC B and the C liquid of the pump, each present only when it carries a flow, each with
// what the run needs to deliver it. The segment editor stores exactly this item; the design panel
// (Memo1) shows its machine recipe and its mixture analysis.

#include "model/GasItem.h"
#include "state/MoistrelState.h"

#include <cstdint>
#include <string>

namespace Design {

// The demonstration gas of one MFC ("Demo values" on the debug page).
struct TDemoGas {
    std::string Name;     // EditY1DemoName / EditY2DemoName
    double MolarMass = 0; // RtDoubleEditY1DemoMass / RtDoubleEditY2DemoMass
};

// What the snapshot reads from the screen.
struct TSnapshotInput {
    std::int64_t FlowA = 0;    // RtIntegerEditY1Flow, µg/min
    std::int64_t FlowB = 0;    // RtIntegerEditY2Flow, µg/min
    double AchievableC = 0.0;  // RtDoubleEditAchievableFluid, µg/min
    std::string PumpCommand;   // Label30
    std::string StepComments;  // EditStepComments
    double StepDuration = 0.0; // RtDoubleEditStepDuration, hours
    TDemoGas DemoA;
    TDemoGas DemoB;
    double CustomTempC = 0.0;         // RtDoubleEditCustomTemp
    double CustomPressure_mbar = 0.0; // RtDoubleEditCustomPressure
};

// Builds the segment from the current design. Without any flow the result has no components.
GasMixtures::TGasItem CreateMixture(const UnitMain::TMoistrelState& state, const TSnapshotInput& input);

// The design panel text for the current design: the machine recipe of the snapshot followed by its
// mixture analysis; empty when the design has no flow.
std::string ShowMixture2(const UnitMain::TMoistrelState& state, const TSnapshotInput& input);

// The same for a snapshot already made.
std::string DesignPanelText(const GasMixtures::TGasItem& snapshot, double customTempC,
                            double customPressure_mbar);

} // namespace Design

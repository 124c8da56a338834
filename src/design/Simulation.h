#pragma once
// Simulation: until the instruments are validated each MFC's gas table 2 holds one demonstration
// gas taken from the "Demo values" box, so flows can be designed without hardware. Only an MFC whose
// tables were not read from an instrument gets them (TMoistrelState::MFCADemonstration /
// MFCBDemonstration).

#include "state/MoistrelState.h"

#include <optional>
#include <string>
#include <string_view>

namespace Design {

// The demonstration fields of one MFC.
struct TDemoValues {
    std::string Name;      // "Gas name"
    double Mass = 0.0;     // "Gas mass", g/mol
    double Range = 0.0;    // "MFC range g/min"
    double Turndown = 0.0; // "MFC turndown ratio"
};

struct TSimulationApplied {
    bool Applied = false; // the mixer is in simulation: the flows are to be refreshed
    // The MFC's simulated table changed: its flow field then follows its track bar within the new
    // range. An unchanged table leaves the flow the operator typed as it is.
    bool ChangedA = false;
    bool ChangedB = false;
};

// Writes the demonstration values into table 2 of each MFC still in demonstration, when the mixer
// is in simulation; in any other state nothing happens.
TSimulationApplied ApplysimulationValues(UnitMain::TMoistrelState& state, const TDemoValues& a,
                                         const TDemoValues& b);

// One preset button of the demonstration boxes.
struct TDemoPreset {
    UnitMain::TMFCSide Side = UnitMain::TMFCSide::msA;
    std::string BoxCaption; // caption of the component box
    std::string GasName;
    double GasMass = 0.0;
};

// The preset of the button with this objectName (ButtonMFCAAir, ButtonMFCAH2, ButtonMFCBAir,
// ButtonMFCBN2); none for any other.
std::optional<TDemoPreset> ButtonMFCAAirClick(std::string_view buttonName);

} // namespace Design

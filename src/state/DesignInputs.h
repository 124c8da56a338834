#pragma once
// The design values the operator types that no instrument record holds: the custom conditions, the
// two demonstration gases and the segment's duration and comment. The window writes them here as
// they are typed; the snapshot, the demonstration values, the settings file, the segment editor's
// recall and the run read them from here, never from the widgets.

#include "model/SegmentTarget.h"

#include <optional>
#include <string>

namespace UnitMain {

// The demonstration gas of one MFC ("Demo values").
struct TDemoInputs {
    std::string Name;      // "Gas name"
    double Mass = 0.0;     // "Gas mass", g/mol
    double Range = 0.0;    // "MFC range g/min"
    double Turndown = 0.0; // "MFC turndown ratio"
};

// Until the window has put its fields here at start-up these are the window's defaults as well, so
// a state used without a window designs the same mixture.
struct TDesignInputs {
    double CustomTempC = 75.0;
    double CustomPressure_mbar = 1500.0;
    TDemoInputs DemoA{"O2", 31.9988, 0.0358, 120.0};
    TDemoInputs DemoB{"Ar", 39.948, 0.0892, 100.0};
    double StepDuration_h = 0.75;
    std::string StepComments;
    // The target whose flows "Apply target" (or the recall of a segment of a target) put into the A,
    // B and C fields. A segment made of the design keeps it only while the fields still hold what
    // it solves to on the mixer as it stands; flows typed by hand make a segment without target.
    std::optional<GasMixtures::TTargetInput> AppliedTarget;
};

} // namespace UnitMain

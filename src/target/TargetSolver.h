#pragma once
// Set-points by target. The operator states what the gas leaving the mixer should hold (a relative
// humidity or a dew point of water at given conditions, or a concentration of one substance of the
// pump's liquid) and the carrier flow that MFC A and MFC B share; the solver gives the A, B and C
// fields that reach it, the pump command, the figure the mixer really achieves once the pump's
// speed steps are taken into account, and the range of the target reachable at that carrier flow.
//
// The achieved figure is never a second formula: the solver builds the segment as the design
// screen does (Design::CreateMixture) and runs the mixture report's own figures on it.

#include "model/GasItem.h"
#include "model/SegmentTarget.h"
#include "state/MoistrelState.h"

#include <cstdint>
#include <string>

namespace Target {

// The kinds of target, the target and the solver's input are the segment's own records, so that a
// segment keeps what it was solved for.
using GasMixtures::TCarrierUnit;
using GasMixtures::TTarget;
using GasMixtures::TTargetInput;
using GasMixtures::TTargetKind;

// The input with the design screen's custom conditions and everything else empty.
TTargetInput DefaultTargetInput(const UnitMain::TMoistrelState& state);

struct TTargetSolution {
    bool Ok = false;
    std::string Refusal; // why there is no solution, and what to change; empty when Ok

    std::int64_t FlowA_ugpm = 0; // the A field
    std::int64_t FlowB_ugpm = 0; // the B field
    double FlowC_ugpm = 0.0;     // the C field: the liquid flow asked of the pump, whole µg/min
    double AchievableC_ugpm = 0.0;
    bool APulsed = false; // MFC A below its lowest flow, pulsed
    float Pulsed = 1.0F;  // its share of the lowest flow
    std::int32_t PumpFrequency = 0;
    std::string PumpCommand;

    double Achieved = 0.0; // the target's figure the segment gives, in the target's unit
    // The target's figures at the pump's lowest and highest liquid flow; set whenever the carrier
    // and the liquid allow a solution at all, also for a target outside them.
    bool RangeKnown = false;
    double ReachableLow = 0.0;
    double ReachableHigh = 0.0;

    // The segment the design screen makes of these fields, keeping the target it was solved for.
    GasMixtures::TGasItem Segment;
};

// Solves the target on the mixer as it stands (the MFCs' active tables, or the demonstration gases
// in simulation, the pump's liquid, syringe and model).
TTargetSolution SolveTarget(const UnitMain::TMoistrelState& state, const TTargetInput& input);

// The target's figure in a segment at the input's conditions (NaN where it has none): the report's
// relative humidity, the dew point of its water, or the ppm of the substance.
double TargetFigure(const GasMixtures::TGasItem& segment, const TTarget& target, double pressure_mbar);

// The temperature (ºC) at which the saturation vapour pressure of water is `pressure_mbar`, to
// 0.001 ºC; over ice at and below 0 ºC. NaN for a pressure that is not positive and finite.
double DewPointC(double vapourPressure_mbar);

// The unit of a kind of target: "%", "ºC", "ppm".
std::string TargetUnit(TTargetKind kind);
// The lines beside the target box: "Achieved: 49.873 %" ("Achieved: none" without a solution), and
// "Reachable: 0.120 to 100.000 %" (or "Reachable: unknown" when the carrier or liquid give no range).
std::string AchievedText(const TTargetSolution& solution, TTargetKind kind);
std::string ReachableText(const TTargetSolution& solution, TTargetKind kind);

// The segment name of a target: "RH 50 %", "Td -10 ºC", "Ethanol 50 ppm".
std::string TargetName(const TTarget& target, const UnitMain::TMoistrelState& state);
// The same without a mixer: a ppm target's substance as it was given.
std::string TargetName(const TTarget& target);

} // namespace Target

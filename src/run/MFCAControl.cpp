#include "run/MFCAControl.h"

#include <cmath>

namespace UnitMain {

namespace {

// Whether the MFC reports the set-point last written. The register holds a 32-bit float, so the
// written value is compared as it was narrowed; a reading that is no number is no confirmation.
bool SetPointLost(const TMFCAControlInput& input) {
    if (!input.SetPointRead) {
        return false;
    }
    const auto written = static_cast<double>(static_cast<float>(input.CurrentSetFlow));
    return !(std::fabs(*input.SetPointRead - written) <= SetFlowTolerance);
}

// Whether `wanted` still has to be written: the last write was another value, or the MFC lost it.
bool NeedsWrite(const TMFCAControlInput& input, bool lost, double wanted) {
    return lost || std::fabs(input.CurrentSetFlow - wanted) > SetFlowTolerance;
}

} // namespace

TMFCAControl DecideMFCAControl(const TMFCAControlInput& input) {
    TMFCAControl control;
    control.SetPointLost = SetPointLost(input);
    if (!input.HasGasName || input.Mass == 0.0) {
        control.Mode = TMFCAMode::cmNoGas;
        // Written on every pass while flow is seen: a valve that did not close gets told again.
        if (input.CurrentObservedFlow > ObservedFlowThreshold) {
            control.SetPoint = 0.0;
        }
        return control;
    }
    if (input.Pulsed < PulsedLimit) {
        control.Mode = TMFCAMode::cmPulsed;
        // A rate of 0 is a segment that has only just begun: behind, so the first pass opens the valve.
        control.Ahead = input.RateSoFar != 0.0 && input.RateSoFar >= input.Mass;
        if (control.Ahead) {
            control.SetPoint = 0.0;
        } else if (NeedsWrite(input, control.SetPointLost, input.LowFlow)) {
            control.SetPoint = input.LowFlow;
        }
        return control;
    }
    control.Mode = TMFCAMode::cmConstant;
    if (NeedsWrite(input, control.SetPointLost, input.Mass)) {
        control.SetPoint = input.Mass;
    }
    return control;
}

} // namespace UnitMain

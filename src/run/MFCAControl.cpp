#include "run/MFCAControl.h"

#include <cmath>

namespace UnitMain {

TMFCAControl DecideMFCAControl(const TMFCAControlInput& input) {
    TMFCAControl control;
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
        } else if (std::fabs(input.CurrentSetFlow - input.LowFlow) > SetFlowTolerance) {
            control.SetPoint = input.LowFlow;
        }
        return control;
    }
    control.Mode = TMFCAMode::cmConstant;
    if (std::fabs(input.CurrentSetFlow - input.Mass) > SetFlowTolerance) {
        control.SetPoint = input.Mass;
    }
    return control;
}

} // namespace UnitMain

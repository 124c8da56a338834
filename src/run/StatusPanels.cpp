#include "run/StatusPanels.h"

#include "base/NumberFormat.h"

#include <cmath>
#include <string>

namespace UnitMain {

namespace {

const std::string NoReading = "no reading";

bool OutsideTolerance(double ratio) {
    return ratio < 0.95 || ratio > 1.05;
}

// The worker's mark of a failed reading is -1; a value that is no number is no reading either.
bool IsFailedReading(double flow) {
    return flow == -1.0 || !std::isfinite(flow);
}

} // namespace

TStatusTexts StatusPanelTexts(const TStatusInput& input) {
    using Base::FormatMask;
    TStatusTexts texts;
    std::string warningA;
    if (input.AMass <= 0.0) {
        texts[0] = "Gas A flow: ?";
    } else if (IsFailedReading(input.FlowAObserved)) {
        // A silent MFC A warns whatever the mode: its moving average stands still, it does not measure.
        texts[0] = "Gas A flow: " + NoReading;
        warningA = "Flow A Warning";
    } else {
        texts[0] = "Gas A flow: " + FormatMask("0", input.FlowAObserved / input.AMass * 100.0) + " % of " +
                   FormatMask("0.000 000", input.AMass) + " g/min";
        // A pulsed flow is judged by its moving average: the instantaneous flow is either the pulse
        // flow or zero.
        const double ratio =
            input.APulsed < 1.0 ? input.FlowAMovingAverage / input.AMass : input.FlowAObserved / input.AMass;
        if (OutsideTolerance(ratio)) {
            warningA = "Flow A Warning";
        }
    }
    texts[1] = "Gas A " + FormatMask("0.000", input.MovingAverageMinutes) + " min";
    if (input.AMass <= 0.0) {
        texts[1] += " average: ?";
    } else {
        texts[1] += " average: " + FormatMask("0", input.FlowAMovingAverage / input.AMass * 100.0) +
                    " % of " + FormatMask("0.000 000", input.AMass) + " g/min";
    }
    texts[2] = "Gas A segment average flow: " + FormatMask("0.000 000", input.FlowASoFar) + " g/min";
    std::string warningB;
    if (IsFailedReading(input.FlowBObserved)) {
        texts[3] = "Gas B flow: " + NoReading;
        if (input.BMass > 0.0) {
            warningB = " Flow B Warning";
        }
    } else if (input.BMass <= 0.0) {
        texts[3] = "Gas B flow: " + FormatMask("0.000 000", input.FlowBObserved) + " g/min";
    } else {
        const double ratio = input.FlowBObserved / input.BMass;
        texts[3] = "Gas B flow: " + FormatMask("0.000 000", ratio * 100.0) + " %";
        if (OutsideTolerance(ratio)) {
            warningB = " Flow B Warning";
        }
    }
    texts[4] = !warningA.empty() && !warningB.empty() ? warningA + " - " + warningB : warningA + warningB;
    return texts;
}

} // namespace UnitMain

#pragma once
// The five status panels of a running mixer, composed from the segment's set flows and the
// worker's latest figures: A's flow and its moving average against the set flow, A's segment
// average, B's flow, and the warnings when a flow strays more than 5 % from its set flow or an MFC
// gives no reading (-1).

#include <array>
#include <string>

namespace UnitMain {

struct TStatusInput {
    double AMass = 0.0;   // A's set flow, g/min
    double APulsed = 0.0; // A's share of its MFC's lowest flow; below 1 the flow is pulsed
    double BMass = 0.0;   // B's set flow, g/min
    double FlowAObserved = 0.0;
    double FlowASoFar = 0.0;
    double FlowBObserved = 0.0;
    double FlowAMovingAverage = 0.0;
    double MovingAverageMinutes = 0.0;
};

using TStatusTexts = std::array<std::string, 5>;

TStatusTexts StatusPanelTexts(const TStatusInput& input);

} // namespace UnitMain

#pragma once
// A segment's three flows by device, as the tick hands them over and the run data file records them.

#include "model/GasItem.h"

#include <string>

namespace UnitMain {

struct TSegmentFlows {
    GasMixtures::TGasItem A; // MFC A; an absent flow is all zero
    GasMixtures::TGasItem B; // MFC B
    GasMixtures::TGasItem C; // the pump's liquid
};

TSegmentFlows FlowsOf(const GasMixtures::TGasItem& segment);

// The pump's command for the segment: its liquid's, or the one that keeps the pump busy without
// dispensing when the segment has no liquid.
std::string PumpCommandOf(const TSegmentFlows& flows);

} // namespace UnitMain

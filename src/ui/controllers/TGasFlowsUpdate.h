#pragma once
// What the gas selection asks of the flows, without knowing who keeps them: the A and B flows
// brought into the ranges of the gases now active (FlowUpdateY1(true) and FlowUpdateY2(true)).

namespace UnitMain {

class TGasFlowsUpdate {
public:
    virtual ~TGasFlowsUpdate() = default;
    virtual void GasRangesChanged() = 0;
};

} // namespace UnitMain

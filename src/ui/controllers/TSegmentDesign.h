#pragma once
// What the segment editor asks of the flow design, without knowing who keeps it: the demonstration
// gases of the moment, the design as one segment, and the flows recomputed after a segment was
// loaded into the fields.

#include "model/GasItem.h"

namespace UnitMain {

class TSegmentDesign {
public:
    virtual ~TSegmentDesign() = default;
    // In simulation, the demonstration fields into the simulated gas tables and the A and B flows.
    virtual void ApplysimulationValues() = 0;
    // The current design as one segment; without any flow it has no components.
    [[nodiscard]] virtual GasMixtures::TGasItem CreateMixture() const = 0;
    // The C flow with its pump command and the duration label, from the fields.
    virtual void FluidFlowUpdate() = 0;
    // The three track bars (and what follows them) from the field values.
    virtual void UpdateTrackbars() = 0;
};

} // namespace UnitMain

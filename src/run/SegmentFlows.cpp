#include "run/SegmentFlows.h"

#include "model/GasCatalogue.h"
#include "model/GasItemDictionary.h"

namespace UnitMain {

TSegmentFlows FlowsOf(const GasMixtures::TGasItem& segment) {
    GasMixtures::TGasItemDictionary flows;
    GasMixtures::IndexComponentsByInstrument(segment, flows);
    return {flows.Get("0"), flows.Get("1"), flows.Get("2")};
}

std::string PumpCommandOf(const TSegmentFlows& flows) {
    return flows.C.PumpCommand.empty() ? "/1TIV48000A192000R" : flows.C.PumpCommand;
}

} // namespace UnitMain

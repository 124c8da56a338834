#include "state/MoistrelState.h"

#include <type_traits>

namespace UnitMain {

SerialPortVogtlin::TMFCDetails& TMoistrelState::MFCDetails(TMFCSide side) {
    return side == TMFCSide::msA ? MFCADetails : MFCBDetails;
}

const SerialPortVogtlin::TMFCDetails& TMoistrelState::MFCDetails(TMFCSide side) const {
    return side == TMFCSide::msA ? MFCADetails : MFCBDetails;
}

bool& TMoistrelState::Demonstration(TMFCSide side) {
    return side == TMFCSide::msA ? MFCADemonstration : MFCBDemonstration;
}

bool TMoistrelState::Demonstration(TMFCSide side) const {
    return side == TMFCSide::msA ? MFCADemonstration : MFCBDemonstration;
}

namespace {

template <typename TDetails> auto* ActiveEntry(TDetails& mfc) {
    using TEntry = std::remove_reference_t<decltype(mfc.LUT[0])>;
    TEntry* entry = nullptr;
    if (mfc.ActiveLUT >= SerialPortVogtlin::FirstGasTable &&
        mfc.ActiveLUT <= SerialPortVogtlin::LastGasTable) {
        entry = &mfc.LUT[mfc.ActiveLUT - SerialPortVogtlin::FirstGasTable];
    }
    return entry;
}

} // namespace

const SerialPortVogtlin::TLUTData* ActiveLUTData(const SerialPortVogtlin::TMFCDetails& mfc) {
    return ActiveEntry(mfc);
}

SerialPortVogtlin::TLUTData* ActiveLUTData(SerialPortVogtlin::TMFCDetails& mfc) {
    return ActiveEntry(mfc);
}

void RecordMFCIdentification(TMoistrelState& state, TMFCSide side, bool identified) {
    state.Demonstration(side) = !identified;
}

} // namespace UnitMain

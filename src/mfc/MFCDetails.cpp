#include "mfc/MFCDetails.h"

#include <utility>

namespace SerialPortVogtlin {

void ResetLUTData(TLUTData& data, std::size_t index) {
    TLUTData fresh;
    fresh.LUTNumber = static_cast<std::uint32_t>(index) + FirstGasTable;
    fresh.NameOwn = std::move(data.NameOwn);
    fresh.TotalizerUnit = std::move(data.TotalizerUnit);
    data = std::move(fresh);
}

} // namespace SerialPortVogtlin

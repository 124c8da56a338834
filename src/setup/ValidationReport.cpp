#include "setup/ValidationReport.h"

#include "base/NumberFormat.h"

namespace Setup {

std::string MFCQueryLine(const std::string& port, std::uint32_t address) {
    return "Query port : " + port + " Addr:" + std::to_string(address);
}

std::vector<std::string> MFCValidationReport(const SerialPortVogtlin::TMFCDetails& mfc, bool repeatUnitLine) {
    if (!mfc.Validated) {
        return {" -> Nothing found on this port"};
    }
    std::vector<std::string> lines{" -> MFC found", " -> Serial: " + std::to_string(mfc.Serial),
                                   " -> Gases listed"};
    for (const SerialPortVogtlin::TLUTData& table : mfc.LUT) {
        if (table.NameShort.empty()) {
            break;
        }
        lines.push_back(" -> Gas         : " + table.NameShort);
        lines.push_back(" -> Unit        : " + table.UnitType);
        lines.push_back(" -> Max         : " + Base::FormatMask("0.000 000", table.RangeMax));
        lines.push_back(" -> Min         : " + Base::FormatMask("0.000 000", table.RangeMin));
        if (repeatUnitLine) {
            lines.push_back(" -> Unit        : " + table.UnitType);
        }
        lines.push_back(" -> Tot unit    : " + table.TotalizerUnit);
        lines.emplace_back("----------------------------");
    }
    return lines;
}

} // namespace Setup

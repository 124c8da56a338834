#pragma once
// The lines the validation writes about one MFC into the setup feedback: the window's validation
// and the technicians' probe tool print the same report.

#include "mfc/MFCDetails.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Setup {

// "Query port : COM3 Addr:1"
std::string MFCQueryLine(const std::string& port, std::uint32_t address);

// After IdentifyMFC: " -> MFC found", the serial number, " -> Gases listed" and one block per gas
// table up to the first absent one; or " -> Nothing found on this port". MFC B's blocks repeat the
// unit line after the minimum (repeatUnitLine).
std::vector<std::string> MFCValidationReport(const SerialPortVogtlin::TMFCDetails& mfc, bool repeatUnitLine);

} // namespace Setup

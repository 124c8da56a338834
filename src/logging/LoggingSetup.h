#pragma once
// Sets up the diagnostic logger once at start-up from the logging mode of the settings:
// 0 off, 1 live (log file and live display), 2 log file. Other values count as off.

#include "base/DateTime.h"

#include <string>

namespace Logging {

inline constexpr int lmOff = 0;
inline constexpr int lmLive = 1;
inline constexpr int lmFile = 2;

// `now` names the log file ("MoistrelLog yyyy-mm-dd hh_mm_ss.csl"); `folder` is where it goes
// (the program's folder in the program). Sends "Logging system initialized" in every mode, which
// goes nowhere when logging is off.
void SetupDiagnosticLogging(int loggingMode, Base::TDateTime now, const std::string& folder);

} // namespace Logging

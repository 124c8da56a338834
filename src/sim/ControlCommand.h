#pragma once
// The text commands of the sim's control channel (the `control` FIFO in the sim folder and the
// standard input of `moistrel-sim`), one per line:
//   fault DEVICE FAULT on|off     inject or clear a fault, e.g. "fault mfc-a silent on"
//   unplug DEVICE / replug DEVICE the same as "fault DEVICE unplugged on|off"
//   table-change MFC keep|zero    what the MFC's set-point does when a gas table is selected
//   status                        one line per instrument: faults, set-point, flow, pump state
//   help                          this list
// DEVICE is pump, mfc-a or mfc-b; FAULT one of the names of FaultName.

#include "sim/Simulator.h"

#include <string>
#include <string_view>

namespace Sim {

// Carries out one command line and returns the text to show (one or more lines, each ending in
// "\n"); an unknown or malformed command gives a line beginning with "error:".
std::string ApplyControlCommand(TSimulator& simulator, std::string_view line);

std::string ControlCommandHelp();

} // namespace Sim

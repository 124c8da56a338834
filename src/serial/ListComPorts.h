#pragma once
// The serial ports the program offers in its port lists.

#include <string>
#include <vector>

namespace SerialPort {

// The machine's real serial devices ("ttyUSB0", "ttyS0", ...) followed by every path named in the
// environment variable MOISTREL_SERIAL_PORTS (colon-separated; the virtual instruments' links).
// Every name opens with TSerialPort::fPort as it stands.
std::vector<std::string> ListComPorts();

} // namespace SerialPort

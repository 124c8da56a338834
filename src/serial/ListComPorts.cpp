#include "serial/ListComPorts.h"

#include "serial/ComDevice.h"

#include <cstdlib>
#include <string_view>

namespace SerialPort {

std::vector<std::string> ListComPorts() {
    std::vector<std::string> ports = SerialDeviceNames();
    const char* extra = std::getenv("MOISTREL_SERIAL_PORTS");
    if (extra == nullptr) {
        return ports;
    }
    std::string_view rest(extra);
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view item = rest.substr(0, colon);
        if (!item.empty()) {
            ports.emplace_back(item);
        }
        if (colon == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(colon + 1);
    }
    return ports;
}

} // namespace SerialPort

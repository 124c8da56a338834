#pragma once
// Lists the given ports (through MOISTREL_SERIAL_PORTS) beside the machine's own serial devices for
// as long as the object lives, then puts the variable back as it was.

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

namespace TestSupport {

class TScopedSerialPorts {
public:
    explicit TScopedSerialPorts(const std::vector<std::string>& ports) {
        if (const char* old = std::getenv(Variable)) {
            fSaved = old;
        }
        std::string list;
        for (const std::string& port : ports) {
            list += (list.empty() ? "" : ":") + port;
        }
        ::setenv(Variable, list.c_str(), 1);
    }
    ~TScopedSerialPorts() {
        if (fSaved) {
            ::setenv(Variable, fSaved->c_str(), 1);
        } else {
            ::unsetenv(Variable);
        }
    }
    TScopedSerialPorts(const TScopedSerialPorts&) = delete;
    TScopedSerialPorts& operator=(const TScopedSerialPorts&) = delete;

private:
    static constexpr const char* Variable = "MOISTREL_SERIAL_PORTS";
    std::optional<std::string> fSaved;
};

} // namespace TestSupport

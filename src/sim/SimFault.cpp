#include "sim/SimFault.h"

#include <array>

namespace Sim {

namespace {

constexpr std::array<std::string_view, SimDeviceCount> DeviceNames = {"pump", "mfc-a", "mfc-b"};
constexpr std::array<std::string_view, SimFaultCount> FaultNames = {
    "silent",     "bad-crc",   "wrong-length", "exception",
    "never-idle", "port-held", "unplugged",    "stuck-set-point"};

} // namespace

std::string_view DeviceName(TSimDevice device) {
    return DeviceNames.at(static_cast<std::size_t>(device));
}

std::optional<TSimDevice> ParseDevice(std::string_view name) {
    for (std::size_t i = 0; i < DeviceNames.size(); ++i) {
        if (DeviceNames[i] == name) {
            return static_cast<TSimDevice>(i);
        }
    }
    return std::nullopt;
}

std::string_view FaultName(TSimFault fault) {
    return FaultNames.at(static_cast<std::size_t>(fault));
}

std::optional<TSimFault> ParseFault(std::string_view name) {
    for (std::size_t i = 0; i < FaultNames.size(); ++i) {
        if (FaultNames[i] == name) {
            return static_cast<TSimFault>(i);
        }
    }
    return std::nullopt;
}

bool FaultApplies(TSimDevice device, TSimFault fault) {
    switch (fault) {
    case sfBadCrc:
    case sfException:
    case sfStuckSetPoint:
        return device != sdPump;
    case sfNeverIdle:
        return device == sdPump;
    default:
        return true;
    }
}

} // namespace Sim

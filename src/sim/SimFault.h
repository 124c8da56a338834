#pragma once
// The three virtual instruments and the faults that can be injected into them.

#include <optional>
#include <string>
#include <string_view>

namespace Sim {

enum TSimDevice { sdPump, sdMfcA, sdMfcB };
inline constexpr int SimDeviceCount = 3;

enum TSimFault {
    sfSilent,        // the instrument neither acts on nor answers anything
    sfBadCrc,        // MFC: replies carry a corrupted CRC
    sfWrongLength,   // MFC: replies lose their last byte; pump: answers cut to two characters
    sfException,     // MFC: every request gets exception reply 4 (device failure)
    sfNeverIdle,     // pump: the status character always says busy
    sfPortHeld,      // another process holds the port (the sim takes a flock on it)
    sfUnplugged,     // the port is gone: link removed, pseudo-terminal closed
    sfStuckSetPoint, // MFC: the set-point register reads 1.0 whatever was written (writes still act)
};
inline constexpr int SimFaultCount = 8;

// Link names in the sim folder: "pump", "mfc-a", "mfc-b".
std::string_view DeviceName(TSimDevice device);
std::optional<TSimDevice> ParseDevice(std::string_view name);

// "silent", "bad-crc", "wrong-length", "exception", "never-idle", "port-held", "unplugged",
// "stuck-set-point".
std::string_view FaultName(TSimFault fault);
std::optional<TSimFault> ParseFault(std::string_view name);

// Whether the fault means something for the device (bad-crc, exception and stuck-set-point are
// MFC faults, never-idle a pump fault).
bool FaultApplies(TSimDevice device, TSimFault fault);

} // namespace Sim

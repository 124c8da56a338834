#pragma once
// The Status texts of a serial transaction. Callers and the setup reports show them to the
// operator, so they are kept word for word.

#include <string_view>

namespace SerialPort {

inline constexpr std::string_view StatusUnknownProblem = "Unknown problem reading serial port";
inline constexpr std::string_view StatusSetupFailed = "Failed to setup Com port, port in use";
inline constexpr std::string_view StatusTimeoutsFailed = "Failed to setup Com port timeouts";
inline constexpr std::string_view StatusBuffersFailed = "Failed to setup Com port buffer size";
inline constexpr std::string_view StatusWriteFailed = "Failed to write to Com port";
inline constexpr std::string_view StatusNoWait = "Exit read/write without waiting for reply";
inline constexpr std::string_view StatusTimeout = "Timeout while waiting for response";
inline constexpr std::string_view StatusReadFailed = "Failed to read from Com port";

} // namespace SerialPort

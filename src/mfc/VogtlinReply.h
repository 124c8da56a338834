#pragma once
// What a register read makes of the reply that SendData left in the response record: the checks of
// its length and the decoded value, the Status texts of the MFC reads. Pure, so every decoding can
// be checked without a port.

#include "serial/SerialResponse.h"

#include <cstdint>
#include <string_view>

namespace SerialPortVogtlin {

inline constexpr std::string_view StatusUnknownCondition = "Unknown condition";
inline constexpr std::string_view StatusNoResult = "No result to read";
inline constexpr std::string_view StatusWrongLength = "Wrong amount of data waiting";

// The value kinds a register read decodes.
enum class TVogtlinReadKind { vrU16, vrU32, vrS8, vrS50, vrF32 };

std::uint16_t RegisterCountOf(TVogtlinReadKind kind);

// After SendData: a reply of the expected length extends AsHex and AsInt, sets the decoded value
// and empties Status. Otherwise Status says why ("No result to read" when nothing came, else
// "Wrong amount of data waiting") and only a float read changes its value (to the NaN
// 0xFFC00000); the other decoded fields keep what the record held.
void DecodeReadReply(TVogtlinReadKind kind, SerialPort::TSerialResponse& response);

} // namespace SerialPortVogtlin

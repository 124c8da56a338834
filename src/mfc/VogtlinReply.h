#pragma once
// What a register read makes of the reply that SendData left in the response record: the checks a
// Modbus RTU reply must pass before it counts as data (length, CRC, device address, function code,
// byte count), the decoded value, the Status texts of the MFC reads. Pure, so every check and
// decoding can be looked at without a port.

#include "serial/SerialResponse.h"

#include <cstdint>
#include <string_view>

namespace SerialPortVogtlin {

inline constexpr std::string_view StatusUnknownCondition = "Unknown condition";
inline constexpr std::string_view StatusNoResult = "No result to read";
inline constexpr std::string_view StatusWrongLength = "Wrong amount of data waiting";
inline constexpr std::string_view StatusBadCrc = "Reply CRC wrong";
inline constexpr std::string_view StatusOtherAddress = "Reply from another device address";
inline constexpr std::string_view StatusOtherFunction = "Reply with another function code";
inline constexpr std::string_view StatusWrongByteCount = "Reply byte count wrong";

// The value kinds a register read decodes.
enum class TVogtlinReadKind { vrU16, vrU32, vrS8, vrS50, vrF32 };

std::uint16_t RegisterCountOf(TVogtlinReadKind kind);

// After SendData of a read (function 3) to deviceAddress (its low byte is on the wire); a whole,
// valid write acknowledgement of that device ahead of the reply (the late answer to an earlier
// write, which nobody reads) is passed over, and the reply is what follows it. A valid
// reply extends AsHex and AsInt, sets the decoded value and empties Status. A reply is valid when
// it has the expected length, its CRC holds, and it comes from that address with function 3 and
// the byte count of the registers asked for. Otherwise Status names the first check that failed,
// in that order ("No result to read" when nothing came, "Wrong amount of data waiting" for another
// length, an exception reply included), and only a float read changes its value (to the NaN
// 0xFFC00000); the other decoded fields keep what the record held.
void DecodeReadReply(TVogtlinReadKind kind, std::uint32_t deviceAddress,
                     SerialPort::TSerialResponse& response);

// The Status a reply of the record gets from the checks above: empty for a valid reply.
std::string_view CheckReadReply(TVogtlinReadKind kind, std::uint32_t deviceAddress,
                                const SerialPort::TSerialResponse& response);

} // namespace SerialPortVogtlin

#pragma once
// The Modbus RTU frames the MFCs are spoken to with, as pure functions: request builders and
// reply decoders. TVogtlinPort puts them on the wire; keeping them apart lets them be checked
// byte for byte without a port.
//
// Requests: address, function, register (high byte first), payload, CRC (low byte first).
// Read replies are: address, function, byte count, register data, CRC; VogtlinReply checks each. Register
// data is most significant byte first; a 32-bit value has its high half in the first register; text is one
// character per byte, first character in the high byte.

#include "modbus/ModbusCrc.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace SerialPortVogtlin {

using TFrame = std::vector<std::uint8_t>;

inline constexpr std::uint8_t fnReadHoldingRegisters = 3;
inline constexpr std::uint8_t fnWriteSingleRegister = 6;
inline constexpr std::uint8_t fnWriteMultipleRegisters = 16;

// Registers per value kind.
inline constexpr std::uint16_t RegistersU16 = 1;
inline constexpr std::uint16_t RegistersU32 = 2;
inline constexpr std::uint16_t RegistersF32 = 2;
inline constexpr std::uint16_t RegistersS8 = 4;
inline constexpr std::uint16_t RegistersS50 = 25;

inline constexpr std::size_t TextLengthS8 = 8;
inline constexpr std::size_t TextLengthS50 = 50;

// What a failed float read leaves in AsFloat: the quiet NaN 0xFFC00000.
inline constexpr std::uint32_t FailedFloatPattern = 0xFFC00000U;
float FailedReadFloat();

// Read holding registers (function 3): 8 bytes.
TFrame BuildReadRequest(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                        std::uint16_t registerCount);
// Write single register (function 6): 8 bytes.
TFrame BuildWriteSingleRequest(std::uint32_t deviceAddress, std::uint32_t memoryAddress, std::uint16_t value);
// Write multiple registers (function 16) with the given register data (an even number of bytes).
TFrame BuildWriteMultipleRequest(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                                 std::span<const std::uint8_t> data);
// One register with the low 16 bits of value: 11 bytes.
TFrame BuildWriteU16Request(std::uint32_t deviceAddress, std::uint32_t memoryAddress, std::uint32_t value);
// Two registers with the IEEE 754 single pattern of value: 13 bytes.
TFrame BuildWriteF32Request(std::uint32_t deviceAddress, std::uint32_t memoryAddress, float value);
// 25 registers with the text (single-byte characters) cut or padded with blanks to 50: 59 bytes.
TFrame BuildWriteS50Request(std::uint32_t deviceAddress, std::uint32_t memoryAddress,
                            std::string_view singleByteText);

// Length of the reply to a read of registerCount registers.
constexpr std::size_t ExpectedReplyLength(std::uint16_t registerCount) {
    return 5U + 2U * static_cast<std::size_t>(registerCount);
}

// A device that refuses a request answers with an exception reply: address, the function code with
// its high bit set, an exception code and the CRC.
inline constexpr std::uint8_t ExceptionFlag = 0x80;
inline constexpr std::size_t ExceptionReplyLength = 5;

// A device acknowledges a write (function 6 or 16) with 8 bytes: address, function, register,
// value or count, CRC. A write reads it inside its own transaction; one that comes later still
// (after the write gave up waiting) can land ahead of the next request's reply.
inline constexpr std::size_t WriteAcknowledgementLength = 8;

// Length of the whole answer to a write, judged from its first bytes: 0 until the function code is
// in, then 5 for an exception reply, else WriteAcknowledgementLength.
std::size_t WriteReplyLength(std::span<const std::uint8_t> received);

// What is wrong with the answer a write request received: empty for a whole, valid acknowledgement
// from the request's device that echoes its function, register and value or count. The answer
// does not decide the write (the request went out); the caller only logs a problem.
std::string WriteAcknowledgementProblem(std::span<const std::uint8_t> request,
                                        std::span<const std::uint8_t> received);

// Length of the whole reply to a read of registerCount registers, judged from its first bytes: 0
// until the function code is in, then 5 for an exception reply, else ExpectedReplyLength. A write
// acknowledgement ahead of the reply adds its 8 bytes (the reply is judged after it).
std::size_t ReadReplyLength(std::uint16_t registerCount, std::span<const std::uint8_t> received);

// Where the reply starts in what a read received: after a whole, valid write acknowledgement from
// the device ahead of it, else at 0.
std::size_t ReplyOffset(std::uint32_t deviceAddress, std::span<const std::uint8_t> received);

// Decoders over a whole reply (data starts at byte 3). A reply too short for the value gives 0 / "".
std::uint16_t DecodeU16(std::span<const std::uint8_t> reply);
std::uint32_t DecodeU32(std::span<const std::uint8_t> reply);
float DecodeF32(std::span<const std::uint8_t> reply);

// Space, % * , / digits letters and underscore; everything else is dropped from texts read.
bool IsAllowedTextCharacter(std::uint8_t byte);
// The allowed characters among the first `characters` data bytes, in order (not trimmed).
std::string DecodeText(std::span<const std::uint8_t> reply, std::size_t characters);
// Leading and trailing blanks removed (blanks only: no other control character survives decoding).
std::string TrimBlanks(std::string_view text);

// "01 03 " and "1 3 " style listings of bytes, appended to what the text holds.
void AppendHexListing(std::string& text, std::span<const std::uint8_t> bytes);
void AppendDecimalListing(std::string& text, std::span<const std::uint8_t> bytes);

} // namespace SerialPortVogtlin

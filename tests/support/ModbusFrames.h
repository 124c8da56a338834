#pragma once
// Modbus RTU frames built byte by byte on the test side, and the values read back out of replies.

#include <cstdint>
#include <string>
#include <vector>

namespace TestSupport {

using TBytes = std::vector<std::uint8_t>;

TBytes WithCrc(TBytes frame);    // the frame with its CRC appended
bool CrcOk(const TBytes& frame); // ends in the CRC of what comes before
TBytes ReadRequest(std::uint8_t address, std::uint16_t reg, std::uint16_t count);
TBytes WriteU8Request(std::uint8_t address, std::uint16_t reg, std::uint16_t value);  // function 6
TBytes WriteU16Request(std::uint8_t address, std::uint16_t reg, std::uint16_t value); // function 16
TBytes WriteF32Request(std::uint8_t address, std::uint16_t reg, float value);         // function 16
float F32Of(const TBytes& reply); // data bytes 0-3 of a read reply
std::uint32_t U32Of(const TBytes& reply);
std::uint16_t U16Of(const TBytes& reply);
std::string TextOf(const TBytes& reply); // data bytes up to the first NUL
std::string Hex(const TBytes& bytes);

} // namespace TestSupport

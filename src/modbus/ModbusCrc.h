#pragma once
// CRC-16 of Modbus RTU: start 0xFFFF, reflected polynomial 0xA001, no final XOR, computed byte-wise
// with a 256-entry table. The frame carries it low byte first.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace SerialPortVogtlin {

std::uint16_t ComputeCRC16(std::span<const std::uint8_t> bytes);

// Appends the CRC of the frame as it stands, low byte first. A frame followed by its own CRC
// computes to 0, which is how a receiver checks it.
void AppendCRC(std::vector<std::uint8_t>& frame);

} // namespace SerialPortVogtlin

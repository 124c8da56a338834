#pragma once
// CRC-16 of Modbus RTU: start 0xFFFF, reflected polynomial 0xA001, no final XOR, computed byte-wise
// with a 256-entry table. The frame carries it low byte first.

#include <cstddef>
#include <cstdint>
#include <span>

namespace SerialPortVogtlin {

std::uint16_t ComputeCRC16(std::span<const std::uint8_t> bytes);

} // namespace SerialPortVogtlin

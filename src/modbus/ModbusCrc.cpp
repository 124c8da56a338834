#include "modbus/ModbusCrc.h"

#include <array>

namespace SerialPortVogtlin {

namespace {

constexpr std::array<std::uint16_t, 256> MakeCrcTable() {
    std::array<std::uint16_t, 256> table{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1U) != 0 ? (crc >> 1U) ^ 0xA001U : crc >> 1U;
        }
        table[i] = static_cast<std::uint16_t>(crc);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> CrcTable = MakeCrcTable();

} // namespace

std::uint16_t ComputeCRC16(std::span<const std::uint8_t> bytes) {
    std::uint16_t crc = 0xFFFF;
    for (const std::uint8_t byte : bytes) {
        crc = static_cast<std::uint16_t>((crc >> 8U) ^ CrcTable[(crc ^ byte) & 0xFFU]);
    }
    return crc;
}

void AppendCRC(std::vector<std::uint8_t>& frame) {
    const std::uint16_t crc = ComputeCRC16(frame);
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFFU));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8U));
}

} // namespace SerialPortVogtlin

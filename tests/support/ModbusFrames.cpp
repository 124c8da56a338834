#include "support/ModbusFrames.h"

#include "modbus/ModbusCrc.h"

#include <bit>
#include <cstdio>

namespace TestSupport {

namespace {

TBytes Word(std::uint16_t value) {
    return {static_cast<std::uint8_t>(value >> 8U), static_cast<std::uint8_t>(value & 0xFFU)};
}

} // namespace

TBytes WithCrc(TBytes frame) {
    SerialPortVogtlin::AppendCRC(frame);
    return frame;
}

bool CrcOk(const TBytes& frame) {
    if (frame.size() < 4) {
        return false;
    }
    return SerialPortVogtlin::ComputeCRC16(frame) == 0;
}

TBytes ReadRequest(std::uint8_t address, std::uint16_t reg, std::uint16_t count) {
    TBytes frame{address, 3};
    for (const auto& part : {Word(reg), Word(count)}) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return WithCrc(frame);
}

TBytes WriteU8Request(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
    TBytes frame{address, 6};
    for (const auto& part : {Word(reg), Word(value)}) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return WithCrc(frame);
}

TBytes WriteU16Request(std::uint8_t address, std::uint16_t reg, std::uint16_t value) {
    TBytes frame{address, 16};
    for (const auto& part : {Word(reg), Word(1), TBytes{2}, Word(value)}) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return WithCrc(frame);
}

TBytes WriteF32Request(std::uint8_t address, std::uint16_t reg, float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    TBytes frame{address, 16};
    for (const auto& part : {Word(reg), Word(2), TBytes{4}, Word(static_cast<std::uint16_t>(bits >> 16U)),
                             Word(static_cast<std::uint16_t>(bits & 0xFFFFU))}) {
        frame.insert(frame.end(), part.begin(), part.end());
    }
    return WithCrc(frame);
}

std::uint32_t U32Of(const TBytes& reply) {
    if (reply.size() < 7) {
        return 0;
    }
    return (static_cast<std::uint32_t>(reply[3]) << 24U) | (static_cast<std::uint32_t>(reply[4]) << 16U) |
           (static_cast<std::uint32_t>(reply[5]) << 8U) | reply[6];
}

float F32Of(const TBytes& reply) {
    return std::bit_cast<float>(U32Of(reply));
}

std::uint16_t U16Of(const TBytes& reply) {
    return reply.size() < 5 ? 0 : static_cast<std::uint16_t>((reply[3] << 8U) | reply[4]);
}

std::string TextOf(const TBytes& reply) {
    std::string text;
    for (std::size_t i = 3; i + 2 < reply.size() && reply[i] != 0; ++i) {
        text += static_cast<char>(reply[i]);
    }
    return text;
}

std::string Hex(const TBytes& bytes) {
    std::string text;
    char buffer[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", byte);
        text += buffer;
    }
    return text;
}

} // namespace TestSupport

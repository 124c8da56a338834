#pragma once
// Test plumbing: every set-point write that reaches a virtual MFC, as the instruments' trace shows
// the request ("mfc-a <- 01 10 00 06 00 02 04 b0 b1 b2 b3 crc crc"). Attached for the life of the
// object; the trace is taken off again before the object goes.

#include "modbus/VogtlinRegisters.h"
#include "sim/SimFault.h"
#include "sim/Simulator.h"

#include <bit>
#include <cstdint>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

namespace TestSupport {

class TSetPointWrites {
public:
    TSetPointWrites(Sim::TSimulator& simulator, Sim::TSimDevice device, std::uint8_t address)
        : fSimulator(simulator), fPrefix(std::string(Sim::DeviceName(device)) + " <- "), fAddress(address) {
        fSimulator.SetTrace([this](const std::string& line) {
            float value = 0.0F;
            if (Parse(line, value)) {
                const std::lock_guard lock(fMutex);
                fWrites.push_back(value);
            }
        });
    }
    ~TSetPointWrites() { fSimulator.SetTrace({}); }
    TSetPointWrites(const TSetPointWrites&) = delete;
    TSetPointWrites& operator=(const TSetPointWrites&) = delete;

    std::vector<float> Values() const {
        const std::lock_guard lock(fMutex);
        return fWrites;
    }
    void Clear() {
        const std::lock_guard lock(fMutex);
        fWrites.clear();
    }

private:
    bool Parse(const std::string& line, float& value) const {
        if (line.rfind(fPrefix, 0) != 0) {
            return false;
        }
        std::istringstream hex(line.substr(fPrefix.size()));
        std::vector<std::uint32_t> bytes;
        std::string byte;
        while (hex >> byte) {
            bytes.push_back(static_cast<std::uint32_t>(std::stoul(byte, nullptr, 16)));
        }
        if (bytes.size() != 13 || bytes[0] != fAddress || bytes[1] != 0x10 || bytes[2] != 0x00 ||
            bytes[3] != SerialPortVogtlin::regSetPoint) {
            return false;
        }
        value = std::bit_cast<float>(bytes[7] << 24U | bytes[8] << 16U | bytes[9] << 8U | bytes[10]);
        return true;
    }

    Sim::TSimulator& fSimulator;
    std::string fPrefix;
    std::uint8_t fAddress;
    mutable std::mutex fMutex;
    std::vector<float> fWrites;
};

} // namespace TestSupport

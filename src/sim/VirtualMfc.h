#pragma once
// A virtual mass flow controller: a Modbus RTU slave (functions 3, 6 and 16) serving the register
// map of the program, with a flow that follows its set-point and a totalizer that integrates it.
// Pure logic: frames in, frames out, time passed in by the caller.

#include "sim/SimConfig.h"

#include <cstdint>
#include <optional>
#include <random>
#include <span>
#include <vector>

namespace Sim {

struct TMfcState {
    float SetPoint = 0.0F;    // register 6 as written
    double Flow = 0.0;        // the true flow, g/min
    double Totalizer_g = 0.0; // gas delivered since start (or the last totalizer write), grams
    std::uint16_t ActiveTable = 2;
    std::uint16_t ShownTable = 2;
    std::uint16_t ControlCheck = 0;
    std::uint16_t ControlRelease = 0;
    std::uint16_t EndIdentification = 0xFFFF; // last word written to 0x404F
    std::uint64_t FramesForMe = 0;            // frames with a good CRC and this device's address
    std::uint64_t Replies = 0;
};

class TVirtualMfc {
public:
    TVirtualMfc(TMfcConfig config, double nowSeconds);

    std::uint8_t Address() const { return fConfig.Address; }
    // One whole frame, CRC included. Returns the reply frame, or nothing when the device stays
    // quiet (bad CRC, another address, broadcast, silent fault or silent register).
    std::optional<std::vector<std::uint8_t>> HandleFrame(std::span<const std::uint8_t> frame, double now);

    void SetFault(TSimFault fault, bool on);
    bool HasFault(TSimFault fault) const;
    TMfcState State(double now);
    // A short loss of power: the MFC starts again with its set-point at 0, as real ones do.
    void PowerBlip(double now);
    TMfcConfig& Config() { return fConfig; }

private:
    enum TWriteResult { wrOk, wrIllegalAddress, wrIllegalValue };

    void Advance(double now);
    const TGasTableConfig* Table(std::uint16_t number) const;
    const TGasTableConfig* ActiveTable() const { return Table(fActiveTable); }
    double ActiveFullScale() const;
    bool IsSilent(std::uint16_t start, std::uint16_t count) const;
    std::optional<std::uint16_t> ReadWord(std::uint16_t reg);
    std::optional<std::vector<std::uint16_t>> FieldWords(std::uint16_t reg, std::uint16_t& fieldStart);
    TWriteResult Write(std::uint16_t start, std::span<const std::uint16_t> words);
    float MeasuredFlow();
    double TotalizerInUnit() const;
    void SetTotalizerFromUnit(double value);

    TMfcConfig fConfig;
    unsigned fFaults = 0;
    double fLastTime;
    double fFlow = 0.0;
    double fTotalizer_g = 0.0;
    std::uint32_t fSetPointBits = 0;
    std::uint16_t fActiveTable;
    std::uint16_t fShownTable = 2;
    std::uint16_t fControlCheck;
    std::uint16_t fControlRelease = 0;
    std::uint16_t fEndIdentification = 0xFFFF;
    std::uint64_t fFramesForMe = 0;
    std::uint64_t fReplies = 0;
    std::mt19937 fRandom;
    std::normal_distribution<double> fNoise{0.0, 1.0};
};

} // namespace Sim

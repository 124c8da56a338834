#pragma once
// One mass flow controller as the program knows it: where it is, what it is, and its gas tables
// (numbered 2 to 11 on the device, elements 0 to 9 here).

#include "modbus/VogtlinRegisters.h"
#include "serial/SerialResponse.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace SerialPortVogtlin {

// One gas table. The initial values are the ones identification starts every table from.
struct TLUTData {
    std::uint32_t LUTNumber = 0;    // device table number
    std::string NameShort;          // gas name in the device; empty: no such table
    std::string NameCustom;         // the table's long name
    std::string NameOwn;            // catalogue symbol of NameShort; empty when unknown (kept over resets)
    float AtomicMass = 0.0F;        // reserved
    float DensityGPL = 1.0F;        // g/l
    std::string UnitType;           // flow unit of the table
    float RangeMax = 0.0F;          // full-scale flow
    std::uint32_t RangeDynamic = 1; // usable turn-down ratio (reported range less the cull)
    float RangeMin = 1.0F;          // RangeMax / RangeDynamic
    float Totalizer1 = 0.0F;
    std::string TotalizerUnit; // kept over resets
    float TotalizerScaling = 2.0F;
};

inline constexpr std::size_t LUTCount = LastGasTable - FirstGasTable + 1;
using TLUT = std::array<TLUTData, LUTCount>;

// Element `index` back to its start values for table number index + 2; NameOwn and TotalizerUnit
// keep their texts until a table read overwrites them.
void ResetLUTData(TLUTData& data, std::size_t index);

struct TMFCDetails {
    std::string ComPortName;
    std::string MFCName;             // "MFC A" / "MFC B", for log texts; empty until a gas is chosen
    std::uint32_t ModBusAddress = 0; // 1 for MFC A, 2 for MFC B
    bool Validated = false;          // the last identification found an MFC of the expected type
    bool ActionOK = false;           // the last gas selection was confirmed by the device
    SerialPort::TSerialResponse LastResponse;
    std::uint32_t ActiveLUT = 0; // 2..11; 0 when no gas is chosen
    TLUT LUT{};
    double CurrentMaxFlow = 0.0;
    double CurrentDesiredFlow = 0.0;
    double CurrentSetFlow = 0.0;
    double CurrentObservedFlow = 0.0;
    std::int32_t DynamicRangeCull = 0; // units taken off the device's dynamic range
    std::uint32_t Serial = 0;          // 0 when unknown
};

} // namespace SerialPortVogtlin

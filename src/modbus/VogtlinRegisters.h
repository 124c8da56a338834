#pragma once
// Every MFC register the program uses (Modbus holding-register addresses) and the type of value each
// holds. The virtual MFC serves the same map, so both sides of the wire take the addresses and the
// widths from here.

#include <cstdint>

namespace SerialPortVogtlin {

enum TVogtlinRegister : std::uint16_t {
    regMeasuredFlow = 0x0000,      // F32 read
    regTotalizer = 0x0004,         // F32 read
    regSetPoint = 0x0006,          // F32 write/read; 0.0 stops the flow
    regControlCheck = 0x000C,      // U16 read; > 0 asks for regControlRelease to be written
    regSerialNumber = 0x001E,      // U32 read
    regDeviceType = 0x0023,        // S8 read; an expected MFC begins with "GSC"
    regControlRelease = 0x0034,    // U16 write 0xFFFF
    regEndIdentification = 0x404F, // U16 write 0
    regActiveGasTable = 0x4139,    // U8 write/read back: table used for control
    regShownGasTable = 0x5FFF,     // U16/U8 write/read back: table whose data the table registers show
    regTableRangeMax = 0x6020,     // F32 read
    regTableNameCustom = 0x6022,   // S50 read
    regTableNameShort = 0x6042,    // S8 read
    regTableUnit = 0x6046,         // S8 read
    regTableDensity = 0x604E,      // F32 read, g/l
    regTableDynamicRange = 0x6122, // U16 read
    regTotalizerScaling = 0x6384,  // F32 read
    regTotalizerUnit = 0x6386,     // S8 read
};

// The value a register holds. U8 values live in one 16-bit register like U16 ones; texts hold two
// characters per register.
enum class TRegisterType : std::uint8_t { rtU8, rtU16, rtU32, rtF32, rtS8, rtS50 };

// How many 16-bit registers a value of the type spans.
constexpr std::uint16_t RegisterWidth(TRegisterType type) {
    switch (type) {
    case TRegisterType::rtU8:
    case TRegisterType::rtU16:
        return 1;
    case TRegisterType::rtU32:
    case TRegisterType::rtF32:
        return 2;
    case TRegisterType::rtS8:
        return 4;
    case TRegisterType::rtS50:
        return 25;
    }
    return 0;
}

struct TRegisterInfo {
    TVogtlinRegister Register;
    TRegisterType Type;
};

// The whole map, one entry per register. The shown-table register is written as U16 at
// identification and as U8 at gas selection: one 16-bit register either way.
inline constexpr TRegisterInfo VogtlinRegisterMap[] = {
    {regMeasuredFlow, TRegisterType::rtF32},     {regTotalizer, TRegisterType::rtF32},
    {regSetPoint, TRegisterType::rtF32},         {regControlCheck, TRegisterType::rtU16},
    {regSerialNumber, TRegisterType::rtU32},     {regDeviceType, TRegisterType::rtS8},
    {regControlRelease, TRegisterType::rtU16},   {regEndIdentification, TRegisterType::rtU16},
    {regActiveGasTable, TRegisterType::rtU8},    {regShownGasTable, TRegisterType::rtU16},
    {regTableRangeMax, TRegisterType::rtF32},    {regTableNameCustom, TRegisterType::rtS50},
    {regTableNameShort, TRegisterType::rtS8},    {regTableUnit, TRegisterType::rtS8},
    {regTableDensity, TRegisterType::rtF32},     {regTableDynamicRange, TRegisterType::rtU16},
    {regTotalizerScaling, TRegisterType::rtF32}, {regTotalizerUnit, TRegisterType::rtS8},
};

inline constexpr std::uint32_t FirstGasTable = 2;
inline constexpr std::uint32_t LastGasTable = 11;

} // namespace SerialPortVogtlin

#pragma once
// Every MFC register the program uses (Modbus holding-register addresses). The virtual MFC serves
// the same map, so both sides of the wire take the addresses from here.

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

inline constexpr std::uint32_t FirstGasTable = 2;
inline constexpr std::uint32_t LastGasTable = 11;

} // namespace SerialPortVogtlin

#pragma once
// What the virtual instruments are: their identity, gas tables and timing. Tests build their own
// instrument sets from these records; the defaults are what `moistrel-sim` and `make run` show.

#include "base/Clock.h"
#include "sim/SimFault.h"
#include "sim/WireTiming.h"

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace Sim {

// One gas table of a virtual MFC, served by the table registers 0x6020.. while it is shown.
struct TGasTableConfig {
    std::string NameShort;            // 8 characters; empty means the table is absent
    std::string NameCustom;           // 50 characters
    std::string Unit = "g/min";       // flow unit, 8 characters
    float FullScale = 10.0F;          // g/min
    std::uint16_t DynamicRange = 100; // ratio of full scale to the smallest usable flow
    float Density_gpl = 1.0F;         // g/l at normal conditions
    std::string TotalizerUnit = "g";  // "g", "mg", "kg", "ln", "ln*", "mln"; anything else counts grams
    float TotalizerScaling = 1.0F;
    // Requests that touch one of these registers while this table is shown get no answer.
    std::set<std::uint16_t> SilentRegisters;
};

struct TMfcConfig {
    std::uint8_t Address = 1;
    std::string DeviceType = "GSC-B9TA"; // 8 characters at register 35
    std::uint32_t Serial = 0;
    std::vector<TGasTableConfig> Tables; // device tables 2, 3, ... (at most ten)
    std::uint16_t ControlCheck = 1;      // register 12; writing 0xFFFF to register 52 clears it
    std::uint16_t InitialActiveTable = 2;
    double TimeConstantSeconds = 0.3; // first-order response of the flow to the set-point
    double NoiseFraction = 0.001;     // standard deviation of the measured flow, share of full scale
    std::uint32_t NoiseSeed = 1;
    // Requests that touch one of these registers get no answer, whatever table is shown.
    std::set<std::uint16_t> SilentRegisters;
    // A read of one of these registers shows the given word instead of the real content.
    std::map<std::uint16_t, std::uint16_t> ReadOverrides;
    // Whether the set-point survives the selection of a gas table (a write of the active table);
    // false: the selection sets it to zero. Real MFCs need not zero it.
    bool KeepSetPointOnTableChange = true;
};

struct TPumpConfig {
    std::string Model = "C24000";      // named in the answer to "/1?23"
    double InitSeconds = 3.0;          // the initialisation (Z) keeps the pump busy this long
    double MoveTimeScale = 1.0;        // multiplies the time of every move and valve turn
    std::int32_t MaxPosition = 192000; // plunger steps
};

struct TSimConfig {
    std::string Directory; // the folder of the links; created when missing
    bool Fast = false;     // no wire timing: replies leave at once
    double TurnaroundSeconds = DefaultTurnaroundSeconds;
    // The instruments' time (flow response, totalizer, pump moves). In a test the program and the
    // instruments share one manual clock. The wire timing of the bytes always takes real time.
    const Base::TClock* Clock = &Base::SystemClock();
    TPumpConfig Pump;
    TMfcConfig MfcA;
    TMfcConfig MfcB;
    std::array<std::set<TSimFault>, SimDeviceCount> Faults; // present from the start
};

TMfcConfig DefaultMfcA();
TMfcConfig DefaultMfcB();
// The instrument set of `moistrel-sim`: a C24000 pump, MFC A (address 1) with Air, N2 and O2,
// MFC B (address 2) with Ar, CO2 and Xe (a gas the catalogue does not know).
TSimConfig DefaultSimConfig(const std::string& directory);

} // namespace Sim

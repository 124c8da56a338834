#pragma once
// The instrument validation behind "Validate": the pump found and initialised, MFC A (address 1)
// and MFC B (address 2) identified with their gas tables, the report in the feedback pane, and
// what the window shows afterwards (the gas lists and the two "found" boxes). The window does the
// rest: the busy state, the lists, the settings save.

#include "base/Clock.h"
#include "base/MainThread.h"
#include "base/TextPane.h"
#include "mfc/MFCIdentity.h"
#include "pump/PumpProtocol.h"
#include "state/MoistrelState.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Setup {

// The refusal when both MFC lists point at the same port.
inline constexpr const char* DifferentMFCPortsRefusal = "Select different COM ports for the MFCs";

// The selected port names; empty where the list has no selection.
struct TValidationPorts {
    std::string Pump;
    std::string MFCA;
    std::string MFCB;
};

// One entry of a gas list: the text shown and the device table number (2 to 11) it stands for.
struct TGasListEntry {
    std::string Text;
    std::uint32_t Table = 0;

    bool operator==(const TGasListEntry&) const = default;
};

struct TValidationResult {
    bool PumpFound = false;
    bool BothMFCsFound = false;
    std::vector<TGasListEntry> GasesA;
    std::vector<TGasListEntry> GasesB;
};

// How the validation talks to the instruments: the pump detection's and the identification's
// pauses and waits. ValidationOptions fills in the clock and the main thread.
struct TValidationOptions {
    UnitMain::TPumpFindInitOptions Pump;
    SerialPortVogtlin::TMFCTiming MFC;
};

TValidationOptions ValidationOptions(const Base::TClock& clock, Base::TMainThread* mainThread);

// The gas list entries of an identified MFC: its tables up to the first absent one, each with its
// catalogue name (empty for a gas the catalogue does not know).
std::vector<TGasListEntry> GasListEntries(const SerialPortVogtlin::TMFCDetails& mfc);

// One instrument at the stop that ends a validation: found by it, and confirmed stopped.
struct TInstrumentStopped {
    bool Found = false;
    bool Stopped = false;
};
struct TValidationStop {
    TInstrumentStopped Pump;
    TInstrumentStopped MFCA;
    TInstrumentStopped MFCB;
};
// Only when all three were found and confirmed their stop can the mixer be made ready.
bool AllFoundAndStopped(const TValidationStop& stop);
// The feedback lines of the stop: none when every instrument found confirmed it; otherwise
// "Could not stop flow!" and a line for each one found that did not ("  MFC B may still be dosing").
std::vector<std::string> ValidationStopLines(const TValidationStop& stop);

// Detects the pump, then identifies both MFCs (with the culls of the settings), writing the report
// lines into `pane` and the findings into `state`. Whatever the outcome, each MFC either leaves the
// demonstration values (identified) or goes back to them (not found, or no port selected).
TValidationResult ValidateInstruments(const TValidationPorts& ports, UnitMain::TMoistrelState& state,
                                      Base::TTextPane& pane, const TValidationOptions& options);

} // namespace Setup

#pragma once
// The gas selection of the set-up page: the chosen gas table made active on its MFC, the report
// lines, the message for a gas the catalogue does not know, the operator's confirmation of the gas
// lines with the gases used before, and the gas history in the settings file. The window's handler
// only gathers the lists and check boxes and shows what these give.

#include "mfc/MFCDetails.h"
#include "mfc/MFCIdentity.h"
#include "state/MoistrelState.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace Setup {

// What picking a gas did on one MFC.
struct TGasChoice {
    bool Selected = false;          // the device confirmed the table (ActionOK)
    std::vector<std::string> Lines; // for the set-up feedback pane
};

// Makes table number `table` the active gas of the MFC (SetActiveLUT), then reads the totalizer
// scaling of the now active table and keeps it when it is above 0 (a failed read keeps the value
// read at identification). Sets MFCName ("MFC A" / "MFC B") on success.
TGasChoice SelectGasTable(SerialPortVogtlin::TMFCDetails& mfc, UnitMain::TMFCSide side, std::uint32_t table,
                          const SerialPortVogtlin::TMFCTiming& timing = {});

// The report of the active table: 30 dashes, the gas, density, totalizer unit and scaling; MFC B
// adds its maximum and minimum flow.
std::vector<std::string> GasSelectedLines(const SerialPortVogtlin::TMFCDetails& mfc, UnitMain::TMFCSide side);
// The device did not confirm `table`: the failure line and the device's last raw reply.
std::vector<std::string> GasFailedLines(const SerialPortVogtlin::TMFCDetails& mfc, UnitMain::TMFCSide side,
                                        std::uint32_t table);

// The message box text when the active table's name is not in the catalogue; none when it is (or
// when no table is active).
std::optional<std::string> GasNotRecognizedText(const SerialPortVogtlin::TMFCDetails& mfc,
                                                UnitMain::TMFCSide side);

// The gases confirmed last, as the settings file keeps them ("Unknown" when never confirmed).
struct TGasHistory {
    std::string OldGasA = "Unknown";
    std::string OldGasB = "Unknown";
};

inline constexpr const char* ConfirmGasesTitle = "Confirm selected gases";
// The confirmation the operator answers Yes or No: the gases before and now, and the warning.
std::string ConfirmationText(const TGasHistory& old, const std::string& gasA, const std::string& gasB);

// Whether the operator is asked at all: the pump, both MFCs and both gases are in place.
bool ReadyToConfirm(bool pumpFound, bool mfcsFound, bool gasesSelected);

// One MFC's gas as the selection judges it.
struct TGasInPlace {
    std::uint32_t ListTable = 0;      // the table its gas list shows; 0 for no gas shown
    std::uint32_t ConfirmedTable = 0; // the table its device confirmed at its last selection; 0 for
                                      // none, or a selection the device refused
    bool Known = false;               // the catalogue knows the confirmed table's gas
};

// What the set-up confirmed on the instruments, never what the window shows alone.
struct TSetupFacts {
    bool PumpFound = false;          // validation found the pump, and its port list was not touched since
    bool BothMFCsFound = false;      // validation identified both MFCs, and no MFC port list was touched
    bool InstrumentsStopped = false; // validation's closing stop was confirmed by every instrument
    TGasInPlace A;
    TGasInPlace B;
};

struct TGasReadiness {
    // "Gases selected": each list shows exactly the table its device confirmed, a known gas.
    bool GasesSelected = false;
    // Ask the operator to confirm the gas lines (only a Yes makes the mixer ready, see
    // ConfirmationOutcome): the gases are in place and so are the instruments, stopped.
    bool AskOperator = false;
};
TGasReadiness JudgeGasReadiness(const TSetupFacts& facts);

// What the answer (or no question at all) makes of the mixer. Only a Yes makes it ready to run: a
// No, or a gas choice that could not be confirmed, leaves it not ready, since the gases now active
// on the devices are not the ones the operator confirmed.
struct TGasConfirmation {
    UnitMain::TMixerState MixerState = UnitMain::msSimulation;
    bool GasesSelected = false;
    bool WriteHistory = false;
};
TGasConfirmation ConfirmationOutcome(std::optional<bool> answer);

// The history from the settings file; a file that cannot be read gives the defaults.
TGasHistory ReadGasHistory(const std::string& settingsFile);
// Stores both gases as the history (the rest of the file as it was). False with the reason,
// naming the file, in `error` when the file cannot be read or written.
bool WriteGasHistory(const std::string& settingsFile, const std::string& gasA, const std::string& gasB,
                     std::string& error);

} // namespace Setup

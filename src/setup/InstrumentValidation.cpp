#include "setup/InstrumentValidation.h"

#include "setup/ValidationReport.h"

#include <utility>

namespace Setup {

namespace {

struct TMFCRole {
    UnitMain::TMFCSide Side;
    std::uint32_t Address;
    bool RepeatUnitLine; // MFC B's report repeats the unit after the minimum
};

// Identifies one MFC on `port` and reports it; true when it was found.
bool ValidateMFC(const std::string& port, const TMFCRole& role, std::int32_t cull,
                 UnitMain::TMoistrelState& state, Base::TTextPane& pane, const TValidationOptions& options,
                 std::vector<TGasListEntry>& gases) {
    SerialPortVogtlin::TMFCDetails& mfc = state.MFCDetails(role.Side);
    mfc.ComPortName = port;
    mfc.ModBusAddress = role.Address;
    pane.AddLine("");
    pane.AddLine(MFCQueryLine(port, role.Address));
    mfc.DynamicRangeCull = cull;
    SerialPortVogtlin::IdentifyMFC(mfc, options.MFC);
    if (mfc.Validated) {
        gases = GasListEntries(mfc);
    }
    for (const std::string& line : MFCValidationReport(mfc, role.RepeatUnitLine)) {
        pane.AddLine(line);
    }
    return mfc.Validated;
}

} // namespace

TValidationOptions ValidationOptions(const Base::TClock& clock, Base::TMainThread* mainThread) {
    TValidationOptions options;
    options.Pump.Clock = &clock;
    options.Pump.MainThread = mainThread;
    options.MFC.Clock = &clock;
    return options;
}

std::vector<TGasListEntry> GasListEntries(const SerialPortVogtlin::TMFCDetails& mfc) {
    std::vector<TGasListEntry> entries;
    for (const SerialPortVogtlin::TLUTData& table : mfc.LUT) {
        if (table.NameShort.empty()) {
            break;
        }
        entries.push_back({table.NameOwn, table.LUTNumber});
    }
    return entries;
}

bool AllFoundAndStopped(const TValidationStop& stop) {
    for (const TInstrumentStopped& instrument : {stop.Pump, stop.MFCA, stop.MFCB}) {
        if (!instrument.Found || !instrument.Stopped) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> ValidationStopLines(const TValidationStop& stop) {
    std::vector<std::string> lines;
    const std::pair<const char*, TInstrumentStopped> instruments[] = {
        {"Pump", stop.Pump}, {"MFC A", stop.MFCA}, {"MFC B", stop.MFCB}};
    for (const auto& [name, instrument] : instruments) {
        if (instrument.Found && !instrument.Stopped) {
            lines.push_back(std::string("  ") + name + " may still be dosing");
        }
    }
    if (!lines.empty()) {
        lines.insert(lines.begin(), "Could not stop flow!");
    }
    return lines;
}

TValidationResult ValidateInstruments(const TValidationPorts& ports, UnitMain::TMoistrelState& state,
                                      Base::TTextPane& pane, const TValidationOptions& options) {
    TValidationResult result;
    bool foundA = false;
    bool foundB = false;
    // On every path, a failure included: an MFC not identified (or not queried) goes back to the
    // demonstration values, one identified leaves them.
    struct TRecordOnExit {
        UnitMain::TMoistrelState& State;
        const bool& A;
        const bool& B;
        ~TRecordOnExit() {
            UnitMain::RecordMFCIdentification(State, UnitMain::TMFCSide::msA, A);
            UnitMain::RecordMFCIdentification(State, UnitMain::TMFCSide::msB, B);
        }
    } record{state, foundA, foundB};

    result.PumpFound = !ports.Pump.empty() && UnitMain::PumpFindInit(ports.Pump, pane, options.Pump);
    state.PumpDetails.Port = result.PumpFound ? ports.Pump : std::string();

    state.MFCADetails.Validated = false;
    state.MFCBDetails.Validated = false;
    if (!ports.MFCA.empty()) {
        foundA = ValidateMFC(ports.MFCA, {UnitMain::TMFCSide::msA, 1, false},
                             state.Settings.MFCADynamicRangeCull, state, pane, options, result.GasesA);
    }
    if (!ports.MFCB.empty()) {
        foundB = ValidateMFC(ports.MFCB, {UnitMain::TMFCSide::msB, 2, true},
                             state.Settings.MFCBDynamicRangeCull, state, pane, options, result.GasesB);
    }
    result.BothMFCsFound = foundA && foundB;
    return result;
}

} // namespace Setup

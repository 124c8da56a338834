#include "setup/GasSelection.h"

#include "base/NumberFormat.h"
#include "mfc/VogtlinPort.h"
#include "modbus/VogtlinRegisters.h"
#include "model/GasCatalogue.h"
#include "settings/ProfileFile.h"
#include "settings/StoredSettings.h"

namespace Setup {

namespace {

const char* Letter(UnitMain::TMFCSide side) {
    return side == UnitMain::TMFCSide::msA ? "A" : "B";
}

std::string General(double value) {
    return Base::FormatGeneral(value);
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            text += "\r\n";
        }
        text += lines[i];
    }
    return text;
}

} // namespace

TGasChoice SelectGasTable(SerialPortVogtlin::TMFCDetails& mfc, UnitMain::TMFCSide side, std::uint32_t table,
                          const SerialPortVogtlin::TMFCTiming& timing) {
    TGasChoice choice;
    SerialPortVogtlin::SetActiveLUT(mfc, table, timing);
    SerialPortVogtlin::TLUTData* active = UnitMain::ActiveLUTData(mfc);
    if (!mfc.ActionOK || active == nullptr) {
        choice.Lines = GasFailedLines(mfc, side, table);
        return choice;
    }
    {
        SerialPortVogtlin::TVogtlinPort port;
        SerialPortVogtlin::ConfigureForMFC(port, mfc.ComPortName, timing.ReadoutTimeoutMS);
        SerialPort::TSerialResponse response;
        port.ReadF32(mfc.ModBusAddress, SerialPortVogtlin::regTotalizerScaling, response);
        // NaN (a failed read) is not above 0 either.
        if (response.AsFloat > 0.0F) {
            active->TotalizerScaling = response.AsFloat;
        }
    }
    choice.Selected = true;
    choice.Lines = GasSelectedLines(mfc, side);
    mfc.MFCName = std::string("MFC ") + Letter(side);
    return choice;
}

std::vector<std::string> GasSelectedLines(const SerialPortVogtlin::TMFCDetails& mfc,
                                          UnitMain::TMFCSide side) {
    const SerialPortVogtlin::TLUTData* active = UnitMain::ActiveLUTData(mfc);
    if (active == nullptr) {
        return {};
    }
    std::vector<std::string> lines{
        std::string(30, '-'),
        std::string("MFC ") + Letter(side) + " gas set to  : " + active->NameOwn,
        "  -> Density g/ln : " + General(active->DensityGPL),
        "  -> Tot unit     : " + active->TotalizerUnit,
        "  -> Tot scaling  : " + General(active->TotalizerScaling),
    };
    if (side == UnitMain::TMFCSide::msB) {
        lines.push_back("  -> Max flow     : " + General(active->RangeMax));
        lines.push_back("  -> Min flow     : " + General(static_cast<double>(active->RangeMax) /
                                                         static_cast<double>(active->RangeDynamic)));
    }
    return lines;
}

std::vector<std::string> GasFailedLines(const SerialPortVogtlin::TMFCDetails& mfc, UnitMain::TMFCSide side,
                                        std::uint32_t table) {
    return {std::string(" ** Failed to set active gas for MFC ") + Letter(side) +
                ", (index:" + std::to_string(table) + ") plese try again ** ",
            "   " + mfc.LastResponse.Response};
}

std::optional<std::string> GasNotRecognizedText(const SerialPortVogtlin::TMFCDetails& mfc,
                                                UnitMain::TMFCSide side) {
    const SerialPortVogtlin::TLUTData* active = UnitMain::ActiveLUTData(mfc);
    if (active == nullptr || GasMixtures::FindCatalogueGas(active->NameShort) != GasMixtures::gUndefined) {
        return std::nullopt;
    }
    const char* prefix = side == UnitMain::TMFCSide::msA ? "MFC1 LUT:" : "MFC2 LUT:";
    return JoinCrLf({prefix + std::to_string(mfc.ActiveLUT), "Gas type: " + active->NameShort,
                     "is not recognized by the software",
                     "Contact Kelvane with this message, or select another gas type"});
}

// The two long lines of the confirmation.
constexpr const char* UseHistoryWarning = "Consider carefully what gases have been used previously, do not "
                                          "-for example- use O2 right after using H2 "
                                          "or CH4";
constexpr const char* SafeQuestion = "Are you sure the selected gases, connected gas lines, and the mixer "
                                     "usage history forms a safe situation "
                                     "for the user?";

std::string ConfirmationText(const TGasHistory& old, const std::string& gasA, const std::string& gasB) {
    return JoinCrLf({
        "Read this and confirm that the gas lines connected to the mixer are as follows:",
        "",
        "A: Previous gas: " + old.OldGasA + " - - - Now connected gas : " + gasA,
        "B: Previous gas: " + old.OldGasB + " - - - Now connected gas : " + gasB,
        "",
        UseHistoryWarning,
        "",
        "Refer to manual for instuctions about flushing the mixer.",
        "",
        "",
        SafeQuestion,
        "",
        "Otherwise proceed to flush the mixer.",
    });
}

bool ReadyToConfirm(bool pumpFound, bool mfcsFound, bool gasesSelected) {
    return pumpFound && mfcsFound && gasesSelected;
}

TGasReadiness JudgeGasReadiness(const TSetupFacts& facts) {
    const auto inPlace = [](const TGasInPlace& gas) {
        return gas.ListTable != 0 && gas.ListTable == gas.ConfirmedTable && gas.Known;
    };
    TGasReadiness readiness;
    readiness.GasesSelected = inPlace(facts.A) && inPlace(facts.B);
    readiness.AskOperator = facts.InstrumentsStopped &&
                            ReadyToConfirm(facts.PumpFound, facts.BothMFCsFound, readiness.GasesSelected);
    return readiness;
}

TGasConfirmation ConfirmationOutcome(std::optional<bool> answer) {
    TGasConfirmation outcome;
    if (answer.value_or(false)) {
        outcome.MixerState = UnitMain::msValidated;
        outcome.GasesSelected = true;
        outcome.WriteHistory = true;
    }
    return outcome;
}

TGasHistory ReadGasHistory(const std::string& settingsFile) {
    Settings::TProfileFile file(settingsFile);
    std::string error;
    TGasHistory history;
    if (file.Load(error)) {
        const Settings::TStoredSettings stored = Settings::ReadStoredSettings(file);
        history.OldGasA = stored.OldGasA;
        history.OldGasB = stored.OldGasB;
    }
    return history;
}

bool WriteGasHistory(const std::string& settingsFile, const std::string& gasA, const std::string& gasB,
                     std::string& error) {
    Settings::TProfileFile file(settingsFile);
    if (!file.Load(error)) {
        error = "Unable to write to " + settingsFile;
        return false;
    }
    Settings::WriteGasHistory(file, 'A', gasA);
    Settings::WriteGasHistory(file, 'B', gasB);
    return file.Save(error);
}

} // namespace Setup

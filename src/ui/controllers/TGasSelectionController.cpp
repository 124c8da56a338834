#include "ui/controllers/TGasSelectionController.h"

#include "setup/GasSelection.h"
#include "ui/TForm1.h"
#include "ui/controllers/TGasFlowsUpdate.h"
#include "ui/controllers/TStepProgramClear.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"

#include <QCheckBox>
#include <exception>
#include <optional>

namespace UnitMain {

TGasSelectionController::TGasSelectionController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs,
                                                 std::string settingsFile, TStepProgramClear& program,
                                                 TGasFlowsUpdate& flows, TWorkerStop& worker,
                                                 SerialPortVogtlin::TMFCTiming timing, QObject* parent)
    : QObject(parent), fForm(form), fState(state), fDialogs(dialogs), fSettingsFile(std::move(settingsFile)),
      fProgram(program), fFlows(flows), fWorker(worker), fTiming(timing) {
    for (Widgets::TListBox* list : {fForm.Setup->ListBox1, fForm.Setup->ListBox2}) {
        // Whatever changes what a list shows runs the selection, so that it never shows a gas its
        // device does not hold.
        connect(list, &Widgets::TListBox::Picked, this, [this, list] { ListBox1Click(list); });
    }
}

Widgets::TListBox& TGasSelectionController::List(TMFCSide side) const {
    return side == TMFCSide::msA ? *fForm.Setup->ListBox1 : *fForm.Setup->ListBox2;
}

void TGasSelectionController::ListBox1Click(const QObject* sender) {
    // The selection's own changes of the lists, and whatever the waits inside it let through,
    // start no second selection.
    if (fSelecting) {
        return;
    }
    fSelecting = true;
    struct TDone {
        bool& Flag;
        ~TDone() { Flag = false; }
    } done{fSelecting};
    const TBusyWindow busy(fForm);
    try {
        SelectPicked(sender);
        JudgeAndConfirm();
    } catch (const std::exception& failure) {
        // The devices may hold anything now: nothing counts as confirmed.
        fForm.Setup->MemoSetupFeedback->AddLine(std::string(" ** Gas selection stopped: ") + failure.what());
        fForm.Setup->CheckBoxGas->setChecked(false);
        SetMixerState(msSimulation);
    }
    fFlows.GasRangesChanged();
}

void TGasSelectionController::SelectPicked(const QObject* sender) {
    fProgram.ClearStepProgram();
    for (const TMFCSide side : {TMFCSide::msA, TMFCSide::msB}) {
        Widgets::TListBox& list = List(side);
        if (sender != &list || list.ItemIndex() < 0) {
            continue;
        }
        try {
            if (side == TMFCSide::msA) {
                // MFC A's gas is changed only with the worker, which drives MFC A, stopped.
                fWorker.StopAndKillThread();
            }
            SelectGas(side, list.ItemIndex());
        } catch (...) {
            Forget(side);
            throw;
        }
    }
    // A list that shows no gas: its MFC has none.
    for (const TMFCSide side : {TMFCSide::msA, TMFCSide::msB}) {
        if (List(side).ItemIndex() < 0) {
            fState.MFCDetails(side).ActiveLUT = 0;
        }
    }
}

void TGasSelectionController::SelectGas(TMFCSide side, int position) {
    // Entry p of a gas list stands for table p + 2.
    const auto table = static_cast<std::uint32_t>(position) + SerialPortVogtlin::FirstGasTable;
    const Setup::TGasChoice choice = Setup::SelectGasTable(fState.MFCDetails(side), side, table, fTiming);
    for (const std::string& line : choice.Lines) {
        fForm.Setup->MemoSetupFeedback->AddLine(line);
    }
    if (!choice.Selected) {
        // Refused: what the device holds now is not known, so the list shows no gas.
        Forget(side);
    }
}

void TGasSelectionController::Forget(TMFCSide side) {
    List(side).SetItemIndex(-1);
    fState.MFCDetails(side).ActiveLUT = 0;
}

void TGasSelectionController::CheckGasKnown(TMFCSide side) {
    const std::optional<std::string> message = Setup::GasNotRecognizedText(fState.MFCDetails(side), side);
    if (message) {
        fDialogs.ShowMessage(*message);
    }
}

void TGasSelectionController::JudgeAndConfirm() {
    TSetupTab* page = fForm.Setup;
    const auto gas = [this](TMFCSide side) {
        const int position = List(side).ItemIndex();
        const SerialPortVogtlin::TMFCDetails& mfc = fState.MFCDetails(side);
        Setup::TGasInPlace inPlace;
        inPlace.ListTable =
            position < 0 ? 0 : static_cast<std::uint32_t>(position) + SerialPortVogtlin::FirstGasTable;
        inPlace.ConfirmedTable = mfc.ActiveLUT;
        inPlace.Known = ActiveLUTData(mfc) != nullptr && !Setup::GasNotRecognizedText(mfc, side);
        return inPlace;
    };
    for (const TMFCSide side : {TMFCSide::msA, TMFCSide::msB}) {
        if (List(side).ItemIndex() >= 0) {
            CheckGasKnown(side);
        }
    }
    Setup::TSetupFacts facts;
    facts.PumpFound = page->CheckBoxPump->isChecked() && !fState.PumpDetails.Port.empty();
    facts.BothMFCsFound =
        page->CheckBoxMFC->isChecked() && fState.MFCADetails.Validated && fState.MFCBDetails.Validated;
    facts.InstrumentsStopped = fState.ValidationStopConfirmed;
    facts.A = gas(TMFCSide::msA);
    facts.B = gas(TMFCSide::msB);
    const Setup::TGasReadiness readiness = Setup::JudgeGasReadiness(facts);
    page->CheckBoxGas->setChecked(readiness.GasesSelected);
    if (readiness.AskOperator) {
        Confirm();
    } else {
        // No confirmation, no run: whatever the devices hold now has not been confirmed.
        SetMixerState(Setup::ConfirmationOutcome(std::nullopt).MixerState);
    }
}

void TGasSelectionController::Confirm() {
    const Setup::TGasHistory history = Setup::ReadGasHistory(fSettingsFile);
    const SerialPortVogtlin::TLUTData* gasA = ActiveLUTData(fState.MFCADetails);
    const SerialPortVogtlin::TLUTData* gasB = ActiveLUTData(fState.MFCBDetails);
    const std::string nameA = gasA != nullptr ? gasA->NameOwn : std::string();
    const std::string nameB = gasB != nullptr ? gasB->NameOwn : std::string();
    const bool yes =
        fDialogs.AskYesNo(Setup::ConfirmGasesTitle, Setup::ConfirmationText(history, nameA, nameB));
    const Setup::TGasConfirmation outcome = Setup::ConfirmationOutcome(yes);

    SetMixerState(outcome.MixerState);
    fForm.Setup->CheckBoxGas->setChecked(outcome.GasesSelected);
    if (!outcome.WriteHistory) {
        return;
    }
    // The mixer is set up only now that the operator has confirmed the gas lines.
    Widgets::TMemoPane* feedback = fForm.Setup->MemoSetupFeedback;
    feedback->AddLine(std::string(31, '-'));
    feedback->AddLine("  Mixer is now properly set up.");
    fForm.LogOld(*fForm.MemoLog, feedback->Text());
    std::string error;
    if (!Setup::WriteGasHistory(fSettingsFile, nameA, nameB, error)) {
        // The confirmation stands; only its record is lost, and the operator must know that.
        fDialogs.ShowMessage(error + "\r\nThe gas history keeps the gases confirmed before.");
    }
}

void TGasSelectionController::SetMixerState(TMixerState state) {
    fState.MixerState = state;
    fForm.Operation->RzLEDDisplay1->SetCaption(state == msValidated ? "Stopped" : "Simulation");
}

} // namespace UnitMain

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
#include <optional>

namespace UnitMain {

TGasSelectionController::TGasSelectionController(TForm1& form, TMoistrelState& state, Base::TDialogs& dialogs,
                                                 std::string settingsFile, TStepProgramClear& program,
                                                 TGasFlowsUpdate& flows, TWorkerStop& worker,
                                                 SerialPortVogtlin::TMFCTiming timing, QObject* parent)
    : QObject(parent), fForm(form), fState(state), fDialogs(dialogs), fSettingsFile(std::move(settingsFile)),
      fProgram(program), fFlows(flows), fWorker(worker), fTiming(timing) {
    for (Widgets::TListBox* list : {fForm.Setup->ListBox1, fForm.Setup->ListBox2}) {
        connect(list, &Widgets::TListBox::Clicked, this, [this, list] { ListBox1Click(list); });
    }
}

void TGasSelectionController::ListBox1Click(const QObject* sender) {
    TSetupTab* page = fForm.Setup;
    fProgram.ClearStepProgram();
    fForm.FormDisable(true);

    const int positionA = page->ListBox1->ItemIndex();
    const int positionB = page->ListBox2->ItemIndex();
    page->CheckBoxGas->setChecked(positionA >= 0 && positionB >= 0);

    if (sender == page->ListBox1 && positionA >= 0) {
        // MFC A's gas is changed only with the worker, which drives MFC A, stopped.
        fWorker.StopAndKillThread();
        SelectGas(TMFCSide::msA, positionA);
    } else if (sender == page->ListBox2 && positionB >= 0) {
        SelectGas(TMFCSide::msB, positionB);
    }
    if (positionA >= 0) {
        CheckGasKnown(TMFCSide::msA);
    }
    if (positionB >= 0) {
        CheckGasKnown(TMFCSide::msB);
    }

    if (Setup::ReadyToConfirm(page->CheckBoxPump->isChecked(), page->CheckBoxMFC->isChecked(),
                              page->CheckBoxGas->isChecked())) {
        Confirm();
    } else {
        // No confirmation, no run: whatever the devices hold now has not been confirmed.
        SetMixerState(Setup::ConfirmationOutcome(std::nullopt).MixerState);
    }

    if (positionA < 0) {
        fState.MFCADetails.ActiveLUT = 0;
    }
    if (positionB < 0) {
        fState.MFCBDetails.ActiveLUT = 0;
    }
    fForm.FormDisable(false);
    fFlows.GasRangesChanged();
}

void TGasSelectionController::SelectGas(TMFCSide side, int position) {
    // Entry p of a gas list stands for table p + 2.
    const auto table = static_cast<std::uint32_t>(position) + SerialPortVogtlin::FirstGasTable;
    const Setup::TGasChoice choice = Setup::SelectGasTable(fState.MFCDetails(side), side, table, fTiming);
    for (const std::string& line : choice.Lines) {
        fForm.Setup->MemoSetupFeedback->AddLine(line);
    }
    if (!choice.Selected) {
        fForm.Setup->CheckBoxGas->setChecked(false);
    }
}

void TGasSelectionController::CheckGasKnown(TMFCSide side) {
    const std::optional<std::string> message = Setup::GasNotRecognizedText(fState.MFCDetails(side), side);
    if (message) {
        fDialogs.ShowMessage(*message);
        fForm.Setup->CheckBoxGas->setChecked(false);
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

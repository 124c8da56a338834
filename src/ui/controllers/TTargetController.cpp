#include "ui/controllers/TTargetController.h"

#include "base/NumberFormat.h"
#include "target/TargetSequence.h"
#include "ui/TForm1.h"
#include "ui/controllers/TSegmentController.h"
#include "ui/dialogs/TSequenceDialog.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TTargetBox.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TMemoPane.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <string>
#include <utility>

namespace UnitMain {

namespace {

Target::TTargetKind KindOf(int index) {
    switch (index) {
    case TTargetBox::KindDewPoint:
        return Target::TTargetKind::tkDewPoint;
    case TTargetBox::KindPPM:
        return Target::TTargetKind::tkPPM;
    default:
        return Target::TTargetKind::tkRelativeHumidity;
    }
}

// "23 ºC and 1013.25 mbar"
std::string Conditions(double tempC, double pressure_mbar) {
    return Base::FormatGeneral(tempC) + " \u00BAC and " + Base::FormatGeneral(pressure_mbar) + " mbar";
}

} // namespace

TTargetController::TTargetController(TForm1& form, TMoistrelState& state, TSegmentDesign& design,
                                     TSegmentController& segments, QObject* parent)
    : QObject(parent), fForm(form), fState(state), fDesign(design), fSegments(segments),
      fAskSequence([](TSequenceDialog& dialog) { return dialog.exec() == QDialog::Accepted; }) {
    TTargetBox* box = form.Operation->GroupBoxTarget;
    connect(box->ButtonApplyTarget, &QPushButton::clicked, this, [this] { ButtonApplyTargetClick(); });
    connect(box->ButtonTargetSequence, &QPushButton::clicked, this, [this] { ButtonTargetSequenceClick(); });
}

void TTargetController::ShowConditions() {
    const Target::TTargetInput defaults = Target::DefaultTargetInput(fState);
    TTargetBox* box = fForm.Operation->GroupBoxTarget;
    box->EditTargetTemp->SetValue(defaults.TempC);
    box->EditTargetPressure->SetValue(defaults.Pressure_mbar);
}

Target::TTargetInput TTargetController::GatherInput() const {
    const TTargetBox* box = fForm.Operation->GroupBoxTarget;
    Target::TTargetInput input;
    input.Target.Kind = KindOf(box->ComboBoxTargetKind->currentIndex());
    input.Target.Value = box->EditTargetValue->Value();
    if (input.Target.Kind == Target::TTargetKind::tkPPM) {
        input.Target.Substance = box->EditTargetSubstance->text().trimmed().toStdString();
    }
    input.Carrier = box->EditTargetCarrier->Value();
    input.CarrierUnit =
        box->ComboBoxTargetCarrierUnit->currentIndex() == TTargetBox::UnitNormalLitresPerMinute
            ? Target::TCarrierUnit::cuNormalLitresPerMinute
            : Target::TCarrierUnit::cuGramsPerMinute;
    input.BSharePercent = box->EditTargetBShare->Value();
    input.TempC = box->EditTargetTemp->Value();
    input.Pressure_mbar = box->EditTargetPressure->Value();
    return input;
}

void TTargetController::Say(const std::string& line) {
    Widgets::TMemoPane* memo = fForm.Operation->Memo1;
    memo->AddLine("");
    memo->AddLine(line);
}

void TTargetController::ButtonApplyTargetClick() {
    // In simulation the solver works on the demonstration gases as the debug page gives them.
    fDesign.ApplysimulationValues();
    const Target::TTargetInput input = GatherInput();
    const Target::TTargetSolution solution = Target::SolveTarget(fState, input);
    TMixtureOperationTab* op = fForm.Operation;
    TTargetBox* box = op->GroupBoxTarget;
    box->LabelTargetAchieved->setText(
        QString::fromStdString(Target::AchievedText(solution, input.Target.Kind)));
    box->LabelTargetRange->setText(
        QString::fromStdString(Target::ReachableText(solution, input.Target.Kind)));
    if (!solution.Ok) {
        Say(solution.Refusal);
        return;
    }
    // As when a segment is loaded: the fields stay silent until all three hold the solution, then
    // the C flow and the track bars (and with them the labels and the design panel) follow at once.
    op->EditStepComments->setText(QString::fromStdString(Target::TargetName(input.Target, fState)));
    {
        const QSignalBlocker blockA(op->RtIntegerEditY1Flow);
        const QSignalBlocker blockB(op->RtIntegerEditY2Flow);
        const QSignalBlocker blockC(op->RtDoubleEditFluidFlow);
        op->RtIntegerEditY1Flow->SetValue(static_cast<int>(solution.FlowA_ugpm));
        op->RtIntegerEditY2Flow->SetValue(static_cast<int>(solution.FlowB_ugpm));
        op->RtDoubleEditFluidFlow->SetValue(solution.FlowC_ugpm);
    }
    fDesign.FluidFlowUpdate();
    fDesign.UpdateTrackbars();
    // A segment added from these fields keeps the target while they hold its flows.
    fState.DesignInputs.AppliedTarget = input;
    // The design panel reckons its RH at the design's own conditions; where the target's differ,
    // its figure is not the target's, and the operator is told why.
    const TDesignInputs& design = fState.DesignInputs;
    if (input.Target.Kind != Target::TTargetKind::tkPPM &&
        (input.TempC != design.CustomTempC || input.Pressure_mbar != design.CustomPressure_mbar)) {
        Say("The figures above are for " + Conditions(design.CustomTempC, design.CustomPressure_mbar) +
            "; the target and the segments made of it are for " +
            Conditions(input.TempC, input.Pressure_mbar) + ".");
    }
}

void TTargetController::ButtonTargetSequenceClick() {
    // The button is disabled while a program runs, as "Add or Save Segment" is; a click that
    // arrives all the same appends nothing to the running program.
    if (fState.MixerState == msRunning || fState.MixerState == msStopping) {
        Say("Segments cannot be appended while the mixer runs. Stop it first.");
        return;
    }
    TTargetBox* box = fForm.Operation->GroupBoxTarget;
    const QString kind =
        box->ComboBoxTargetKind->currentText() + QStringLiteral(", ") + box->LabelTargetUnit->text();
    TSequenceDialog dialog(kind, &fForm);
    if (!fAskSequence(dialog)) {
        return;
    }
    const Target::TSequenceValues values =
        dialog.RadioSequenceList->isChecked()
            ? Target::SequenceFromList(dialog.EditSequenceList->text().toStdString())
            : Target::SequenceFromRange(dialog.EditSequenceFrom->Value(), dialog.EditSequenceTo->Value(),
                                        dialog.EditSequenceStep->Value());
    if (!values.Ok) {
        Say(values.Refusal);
        return;
    }
    fDesign.ApplysimulationValues();
    Target::TSequenceInput input;
    input.Solve = GatherInput();
    input.Values = values.Values;
    input.HoldHours = dialog.EditSequenceHold->Value();
    input.SettlingHours = dialog.EditSequenceSettling->Value();
    Target::TSequenceResult result = Target::BuildSequence(fState, input);
    if (!result.Ok) {
        Say("Cannot append the sequence:");
        for (const std::string& refusal : result.Refusals) {
            fForm.Operation->Memo1->AddLine(refusal);
        }
        return;
    }
    const std::size_t count = result.Segments.size();
    for (GasMixtures::TGasItem& segment : result.Segments) {
        fState.SegmentProgram.push_back(std::move(segment));
    }
    fSegments.ShowStepProgram();
    Say("Sequence: " + std::to_string(count) + " segments appended.");
}

} // namespace UnitMain

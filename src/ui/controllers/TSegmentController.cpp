#include "ui/controllers/TSegmentController.h"

#include "program/SegmentEditor.h"
#include "target/TargetSolver.h"
#include "ui/TForm1.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TTabbedListBox.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <optional>
#include <string>
#include <utility>

namespace UnitMain {

TSegmentController::TSegmentController(TForm1& form, TMoistrelState& state, TSegmentDesign& design,
                                       QObject* parent)
    : QObject(parent), fForm(form), fState(state), fDesign(design) {
    TMixtureOperationTab* op = form.Operation;
    connect(op->ButtonAddStep, &QPushButton::clicked, this, [this] { ButtonAddStepClick(); });
    connect(op->ButtonSegmentDelete, &QPushButton::clicked, this, [this] { ButtonSegmentDeleteClick(); });
    // The list clears its own selection on Esc; the key's release then finds nothing to load.
    connect(op->RzTabbedListBoxSteps, &Widgets::TTabbedListBox::Clicked, this,
            [this] { RzTabbedListBoxStepsClick(); });
    connect(op->RzTabbedListBoxSteps, &Widgets::TTabbedListBox::KeyUp, this,
            [this](int key) { RzTabbedListBoxStepsKeyUp(key); });
}

void TSegmentController::ButtonAddStepClick() {
    TMixtureOperationTab* op = fForm.Operation;
    Widgets::TMemoPane* memo = op->Memo1;
    fDesign.ApplysimulationValues();
    GasMixtures::TGasItem segment = fDesign.CreateMixture();
    KeepAppliedTarget(segment);
    if (segment.Components.empty()) {
        // A design without any flow has an empty design panel: the refusal stands alone there, and
        // pressing again does not stack refusals.
        memo->Clear();
    }
    const TDesignInputs& inputs = fState.DesignInputs;
    const Program::TAddStepInput input{std::move(segment), op->RzTabbedListBoxSteps->ItemIndex(),
                                       op->RtDoubleEditFluidFlow->Value(), inputs.CustomTempC,
                                       inputs.CustomPressure_mbar};
    const std::string refusal = Program::AddOrSaveSegment(fState.SegmentProgram, input);
    if (!refusal.empty()) {
        // A line break and the refusal after the panel's text: on an empty panel the refusal is
        // the second line.
        if (memo->Lines().empty()) {
            memo->AddLine("");
        }
        memo->AddLine(refusal);
        return;
    }
    ShowStepProgram();
}

void TSegmentController::KeepAppliedTarget(GasMixtures::TGasItem& segment) {
    std::optional<GasMixtures::TTargetInput>& applied = fState.DesignInputs.AppliedTarget;
    if (!applied || segment.Components.empty()) {
        return;
    }
    // The target still stands when it solves, on the mixer as it is now, to exactly the flows in
    // the fields: a flow typed by hand, or another liquid or syringe since, makes it a segment of
    // flows only.
    const Target::TTargetSolution solution = Target::SolveTarget(fState, *applied);
    const TMixtureOperationTab* op = fForm.Operation;
    if (solution.Ok && solution.FlowA_ugpm == op->RtIntegerEditY1Flow->Value() &&
        solution.FlowB_ugpm == op->RtIntegerEditY2Flow->Value() &&
        solution.FlowC_ugpm == op->RtDoubleEditFluidFlow->Value()) {
        // The solver's own segment: the same flows, with the conditions of the target, so that the
        // run data file's RH is the one the target speaks of.
        GasMixtures::TGasItem solved = solution.Segment;
        solved.StepName = segment.StepName;
        solved.StepTime = segment.StepTime;
        segment = std::move(solved);
    } else {
        applied.reset();
    }
}

void TSegmentController::ButtonSegmentDeleteClick() {
    if (!Program::DeleteLastSegment(fState.SegmentProgram, fState.MixerState == msRunning)) {
        Widgets::TMemoPane* memo = fForm.Operation->Memo1;
        memo->AddLine("");
        memo->AddLine(Program::DeleteRefusal);
    }
    ShowStepProgram();
}

void TSegmentController::RetrieveStep() {
    TMixtureOperationTab* op = fForm.Operation;
    const int index = op->RzTabbedListBoxSteps->ItemIndex();
    if (index < 0 || static_cast<std::size_t>(index) >= fState.SegmentProgram.size()) {
        return;
    }
    const GasMixtures::TGasItem& segment = fState.SegmentProgram[static_cast<std::size_t>(index)];
    const Program::TRetrievedStep step = Program::RetrieveStep(segment);
    // A segment of a target brings its target back with its flows, so that saving it again keeps it.
    fState.DesignInputs.AppliedTarget.reset();
    if (segment.Target) {
        fState.DesignInputs.AppliedTarget = segment.Target->Input;
    }
    // The comment and the duration report their change, so the design inputs follow them. The
    // flow fields stay silent until all of them hold the segment's values: a flow update in between
    // would work on a half-loaded design. The two updates below then run once, on the whole.
    op->EditStepComments->setText(QString::fromStdString(step.StepComments));
    op->RtDoubleEditStepDuration->SetValue(step.StepDuration);
    {
        const QSignalBlocker blockA(op->RtIntegerEditY1Flow);
        const QSignalBlocker blockB(op->RtIntegerEditY2Flow);
        const QSignalBlocker blockC(op->RtDoubleEditFluidFlow);
        op->RtIntegerEditY1Flow->SetValue(step.FlowA_ugpm);
        op->RtIntegerEditY2Flow->SetValue(step.FlowB_ugpm);
        op->RtDoubleEditFluidFlow->SetValue(step.FlowC_ugpm);
    }
    fDesign.FluidFlowUpdate();
    fDesign.UpdateTrackbars();
}

void TSegmentController::ShowStepProgram() {
    Widgets::TTabbedListBox* list = fForm.Operation->RzTabbedListBoxSteps;
    list->Clear();
    for (const std::string& line : Program::StepListLines(fState.SegmentProgram)) {
        list->AddItem(line);
    }
}

void TSegmentController::ClearStepProgram() {
    fState.SegmentProgram.clear();
    fForm.Operation->RzTabbedListBoxSteps->Clear();
}

void TSegmentController::RzTabbedListBoxStepsClick() {
    RetrieveStep();
}

void TSegmentController::RzTabbedListBoxStepsKeyUp(int /*key*/) {
    RetrieveStep();
}

} // namespace UnitMain

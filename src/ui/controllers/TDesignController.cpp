#include "ui/controllers/TDesignController.h"

#include "design/FlowSetPoints.h"
#include "design/Simulation.h"
#include "logging/DiagnosticLogger.h"
#include "ui/TForm1.h"
#include "ui/tabs/TDebugTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TTrackBar.h"

#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <algorithm>
#include <limits>

namespace UnitMain {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

// A key released in a focused field that does not end the input (Return or Enter does).
bool IsTyping(const QWidget* field, int key) {
    return field->hasFocus() && key != Qt::Key_Return && key != Qt::Key_Enter;
}

// Which of a flow's two controls leads. A track bar the operator is moving leads whether or not it
// holds the focus (the wheel and a drag do not give it the focus).
Design::TFlowFocus LeadingControl(const QWidget* field, const Widgets::TTrackBar* trackBar) {
    if (trackBar->OperatorMoving()) {
        return Design::TFlowFocus::ffTrackBar;
    }
    if (field->hasFocus()) {
        return Design::TFlowFocus::ffField;
    }
    if (trackBar->hasFocus()) {
        return Design::TFlowFocus::ffTrackBar;
    }
    return Design::TFlowFocus::ffNone;
}

int ToFieldInt(std::int64_t value) {
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// The track bars move by code without running their own handler again: the handler would only
// repeat the update that moved them.
void MoveTrackBar(Widgets::TTrackBar* trackBar, int position) {
    const QSignalBlocker blocker(trackBar);
    trackBar->SetPosition(position);
}

} // namespace

TDesignController::TDesignController(TForm1& form, TMoistrelState& state, QObject* parent)
    : QObject(parent), fForm(form), fState(state) {
    TMixtureOperationTab* op = form.Operation;
    connect(op->RtIntegerEditY1Flow, &Widgets::TNumberEdit::KeyUp, this,
            [this](int key) { RtIntegerEditY1FlowKeyUp(key); });
    // Text that came without a key release (a paste by mouse, an input method) is held to MFC A's
    // range when the field is left, before a segment can take it.
    connect(op->RtIntegerEditY1Flow, &QLineEdit::editingFinished, this,
            [this] { FlowUpdate(TMFCSide::msA, false, false, Design::TFlowFocus::ffField); });
    connect(op->RzTrackBarY1, &Widgets::TTrackBar::Changed, this,
            [this] { FlowUpdate(TMFCSide::msA, false, false, FocusOf(TMFCSide::msA)); });
    connect(op->RtIntegerEditY2Flow, &Widgets::TNumberEdit::KeyUp, this,
            [this](int key) { RtIntegerEditY2FlowKeyUp(key); });
    // Leaving the B field ends the typing: a flow at or below the minimum becomes no flow now. The
    // field still leads at that moment, even when the focus has just gone to its track bar.
    connect(op->RtIntegerEditY2Flow, &QLineEdit::editingFinished, this,
            [this] { FlowUpdate(TMFCSide::msB, false, false, Design::TFlowFocus::ffField); });
    connect(op->RzTrackBarY2, &Widgets::TTrackBar::Changed, this,
            [this] { FlowUpdate(TMFCSide::msB, false, false, FocusOf(TMFCSide::msB)); });
    for (Widgets::TNumberEdit* field : {static_cast<Widgets::TNumberEdit*>(op->RtDoubleEditFluidFlow),
                                        static_cast<Widgets::TNumberEdit*>(op->RtDoubleEditAchievableFluid),
                                        static_cast<Widgets::TNumberEdit*>(op->RtDoubleEditStepDuration)}) {
        connect(field, &Widgets::TNumberEdit::KeyUp, this, [this] { FluidFlowUpdate(); });
    }
    // The pump speed follows every change of the C flow, also one that comes without a key release
    // in the field (a clamp, a paste, an input method, a key still held when the focus left).
    connect(op->RtDoubleEditFluidFlow, &Widgets::TNumberEdit::ValueChanged, this,
            [this] { FluidFlowUpdate(); });
    connect(op->RzTrackBarFluid, &Widgets::TTrackBar::Changed, this, [this] { FluidFlowUpdate(); });

    TDebugTab* debug = form.Debug;
    for (Widgets::TDoubleEdit* field :
         {debug->RtDoubleEditY1DemoMass, debug->RtDoubleEditY1DemoRange, debug->RtDoubleEditY1DemoTurndown,
          debug->RtDoubleEditY2DemoMass, debug->RtDoubleEditY2DemoRange, debug->RtDoubleEditY2DemoTurndown}) {
        connect(field, &Widgets::TNumberEdit::ValueChanged, this, [this] { GatherDesignInputs(); });
        connect(field, &Widgets::TNumberEdit::KeyUp, this, [this] { ApplysimulationValues(); });
    }
    // The name fields are plain line edits: their key releases come through the event filter.
    for (QLineEdit* name : {debug->EditY1DemoName, debug->EditY2DemoName}) {
        connect(name, &QLineEdit::textChanged, this, [this] { GatherDesignInputs(); });
        name->installEventFilter(this);
    }
    for (QPushButton* button :
         {debug->ButtonMFCAAir, debug->ButtonMFCAH2, debug->ButtonMFCBAir, debug->ButtonMFCBN2}) {
        connect(button, &QPushButton::clicked, this, [this, button] { ButtonMFCAAirClick(button); });
    }
    connect(op->RtDoubleEditStepDuration, &Widgets::TNumberEdit::ValueChanged, this,
            [this] { GatherDesignInputs(); });
    connect(op->EditStepComments, &QLineEdit::textChanged, this, [this] { GatherDesignInputs(); });
    GatherDesignInputs();
}

bool TDesignController::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease &&
        (watched == fForm.Debug->EditY1DemoName || watched == fForm.Debug->EditY2DemoName)) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (!key->isAutoRepeat()) {
            ApplysimulationValues();
        }
    }
    return QObject::eventFilter(watched, event);
}

void TDesignController::GatherDesignInputs() {
    if (fApplyingInputs) {
        return;
    }
    const TDebugTab* debug = fForm.Debug;
    const TMixtureOperationTab* op = fForm.Operation;
    TDesignInputs& inputs = fState.DesignInputs;
    inputs.DemoA = {debug->EditY1DemoName->text().toStdString(), debug->RtDoubleEditY1DemoMass->Value(),
                    debug->RtDoubleEditY1DemoRange->Value(), debug->RtDoubleEditY1DemoTurndown->Value()};
    inputs.DemoB = {debug->EditY2DemoName->text().toStdString(), debug->RtDoubleEditY2DemoMass->Value(),
                    debug->RtDoubleEditY2DemoRange->Value(), debug->RtDoubleEditY2DemoTurndown->Value()};
    inputs.StepDuration_h = op->RtDoubleEditStepDuration->Value();
    inputs.StepComments = op->EditStepComments->text().toStdString();
}

void TDesignController::ApplyDesignInputs() {
    const TDesignInputs inputs = fState.DesignInputs;
    {
        // Each field reports its change; the record is taken back whole once every field shows it.
        const QScopedValueRollback applying(fApplyingInputs, true);
        TDebugTab* debug = fForm.Debug;
        debug->EditY1DemoName->setText(Q(inputs.DemoA.Name));
        debug->RtDoubleEditY1DemoMass->SetValue(inputs.DemoA.Mass);
        debug->RtDoubleEditY1DemoRange->SetValue(inputs.DemoA.Range);
        debug->RtDoubleEditY1DemoTurndown->SetValue(inputs.DemoA.Turndown);
        debug->EditY2DemoName->setText(Q(inputs.DemoB.Name));
        debug->RtDoubleEditY2DemoMass->SetValue(inputs.DemoB.Mass);
        debug->RtDoubleEditY2DemoRange->SetValue(inputs.DemoB.Range);
        debug->RtDoubleEditY2DemoTurndown->SetValue(inputs.DemoB.Turndown);
        fForm.Operation->RtDoubleEditStepDuration->SetValue(inputs.StepDuration_h);
        fForm.Operation->EditStepComments->setText(Q(inputs.StepComments));
    }
    GatherDesignInputs();
}

void TDesignController::Startup() {
    // Until validation the program works on simulated instruments. Named before the flows are
    // computed, so that the first design panel already shows the simulated ports.
    fState.MFCADetails.ComPortName = "SIM";
    fState.MFCBDetails.ComPortName = "SIM";
    fState.PumpDetails.Port = "SIM";
    ApplysimulationValues();
    SetFluidRange();
    FluidFlowUpdate();
    FlowUpdateY1(false);
    FlowUpdateY2(false);
}

void TDesignController::FlowUpdateY1(bool updateFromCode) {
    FlowUpdate(TMFCSide::msA, updateFromCode, false, FocusOf(TMFCSide::msA));
}

void TDesignController::FlowUpdateY2(bool updateFromCode) {
    FlowUpdate(TMFCSide::msB, updateFromCode, false, FocusOf(TMFCSide::msB));
}

void TDesignController::RtIntegerEditY1FlowKeyUp(int key) {
    FlowUpdate(TMFCSide::msA, false, IsTyping(fForm.Operation->RtIntegerEditY1Flow, key),
               FocusOf(TMFCSide::msA));
}

void TDesignController::RtIntegerEditY2FlowKeyUp(int key) {
    FlowUpdate(TMFCSide::msB, false, IsTyping(fForm.Operation->RtIntegerEditY2Flow, key),
               FocusOf(TMFCSide::msB));
}

Design::TFlowFocus TDesignController::FocusOf(TMFCSide side) const {
    const TMixtureOperationTab* op = fForm.Operation;
    return side == TMFCSide::msA ? LeadingControl(op->RtIntegerEditY1Flow, op->RzTrackBarY1)
                                 : LeadingControl(op->RtIntegerEditY2Flow, op->RzTrackBarY2);
}

void TDesignController::FlowUpdate(TMFCSide side, bool updateFromCode, bool typing,
                                   Design::TFlowFocus focus) {
    TMixtureOperationTab* op = fForm.Operation;
    const bool isA = side == TMFCSide::msA;
    Widgets::TIntegerEdit* field = isA ? op->RtIntegerEditY1Flow : op->RtIntegerEditY2Flow;
    Widgets::TTrackBar* trackBar = isA ? op->RzTrackBarY1 : op->RzTrackBarY2;
    QGroupBox* box = isA ? op->GroupBoxY1 : op->GroupBoxY2;
    QLabel* label = isA ? op->Label10 : op->Label45;

    const Design::TFlowInput input{Design::MFCRangeOf(fState.MFCDetails(side)),
                                   field->Value(),
                                   trackBar->Position(),
                                   focus,
                                   updateFromCode,
                                   typing};
    const Design::TFlowResult result = isA ? Design::FlowUpdateY1(input) : Design::FlowUpdateY2(input);

    if (!result.DiagnosticMessage.empty()) {
        Logging::Logger().Send(result.DiagnosticMessage);
    }
    box->setTitle(Q(result.Caption));
    // Only a real change is written back, so a field being typed in keeps its text and cursor.
    if (result.FieldValue != field->Value()) {
        field->SetValue(ToFieldInt(result.FieldValue));
    }
    MoveTrackBar(trackBar, result.TrackBarPosition);
    label->setText(Q(result.Label));
    Design::ApplyFlowResult(fState.MFCDetails(side), result);
    ShowMixture2();
}

void TDesignController::SetFluidRange() {
    // A value clamped into the new bounds brings the pump speed with it (ValueChanged).
    fForm.Operation->RtDoubleEditFluidFlow->SetBounds(
        0.0, static_cast<double>(Design::FluidFlowMaximum(Design::PumpSetupOf(fState.PumpDetails))));
}

void TDesignController::PumpSettingsChanged() {
    SetFluidRange();
    FluidFlowUpdate();
}

void TDesignController::FluidFlowUpdate() {
    TMixtureOperationTab* op = fForm.Operation;
    Widgets::TDoubleEdit* field = op->RtDoubleEditFluidFlow;

    const Design::TFluidFlowInput input{
        fState.DesignInputs.StepDuration_h, field->Value(), op->RzTrackBarFluid->Position(),
        LeadingControl(field, op->RzTrackBarFluid), Design::PumpSetupOf(fState.PumpDetails)};
    const Design::TFluidFlowResult result = Design::FluidFlowUpdate(input);

    op->Label31->setText(Q(result.DurationLabel));
    {
        // This update already follows the value it writes.
        const QSignalBlocker blocker(field);
        field->SetBounds(result.FieldMinimum, result.FieldMaximum);
        if (result.FieldValue != field->Value()) {
            field->SetValue(result.FieldValue);
        }
    }
    MoveTrackBar(op->RzTrackBarFluid, result.TrackBarPosition);
    op->RtDoubleEditAchievableFluid->SetValue(result.Achievable);
    op->Label30->setText(Q(result.PumpCommand));
    op->Label55->setText(Q(result.SpeedLabel));
    fForm.MemoPump->SetText(result.MemoPump);
    ShowMixture2();
}

void TDesignController::UpdateTrackbars() {
    TMixtureOperationTab* op = fForm.Operation;
    const Design::TTrackBarPositions current{op->RzTrackBarY1->Position(), op->RzTrackBarY2->Position(),
                                             op->RzTrackBarFluid->Position()};
    const Design::TTrackBarPositions positions =
        Design::UpdateTrackbars(fState.MFCADetails, op->RtIntegerEditY1Flow->Value(), fState.MFCBDetails,
                                op->RtIntegerEditY2Flow->Value(), op->RtDoubleEditFluidFlow->Value(),
                                op->RtDoubleEditFluidFlow->Max(), current);
    MoveTrackBar(op->RzTrackBarY1, positions.A);
    MoveTrackBar(op->RzTrackBarY2, positions.B);
    MoveTrackBar(op->RzTrackBarFluid, positions.C);
    // What a moved track bar reports: the labels, the MFC records and the panel follow the fields.
    FlowUpdateY1(false);
    FlowUpdateY2(false);
}

Design::TSnapshotInput TDesignController::GatherSnapshot() const {
    const TMixtureOperationTab* op = fForm.Operation;
    Design::TSnapshotInput input;
    input.FlowA = op->RtIntegerEditY1Flow->Value();
    input.FlowB = op->RtIntegerEditY2Flow->Value();
    input.AchievableC = op->RtDoubleEditAchievableFluid->Value();
    input.PumpCommand = op->Label30->text().toStdString();
    const TDesignInputs& design = fState.DesignInputs;
    input.StepComments = design.StepComments;
    input.StepDuration = design.StepDuration_h;
    input.DemoA = {design.DemoA.Name, design.DemoA.Mass};
    input.DemoB = {design.DemoB.Name, design.DemoB.Mass};
    input.CustomTempC = design.CustomTempC;
    input.CustomPressure_mbar = design.CustomPressure_mbar;
    return input;
}

GasMixtures::TGasItem TDesignController::CreateMixture() const {
    return Design::CreateMixture(fState, GatherSnapshot());
}

void TDesignController::ShowMixture2() {
    const std::string text = Design::ShowMixture2(fState, GatherSnapshot());
    if (text.empty()) {
        fForm.Operation->Memo1->Clear();
    } else {
        fForm.Operation->Memo1->SetText(text);
    }
}

void TDesignController::ApplysimulationValues() {
    const TDemoInputs& demoA = fState.DesignInputs.DemoA;
    const TDemoInputs& demoB = fState.DesignInputs.DemoB;
    const Design::TDemoValues a{demoA.Name, demoA.Mass, demoA.Range, demoA.Turndown};
    const Design::TDemoValues b{demoB.Name, demoB.Mass, demoB.Range, demoB.Turndown};
    const Design::TSimulationApplied applied = Design::ApplysimulationValues(fState, a, b);
    if (!applied.Applied) {
        return;
    }
    // A new range puts each flow where its track bar stands; an unchanged one keeps the typed flow.
    FlowUpdateY1(applied.ChangedA);
    FlowUpdateY2(applied.ChangedB);
}

void TDesignController::ButtonMFCAAirClick(const QObject* sender) {
    if (sender == nullptr) {
        return;
    }
    const std::optional<Design::TDemoPreset> preset =
        Design::ButtonMFCAAirClick(sender->objectName().toStdString());
    if (!preset) {
        return;
    }
    const bool isA = preset->Side == TMFCSide::msA;
    TDebugTab* debug = fForm.Debug;
    (isA ? fForm.Operation->GroupBoxY1 : fForm.Operation->GroupBoxY2)->setTitle(Q(preset->BoxCaption));
    (isA ? debug->EditY1DemoName : debug->EditY2DemoName)->setText(Q(preset->GasName));
    (isA ? debug->RtDoubleEditY1DemoMass : debug->RtDoubleEditY2DemoMass)->SetValue(preset->GasMass);
}

} // namespace UnitMain

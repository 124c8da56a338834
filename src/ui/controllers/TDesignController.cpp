#include "ui/controllers/TDesignController.h"

#include "design/FlowSetPoints.h"
#include "design/Simulation.h"
#include "logging/DiagnosticLogger.h"
#include "ui/TForm1.h"
#include "ui/tabs/TDebugTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TPumpFluidTab.h"
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
#include <QSignalBlocker>
#include <algorithm>
#include <limits>

namespace UnitMain {

namespace {

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

Design::TFlowFocus FocusOf(const QWidget* field, const QWidget* trackBar) {
    if (field->hasFocus()) {
        return Design::TFlowFocus::ffField;
    }
    if (trackBar->hasFocus()) {
        return Design::TFlowFocus::ffTrackBar;
    }
    return Design::TFlowFocus::ffNone;
}

// A key released in a focused field that does not end the input (Return or Enter does).
bool IsTyping(const QWidget* field, int key) {
    return field->hasFocus() && key != Qt::Key_Return && key != Qt::Key_Enter;
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
    connect(op->RzTrackBarY1, &Widgets::TTrackBar::Changed, this, [this] { FlowUpdateY1(false); });
    connect(op->RtIntegerEditY2Flow, &Widgets::TNumberEdit::KeyUp, this,
            [this](int key) { RtIntegerEditY2FlowKeyUp(key); });
    // Leaving the B field ends the typing: a flow at or below the minimum becomes no flow now.
    connect(op->RtIntegerEditY2Flow, &QLineEdit::editingFinished, this, [this] { FlowUpdateY2(false); });
    connect(op->RzTrackBarY2, &Widgets::TTrackBar::Changed, this, [this] { FlowUpdateY2(false); });
    for (Widgets::TNumberEdit* field : {static_cast<Widgets::TNumberEdit*>(op->RtDoubleEditFluidFlow),
                                        static_cast<Widgets::TNumberEdit*>(op->RtDoubleEditAchievableFluid),
                                        static_cast<Widgets::TNumberEdit*>(op->RtDoubleEditStepDuration)}) {
        connect(field, &Widgets::TNumberEdit::KeyUp, this, [this] { FluidFlowUpdate(); });
    }
    connect(op->RzTrackBarFluid, &Widgets::TTrackBar::Changed, this, [this] { FluidFlowUpdate(); });

    TDebugTab* debug = form.Debug;
    for (Widgets::TDoubleEdit* field :
         {debug->RtDoubleEditY1DemoMass, debug->RtDoubleEditY1DemoRange, debug->RtDoubleEditY1DemoTurndown,
          debug->RtDoubleEditY2DemoMass, debug->RtDoubleEditY2DemoRange, debug->RtDoubleEditY2DemoTurndown}) {
        connect(field, &Widgets::TNumberEdit::KeyUp, this, [this] { ApplysimulationValues(); });
    }
    // The name fields are plain line edits: their key releases come through the event filter.
    debug->EditY1DemoName->installEventFilter(this);
    debug->EditY2DemoName->installEventFilter(this);
    for (QPushButton* button :
         {debug->ButtonMFCAAir, debug->ButtonMFCAH2, debug->ButtonMFCBAir, debug->ButtonMFCBN2}) {
        connect(button, &QPushButton::clicked, this, [this, button] { ButtonMFCAAirClick(button); });
    }
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
    FlowUpdate(TMFCSide::msA, updateFromCode);
}

void TDesignController::FlowUpdateY2(bool updateFromCode) {
    FlowUpdate(TMFCSide::msB, updateFromCode);
}

void TDesignController::RtIntegerEditY1FlowKeyUp(int key) {
    FlowUpdate(TMFCSide::msA, false, IsTyping(fForm.Operation->RtIntegerEditY1Flow, key));
}

void TDesignController::RtIntegerEditY2FlowKeyUp(int key) {
    FlowUpdate(TMFCSide::msB, false, IsTyping(fForm.Operation->RtIntegerEditY2Flow, key));
}

void TDesignController::FlowUpdate(TMFCSide side, bool updateFromCode, bool typing) {
    TMixtureOperationTab* op = fForm.Operation;
    const bool isA = side == TMFCSide::msA;
    Widgets::TIntegerEdit* field = isA ? op->RtIntegerEditY1Flow : op->RtIntegerEditY2Flow;
    Widgets::TTrackBar* trackBar = isA ? op->RzTrackBarY1 : op->RzTrackBarY2;
    QGroupBox* box = isA ? op->GroupBoxY1 : op->GroupBoxY2;
    QLabel* label = isA ? op->Label10 : op->Label45;

    const Design::TFlowInput input{Design::MFCRangeOf(fState.MFCDetails(side)),
                                   field->Value(),
                                   trackBar->Position(),
                                   FocusOf(field, trackBar),
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
    fForm.Operation->RtDoubleEditFluidFlow->SetBounds(
        0.0, static_cast<double>(Design::FluidFlowMaximum(Design::PumpSetupOf(fState.PumpDetails))));
}

void TDesignController::FluidFlowUpdate() {
    TMixtureOperationTab* op = fForm.Operation;
    Widgets::TDoubleEdit* field = op->RtDoubleEditFluidFlow;

    const Design::TFluidFlowInput input{op->RtDoubleEditStepDuration->Value(), field->Value(),
                                        op->RzTrackBarFluid->Position(), FocusOf(field, op->RzTrackBarFluid),
                                        Design::PumpSetupOf(fState.PumpDetails)};
    const Design::TFluidFlowResult result = Design::FluidFlowUpdate(input);

    op->Label31->setText(Q(result.DurationLabel));
    field->SetBounds(result.FieldMinimum, result.FieldMaximum);
    if (result.FieldValue != field->Value()) {
        field->SetValue(result.FieldValue);
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
    const TDebugTab* debug = fForm.Debug;
    const TPumpFluidTab* pump = fForm.PumpFluid;
    Design::TSnapshotInput input;
    input.FlowA = op->RtIntegerEditY1Flow->Value();
    input.FlowB = op->RtIntegerEditY2Flow->Value();
    input.AchievableC = op->RtDoubleEditAchievableFluid->Value();
    input.PumpCommand = op->Label30->text().toStdString();
    input.StepComments = op->EditStepComments->text().toStdString();
    input.StepDuration = op->RtDoubleEditStepDuration->Value();
    input.DemoA = {debug->EditY1DemoName->text().toStdString(), debug->RtDoubleEditY1DemoMass->Value()};
    input.DemoB = {debug->EditY2DemoName->text().toStdString(), debug->RtDoubleEditY2DemoMass->Value()};
    input.CustomTempC = pump->RtDoubleEditCustomTemp->Value();
    input.CustomPressure_mbar = pump->RtDoubleEditCustomPressure->Value();
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
    const TDebugTab* debug = fForm.Debug;
    const Design::TDemoValues a{
        debug->EditY1DemoName->text().toStdString(), debug->RtDoubleEditY1DemoMass->Value(),
        debug->RtDoubleEditY1DemoRange->Value(), debug->RtDoubleEditY1DemoTurndown->Value()};
    const Design::TDemoValues b{
        debug->EditY2DemoName->text().toStdString(), debug->RtDoubleEditY2DemoMass->Value(),
        debug->RtDoubleEditY2DemoRange->Value(), debug->RtDoubleEditY2DemoTurndown->Value()};
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

#include "ui/tabs/TMixtureOperationTab.h"

#include "ui/tabs/ControlFactory.h"
#include "ui/tabs/TTargetBox.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TLedCaption.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TStatusPanels.h"
#include "ui/widgets/TTabbedListBox.h"
#include "ui/widgets/TTrackBar.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace UnitMain {

namespace {

constexpr int LeftColumnWidth = 370;
constexpr int MiddleColumnWidth = 356;
constexpr int FieldWidth = 100;

// "Minimum" [track bar] "Maximum" on one row.
void AddTrackRow(QGridLayout* grid, int row, Widgets::TTrackBar* track, QWidget* parent) {
    grid->addWidget(MakeLabel(QStringLiteral("Minimum"), parent), row, 0);
    grid->addWidget(track, row, 1, 1, 2);
    grid->addWidget(MakeLabel(QStringLiteral("Maximum"), parent), row, 3);
}

Widgets::TTrackBar* MakeTrack(const QString& name, int position, QWidget* parent) {
    auto* track = new Widgets::TTrackBar(parent);
    track->setObjectName(name);
    track->SetPosition(position);
    return track;
}

// An A or B component box: track bar, flow field in whole µg/min and the flow in g/min.
QGroupBox* MakeGasBox(const QString& boxName, const QString& caption, const QString& trackName,
                      const QString& fieldName, const QString& labelName, QWidget* parent,
                      Widgets::TTrackBar*& track, Widgets::TIntegerEdit*& field, QLabel*& label) {
    auto* box = MakeGroupBox(boxName, caption, parent);
    auto* grid = new QGridLayout(box);
    track = MakeTrack(trackName, 5, box);
    AddTrackRow(grid, 0, track, box);
    // A negative flow is no flow: the field never holds one (the segment would leave it out unseen).
    field = MakeIntegerEdit(fieldName, 0, box, 0);
    field->setFixedWidth(FieldWidth);
    label = MakeLabel(QStringLiteral("0 g/min"), box, labelName);
    grid->addWidget(MakeLabelFor(QStringLiteral("Flow µg/min"), field, box), 1, 0);
    grid->addWidget(field, 1, 1);
    grid->addWidget(label, 1, 2, 1, 2);
    grid->setColumnStretch(2, 1);
    return box;
}

} // namespace

TMixtureOperationTab::TMixtureOperationTab(QWidget* parent) : QWidget(parent) {
    StatusBar1 = new Widgets::TStatusPanels({220, 310, 290, 200, 250}, this);
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    RzLEDDisplay1 = new Widgets::TLedCaption(this);
    RzLEDDisplay1->setObjectName(QStringLiteral("RzLEDDisplay1"));

    // Left column: the three flows and the segment box.
    auto* left = new QWidget(this);
    left->setFixedWidth(LeftColumnWidth);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    GroupBoxY1 = MakeGasBox(QStringLiteral("GroupBoxY1"), QStringLiteral("A-component: "),
                            QStringLiteral("RzTrackBarY1"), QStringLiteral("RtIntegerEditY1Flow"),
                            QStringLiteral("Label10"), left, RzTrackBarY1, RtIntegerEditY1Flow, Label10);
    GroupBoxY2 = MakeGasBox(QStringLiteral("GroupBoxY2"), QStringLiteral("B-component: "),
                            QStringLiteral("RzTrackBarY2"), QStringLiteral("RtIntegerEditY2Flow"),
                            QStringLiteral("Label45"), left, RzTrackBarY2, RtIntegerEditY2Flow, Label45);
    leftLayout->addWidget(GroupBoxY1);
    leftLayout->addWidget(GroupBoxY2);

    GroupBoxX = MakeGroupBox(QStringLiteral("GroupBoxX"), QStringLiteral("C-component: Undefined"), left);
    auto* gridX = new QGridLayout(GroupBoxX);
    RzTrackBarFluid = MakeTrack(QStringLiteral("RzTrackBarFluid"), 0, GroupBoxX);
    AddTrackRow(gridX, 0, RzTrackBarFluid, GroupBoxX);
    RtDoubleEditFluidFlow = MakeDoubleEdit(QStringLiteral("RtDoubleEditFluidFlow"), 0.0, GroupBoxX, 0.0);
    RtDoubleEditAchievableFluid =
        MakeDoubleEdit(QStringLiteral("RtDoubleEditAchievableFluid"), 0.0, GroupBoxX);
    RtDoubleEditAchievableFluid->SetDisplayFormat("0.0");
    RtDoubleEditAchievableFluid->setEnabled(false);
    RtDoubleEditFluidFlow->setFixedWidth(FieldWidth);
    RtDoubleEditAchievableFluid->setFixedWidth(FieldWidth);
    gridX->addWidget(MakeLabelFor(QStringLiteral("Flow"), RtDoubleEditFluidFlow, GroupBoxX), 1, 0);
    gridX->addWidget(RtDoubleEditFluidFlow, 1, 1);
    gridX->addWidget(MakeLabel(QStringLiteral("µg/min"), GroupBoxX), 1, 2);
    gridX->addWidget(MakeLabelFor(QStringLiteral("Achievable"), RtDoubleEditAchievableFluid, GroupBoxX), 2,
                     0);
    gridX->addWidget(RtDoubleEditAchievableFluid, 2, 1);
    gridX->addWidget(MakeLabel(QStringLiteral("µg/min"), GroupBoxX), 2, 2);
    Label30 = MakeLabel(QString(), GroupBoxX, QStringLiteral("Label30"));
    Label55 = MakeLabel(QString(), GroupBoxX, QStringLiteral("Label55"));
    Label30->setTextInteractionFlags(Qt::TextSelectableByMouse);
    gridX->addWidget(MakeLabel(QStringLiteral("Pump command:"), GroupBoxX), 3, 0);
    gridX->addWidget(Label30, 3, 1, 1, 3);
    gridX->addWidget(MakeLabel(QStringLiteral("Pump speed:"), GroupBoxX), 4, 0);
    gridX->addWidget(Label55, 4, 1, 1, 3);
    gridX->setColumnStretch(2, 1);
    leftLayout->addWidget(GroupBoxX);

    GroupBoxSegment = MakeGroupBox(QStringLiteral("GroupBoxSegment"), QStringLiteral("Segment"), left);
    auto* gridSegment = new QGridLayout(GroupBoxSegment);
    RtDoubleEditStepDuration =
        MakeDoubleEdit(QStringLiteral("RtDoubleEditStepDuration"), 0.75, GroupBoxSegment);
    RtDoubleEditStepDuration->setFixedWidth(FieldWidth);
    Label31 = MakeLabel(QStringLiteral("hh:mm"), GroupBoxSegment, QStringLiteral("Label31"));
    EditStepComments = MakeEdit(QStringLiteral("EditStepComments"), QString(), GroupBoxSegment);
    ButtonAddStep =
        MakeButton(QStringLiteral("ButtonAddStep"), QStringLiteral("Add or Save Segment"), GroupBoxSegment);
    ButtonSegmentDelete = MakeButton(QStringLiteral("ButtonSegmentDelete"),
                                     QStringLiteral("Delete last Segment"), GroupBoxSegment);
    gridSegment->addWidget(
        MakeLabelFor(QStringLiteral("Duration"), RtDoubleEditStepDuration, GroupBoxSegment), 0, 0);
    gridSegment->addWidget(RtDoubleEditStepDuration, 0, 1);
    gridSegment->addWidget(MakeLabel(QStringLiteral("Hours"), GroupBoxSegment), 0, 2);
    gridSegment->addWidget(Label31, 0, 3);
    gridSegment->addWidget(MakeLabelFor(QStringLiteral("Comments"), EditStepComments, GroupBoxSegment), 1, 0);
    gridSegment->addWidget(EditStepComments, 1, 1, 1, 3);
    gridSegment->addWidget(ButtonAddStep, 2, 0, 1, 2);
    gridSegment->addWidget(ButtonSegmentDelete, 2, 2, 1, 2);
    gridSegment->setColumnStretch(3, 1);
    leftLayout->addWidget(GroupBoxSegment);
    leftLayout->addStretch(1);

    // Middle column: the target, operation and the segment program.
    auto* middle = new QWidget(this);
    middle->setFixedWidth(MiddleColumnWidth);
    auto* middleLayout = new QVBoxLayout(middle);
    middleLayout->setContentsMargins(0, 0, 0, 0);
    GroupBoxTarget = new TTargetBox(middle);
    middleLayout->addWidget(GroupBoxTarget);
    GroupBoxOperation =
        MakeGroupBox(QStringLiteral("GroupBoxOperation"), QStringLiteral("Operation"), middle);
    auto* operationLayout = new QVBoxLayout(GroupBoxOperation);
    operationLayout->setContentsMargins(9, 4, 9, 6);
    auto* operationNote = MakeLabel(
        QStringLiteral("Once satisfied with the mixture design, start the pump here"), GroupBoxOperation);
    operationNote->setWordWrap(true);
    operationLayout->addWidget(operationNote);
    ButtonApply = MakeButton(QStringLiteral("ButtonApply"), QStringLiteral("Start with current program"),
                             GroupBoxOperation);
    ButtonStop = MakeButton(QStringLiteral("ButtonStop"), QStringLiteral("Stop"), GroupBoxOperation);
    ButtonApply->setMinimumHeight(30);
    ButtonStop->setMinimumHeight(30);
    operationLayout->addWidget(ButtonApply);
    operationLayout->addWidget(ButtonStop);
    middleLayout->addWidget(GroupBoxOperation);

    GroupBoxSegmentProgram = MakeGroupBox(QStringLiteral("GroupBoxSegmentProgram"),
                                          QStringLiteral("Segment program (esc to unselect)"), middle);
    auto* programLayout = new QVBoxLayout(GroupBoxSegmentProgram);
    RzTabbedListBoxSteps = new Widgets::TTabbedListBox(GroupBoxSegmentProgram);
    RzTabbedListBoxSteps->setObjectName(QStringLiteral("RzTabbedListBoxSteps"));
    // The list has no label of its own: the box's caption names it.
    RzTabbedListBoxSteps->setAccessibleName(GroupBoxSegmentProgram->title());
    Label24 = MakeLabel(QStringLiteral("All flow will automatically stop after the last segment duration"),
                        GroupBoxSegmentProgram, QStringLiteral("Label24"));
    Label24->setWordWrap(true);
    // The saved programs, right under the list they fill or save.
    ButtonSaveProgram = MakeButton(QStringLiteral("ButtonSaveProgram"), QStringLiteral("Save program..."),
                                   GroupBoxSegmentProgram);
    ButtonLoadProgram = MakeButton(QStringLiteral("ButtonLoadProgram"), QStringLiteral("Load program..."),
                                   GroupBoxSegmentProgram);
    auto* fileRow = new QHBoxLayout();
    fileRow->addWidget(ButtonSaveProgram);
    fileRow->addWidget(ButtonLoadProgram);
    programLayout->addWidget(RzTabbedListBoxSteps, 1);
    programLayout->addLayout(fileRow);
    programLayout->addWidget(Label24);
    middleLayout->addWidget(GroupBoxSegmentProgram, 1);

    Memo1 = MakeMemo(QStringLiteral("Memo1"), false, this);

    auto* columns = new QHBoxLayout();
    columns->addWidget(left);
    columns->addWidget(middle);
    columns->addWidget(Memo1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(StatusBar1);
    layout->addWidget(RzLEDDisplay1);
    layout->addLayout(columns, 1);
}

} // namespace UnitMain

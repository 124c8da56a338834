#include "ui/tabs/TSetupTab.h"

#include "ui/tabs/ControlFactory.h"
#include "ui/widgets/TListBox.h"
#include "ui/widgets/TMemoPane.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

namespace UnitMain {

namespace {

constexpr int LeftColumnWidth = 410;

Widgets::TListBox* MakeList(const QString& name, QWidget* parent) {
    auto* list = new Widgets::TListBox(parent);
    list->setObjectName(name);
    return list;
}

// A check box that shows what the program found; the operator cannot tick it.
void MakeDisplayOnly(QCheckBox* check) {
    check->setAttribute(Qt::WA_TransparentForMouseEvents);
    check->setFocusPolicy(Qt::NoFocus);
}

} // namespace

TSetupTab::TSetupTab(QWidget* parent) : QWidget(parent) {
    auto* left = new QWidget(this);
    left->setFixedWidth(LeftColumnWidth);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);

    auto* boxList = MakeGroupBox(QStringLiteral("GroupBoxListPorts"), QStringLiteral("1. List ports"), left);
    auto* listLayout = new QHBoxLayout(boxList);
    ButtonSetupFindPorts =
        MakeButton(QStringLiteral("ButtonSetupFindPorts"), QStringLiteral("Find ports"), boxList);
    ButtonSetupFindPorts->setMinimumWidth(120);
    listLayout->addWidget(ButtonSetupFindPorts);
    listLayout->addStretch(1);
    leftLayout->addWidget(boxList);

    auto* boxSelect =
        MakeGroupBox(QStringLiteral("GroupBoxSelectPorts"), QStringLiteral("2. Select ports"), left);
    auto* selectLayout = new QGridLayout(boxSelect);
    ListBoxPortPump = MakeList(QStringLiteral("ListBoxPortPump"), boxSelect);
    ListBoxPortMFC1 = MakeList(QStringLiteral("ListBoxPortMFC1"), boxSelect);
    ListBoxPortMFC2 = MakeList(QStringLiteral("ListBoxPortMFC2"), boxSelect);
    // A port's name ends in what tells the ports apart ("…/virtual-instruments/mfc-a"): a name too
    // long for the list loses its beginning, not its end; the whole name is its tool tip.
    for (Widgets::TListBox* list : {ListBoxPortPump, ListBoxPortMFC1, ListBoxPortMFC2}) {
        list->setTextElideMode(Qt::ElideLeft);
        list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    selectLayout->addWidget(MakeLabelFor(QStringLiteral("Port for pump"), ListBoxPortPump, boxSelect), 0, 0);
    selectLayout->addWidget(MakeLabelFor(QStringLiteral("Port for MFC A"), ListBoxPortMFC1, boxSelect), 0, 1);
    selectLayout->addWidget(MakeLabelFor(QStringLiteral("Port for MFC B"), ListBoxPortMFC2, boxSelect), 0, 2);
    selectLayout->addWidget(ListBoxPortPump, 1, 0);
    selectLayout->addWidget(ListBoxPortMFC1, 1, 1);
    selectLayout->addWidget(ListBoxPortMFC2, 1, 2);
    selectLayout->setRowStretch(1, 1);
    leftLayout->addWidget(boxSelect, 3);

    auto* boxValidate =
        MakeGroupBox(QStringLiteral("GroupBoxValidate"), QStringLiteral("3. Validate selected ports"), left);
    auto* validateLayout = new QHBoxLayout(boxValidate);
    ButtonSetupValidate =
        MakeButton(QStringLiteral("ButtonSetupValidate"), QStringLiteral("Validate"), boxValidate);
    ButtonSetupValidate->setMinimumWidth(120);
    validateLayout->addWidget(ButtonSetupValidate);
    validateLayout->addStretch(1);
    leftLayout->addWidget(boxValidate);

    auto* boxGases =
        MakeGroupBox(QStringLiteral("GroupBoxSelectGases"), QStringLiteral("4. Select gases"), left);
    auto* gasLayout = new QGridLayout(boxGases);
    ListBox1 = MakeList(QStringLiteral("ListBox1"), boxGases);
    ListBox2 = MakeList(QStringLiteral("ListBox2"), boxGases);
    gasLayout->addWidget(MakeLabelFor(QStringLiteral("MFC A"), ListBox1, boxGases), 0, 0);
    gasLayout->addWidget(MakeLabelFor(QStringLiteral("MFC B"), ListBox2, boxGases), 0, 1);
    gasLayout->addWidget(ListBox1, 1, 0);
    gasLayout->addWidget(ListBox2, 1, 1);
    gasLayout->setRowStretch(1, 1);
    leftLayout->addWidget(boxGases, 4);

    GroupBoxFeedback = MakeGroupBox(QStringLiteral("GroupBoxFeedback"), QStringLiteral("Feedback"), this);
    auto* feedbackLayout = new QVBoxLayout(GroupBoxFeedback);
    CheckBoxPump =
        MakeCheckBox(QStringLiteral("CheckBoxPump"), QStringLiteral("Pump found"), GroupBoxFeedback);
    CheckBoxMFC = MakeCheckBox(QStringLiteral("CheckBoxMFC"),
                               QStringLiteral("2 MFCs (mass flow controllers) found"), GroupBoxFeedback);
    CheckBoxGas =
        MakeCheckBox(QStringLiteral("CheckBoxGas"), QStringLiteral("Gases selected"), GroupBoxFeedback);
    for (QCheckBox* check : {CheckBoxPump, CheckBoxMFC, CheckBoxGas}) {
        MakeDisplayOnly(check);
        feedbackLayout->addWidget(check);
    }
    // Whether lab software may drive the generator over the network, and how many clients do.
    LabelRemoteControl = MakeLabel(QStringLiteral("Remote control: off"), GroupBoxFeedback,
                                   QStringLiteral("LabelRemoteControl"));
    feedbackLayout->addWidget(LabelRemoteControl);
    MemoSetupFeedback = MakeMemo(QStringLiteral("MemoSetupFeedback"), true, GroupBoxFeedback);
    feedbackLayout->addWidget(
        MakeLabelFor(QStringLiteral("Additional Information"), MemoSetupFeedback, GroupBoxFeedback));
    feedbackLayout->addWidget(MemoSetupFeedback, 1);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(left);
    layout->addWidget(GroupBoxFeedback);
    layout->addStretch(1);
    FitFeedbackToWindow(1126);
}

void TSetupTab::FitFeedbackToWindow(int windowWidth) {
    GroupBoxFeedback->setFixedWidth(std::max(windowWidth - 450, FeedbackMinWidth));
}

} // namespace UnitMain

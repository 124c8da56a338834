#include "ui/dialogs/TSequenceDialog.h"

#include "ui/tabs/ControlFactory.h"
#include "ui/widgets/TDoubleEdit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace UnitMain {

TSequenceDialog::TSequenceDialog(const QString& targetKind, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("DialogSequence"));
    setWindowTitle(QStringLiteral("Sequence of targets"));
    auto* grid = new QGridLayout(this);

    LabelSequenceKind =
        MakeLabel(QStringLiteral("Targets: ") + targetKind, this, QStringLiteral("LabelSequenceKind"));
    RadioSequenceList = new QRadioButton(QStringLiteral("List"), this);
    RadioSequenceList->setObjectName(QStringLiteral("RadioSequenceList"));
    RadioSequenceList->setChecked(true);
    EditSequenceList = MakeEdit(QStringLiteral("EditSequenceList"),
                                QStringLiteral("10, 30, 50, 70, 90, 70, 50, 30, 10"), this);
    EditSequenceList->setAccessibleName(QStringLiteral("List"));
    RadioSequenceRange = new QRadioButton(QStringLiteral("From, to, step"), this);
    RadioSequenceRange->setObjectName(QStringLiteral("RadioSequenceRange"));
    EditSequenceFrom = MakeDoubleEdit(QStringLiteral("EditSequenceFrom"), 10.0, this);
    EditSequenceTo = MakeDoubleEdit(QStringLiteral("EditSequenceTo"), 90.0, this);
    EditSequenceStep = MakeDoubleEdit(QStringLiteral("EditSequenceStep"), 20.0, this);
    EditSequenceHold = MakeDoubleEdit(QStringLiteral("EditSequenceHold"), 0.5, this);
    EditSequenceSettling = MakeDoubleEdit(QStringLiteral("EditSequenceSettling"), 0.0, this, 0.0);
    ButtonsSequence = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ButtonsSequence->setObjectName(QStringLiteral("ButtonsSequence"));
    ButtonsSequence->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Append segments"));

    int row = 0;
    grid->addWidget(LabelSequenceKind, row++, 0, 1, 4);
    grid->addWidget(RadioSequenceList, row, 0);
    grid->addWidget(EditSequenceList, row++, 1, 1, 3);
    grid->addWidget(RadioSequenceRange, row++, 0, 1, 4);
    grid->addWidget(MakeLabelFor(QStringLiteral("From"), EditSequenceFrom, this), row, 0);
    grid->addWidget(EditSequenceFrom, row++, 1);
    grid->addWidget(MakeLabelFor(QStringLiteral("To"), EditSequenceTo, this), row, 0);
    grid->addWidget(EditSequenceTo, row++, 1);
    grid->addWidget(MakeLabelFor(QStringLiteral("Step"), EditSequenceStep, this), row, 0);
    grid->addWidget(EditSequenceStep, row++, 1);
    grid->addWidget(MakeLabelFor(QStringLiteral("Hold"), EditSequenceHold, this), row, 0);
    grid->addWidget(EditSequenceHold, row, 1);
    grid->addWidget(MakeLabel(QStringLiteral("Hours, each target"), this), row++, 2, 1, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("Settling"), EditSequenceSettling, this), row, 0);
    grid->addWidget(EditSequenceSettling, row, 1);
    grid->addWidget(MakeLabel(QStringLiteral("Hours at the first target (0: none)"), this), row++, 2, 1, 2);
    grid->addWidget(ButtonsSequence, row, 0, 1, 4);
    grid->setColumnStretch(3, 1);

    connect(ButtonsSequence, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ButtonsSequence, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(RadioSequenceList, &QRadioButton::toggled, this, [this] { WayChanged(); });
    WayChanged();
}

void TSequenceDialog::WayChanged() {
    const bool list = RadioSequenceList->isChecked();
    EditSequenceList->setEnabled(list);
    for (Widgets::TDoubleEdit* field : {EditSequenceFrom, EditSequenceTo, EditSequenceStep}) {
        field->setEnabled(!list);
    }
}

} // namespace UnitMain

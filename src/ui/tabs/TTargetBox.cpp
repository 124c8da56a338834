#include "ui/tabs/TTargetBox.h"

#include "ui/tabs/ControlFactory.h"
#include "ui/widgets/TDoubleEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace UnitMain {

namespace {

constexpr int FieldWidth = 56;

QComboBox* MakeCombo(const QString& name, const QStringList& items, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->addItems(items);
    return combo;
}

} // namespace

TTargetBox::TTargetBox(QWidget* parent) : QGroupBox(QStringLiteral("Target"), parent) {
    setObjectName(QStringLiteral("GroupBoxTarget"));
    auto* grid = new QGridLayout(this);

    ComboBoxTargetKind = MakeCombo(
        QStringLiteral("ComboBoxTargetKind"),
        {QStringLiteral("Relative humidity"), QStringLiteral("Dew point"), QStringLiteral("Concentration")},
        this);
    EditTargetValue = MakeDoubleEdit(QStringLiteral("EditTargetValue"), 50.0, this);
    LabelTargetUnit = MakeLabel(QStringLiteral("%"), this, QStringLiteral("LabelTargetUnit"));
    EditTargetSubstance = MakeEdit(QStringLiteral("EditTargetSubstance"), QStringLiteral("H2O"), this);
    EditTargetCarrier = MakeDoubleEdit(QStringLiteral("EditTargetCarrier"), 0.03, this, 0.0);
    ComboBoxTargetCarrierUnit = MakeCombo(QStringLiteral("ComboBoxTargetCarrierUnit"),
                                          {QStringLiteral("g/min"), QStringLiteral("ln/min")}, this);
    // The unit has no label of its own: it reads after the carrier flow.
    ComboBoxTargetCarrierUnit->setAccessibleName(QStringLiteral("Carrier unit"));
    EditTargetBShare = MakeDoubleEdit(QStringLiteral("EditTargetBShare"), 0.0, this, 0.0, 100.0);
    EditTargetTemp = MakeDoubleEdit(QStringLiteral("EditTargetTemp"), 23.0, this, -273.15);
    EditTargetPressure = MakeDoubleEdit(QStringLiteral("EditTargetPressure"), 1013.25, this, 0.0);
    for (Widgets::TDoubleEdit* field :
         {EditTargetValue, EditTargetCarrier, EditTargetBShare, EditTargetTemp, EditTargetPressure}) {
        field->setFixedWidth(FieldWidth);
    }
    EditTargetSubstance->setFixedWidth(FieldWidth);
    ButtonApplyTarget = MakeButton(QStringLiteral("ButtonApplyTarget"), QStringLiteral("Apply target"), this);
    ButtonTargetSequence =
        MakeButton(QStringLiteral("ButtonTargetSequence"), QStringLiteral("Sequence..."), this);
    LabelTargetAchieved =
        MakeLabel(QStringLiteral("Achieved: none"), this, QStringLiteral("LabelTargetAchieved"));
    LabelTargetRange =
        MakeLabel(QStringLiteral("Reachable: unknown"), this, QStringLiteral("LabelTargetRange"));
    LabelTargetAchieved->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LabelTargetRange->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // Two fields to a row, so that the box leaves the segment program in sight at the window's
    // start size: label, field, unit | label, field, unit.
    grid->addWidget(MakeLabelFor(QStringLiteral("Kind"), ComboBoxTargetKind, this), 0, 0);
    grid->addWidget(ComboBoxTargetKind, 0, 1, 1, 5);
    grid->addWidget(MakeLabelFor(QStringLiteral("Value"), EditTargetValue, this), 1, 0);
    grid->addWidget(EditTargetValue, 1, 1);
    grid->addWidget(LabelTargetUnit, 1, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("Substance"), EditTargetSubstance, this), 1, 3);
    grid->addWidget(EditTargetSubstance, 1, 4, 1, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("Carrier flow"), EditTargetCarrier, this), 2, 0);
    grid->addWidget(EditTargetCarrier, 2, 1);
    grid->addWidget(ComboBoxTargetCarrierUnit, 2, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("B share"), EditTargetBShare, this), 2, 3);
    grid->addWidget(EditTargetBShare, 2, 4);
    grid->addWidget(MakeLabel(QStringLiteral("%"), this), 2, 5);
    grid->addWidget(MakeLabelFor(QStringLiteral("Temperature"), EditTargetTemp, this), 3, 0);
    grid->addWidget(EditTargetTemp, 3, 1);
    grid->addWidget(MakeLabel(QStringLiteral("\u00BAC"), this), 3, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("Pressure"), EditTargetPressure, this), 3, 3);
    grid->addWidget(EditTargetPressure, 3, 4);
    grid->addWidget(MakeLabel(QStringLiteral("mbar"), this), 3, 5);
    grid->addWidget(ButtonApplyTarget, 4, 0, 1, 3);
    grid->addWidget(ButtonTargetSequence, 4, 3, 1, 3);
    grid->addWidget(LabelTargetAchieved, 5, 0, 1, 6);
    grid->addWidget(LabelTargetRange, 6, 0, 1, 6);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(2);
    grid->setContentsMargins(6, 1, 6, 3);

    connect(ComboBoxTargetKind, &QComboBox::currentIndexChanged, this, [this] { KindChanged(); });
    KindChanged();
}

void TTargetBox::KindChanged() {
    const int kind = ComboBoxTargetKind->currentIndex();
    LabelTargetUnit->setText(kind == KindRelativeHumidity ? QStringLiteral("%")
                             : kind == KindDewPoint       ? QStringLiteral("\u00BAC")
                                                          : QStringLiteral("ppm"));
    EditTargetSubstance->setEnabled(kind == KindPPM);
}

} // namespace UnitMain

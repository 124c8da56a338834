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

constexpr int FieldWidth = 90;

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

    int row = 0;
    grid->addWidget(MakeLabelFor(QStringLiteral("Kind"), ComboBoxTargetKind, this), row, 0);
    grid->addWidget(ComboBoxTargetKind, row++, 1, 1, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("Value"), EditTargetValue, this), row, 0);
    grid->addWidget(EditTargetValue, row, 1);
    grid->addWidget(LabelTargetUnit, row++, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("Substance"), EditTargetSubstance, this), row, 0);
    grid->addWidget(EditTargetSubstance, row++, 1);
    grid->addWidget(MakeLabelFor(QStringLiteral("Carrier flow"), EditTargetCarrier, this), row, 0);
    grid->addWidget(EditTargetCarrier, row, 1);
    grid->addWidget(ComboBoxTargetCarrierUnit, row++, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("B share"), EditTargetBShare, this), row, 0);
    grid->addWidget(EditTargetBShare, row, 1);
    grid->addWidget(MakeLabel(QStringLiteral("%"), this), row++, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("Temperature"), EditTargetTemp, this), row, 0);
    grid->addWidget(EditTargetTemp, row, 1);
    grid->addWidget(MakeLabel(QStringLiteral("\u00BAC"), this), row++, 2);
    grid->addWidget(MakeLabelFor(QStringLiteral("Pressure"), EditTargetPressure, this), row, 0);
    grid->addWidget(EditTargetPressure, row, 1);
    grid->addWidget(MakeLabel(QStringLiteral("mbar"), this), row++, 2);
    grid->addWidget(ButtonApplyTarget, row, 0, 1, 2);
    grid->addWidget(ButtonTargetSequence, row++, 2);
    grid->addWidget(LabelTargetAchieved, row++, 0, 1, 3);
    grid->addWidget(LabelTargetRange, row, 0, 1, 3);
    grid->setColumnStretch(2, 1);

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

#include "ui/tabs/TPumpFluidTab.h"

#include "settings/StoredSettings.h"
#include "ui/tabs/ControlFactory.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TIntegerEdit.h"
#include "ui/widgets/TMemoPane.h"
#include "ui/widgets/TRadioGroup.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace UnitMain {

namespace {

constexpr int FieldWidth = 110;

// The fields whose values the settings file keeps take no value it would not read back.
Widgets::TDoubleEdit* MakeStoredEdit(const QString& name, double value, QWidget* parent,
                                     Settings::TSettingRange range) {
    return MakeDoubleEdit(name, value, parent, range.Min, range.Max);
}

} // namespace

TPumpFluidTab::TPumpFluidTab(QWidget* parent) : QWidget(parent) {
    // Column 1: pump, limit and conditions.
    auto* column1 = new QWidget(this);
    auto* column1Layout = new QVBoxLayout(column1);
    column1Layout->setContentsMargins(0, 0, 0, 0);
    RadioGroupSyringeVolume = new Widgets::TRadioGroup(
        QStringLiteral("Pump syringe volume"),
        {QStringLiteral("50 µL"), QStringLiteral("100 µL"), QStringLiteral("250 µL"),
         QStringLiteral("500 µL"), QStringLiteral("1000 µL"), QStringLiteral("2500 µL"),
         QStringLiteral("5000 µL"), QStringLiteral("12500 µL")},
        column1);
    RadioGroupSyringeVolume->setObjectName(QStringLiteral("RadioGroupSyringeVolume"));
    RadioGroupSyringeVolume->SetItemIndex(0);
    RadioGroupSyringeVolume->setEnabled(false);
    column1Layout->addWidget(RadioGroupSyringeVolume);

    RadioGroupPumpOptimization =
        new Widgets::TRadioGroup(QStringLiteral("Pump model"),
                                 {QStringLiteral("High concentrations (24 000 steps)"),
                                  QStringLiteral("Low concentrations (192 000 steps)")},
                                 column1);
    RadioGroupPumpOptimization->setObjectName(QStringLiteral("RadioGroupPumpOptimization"));
    // No model until the settings name one: a step count of neither model (3000, say) must be
    // written back as it is, and a selection would turn it into that model's on the next save.
    RadioGroupPumpOptimization->setEnabled(false);
    column1Layout->addWidget(RadioGroupPumpOptimization);

    auto* boxLimit =
        MakeGroupBox(QStringLiteral("GroupBoxPPMLimit"),
                     QStringLiteral("Artificial upper limit for fluid component in mixture"), column1);
    auto* limitLayout = new QHBoxLayout(boxLimit);
    RtIntegerEditFluidPPMLimit =
        MakeIntegerEdit(QStringLiteral("RtIntegerEditFluidPPMLimit"), 1000000, boxLimit, 0, 1000001);
    RtIntegerEditFluidPPMLimit->setFixedWidth(FieldWidth);
    // "ppm" is the unit after the field; the box's caption is the field's label.
    RtIntegerEditFluidPPMLimit->setAccessibleName(boxLimit->title());
    limitLayout->addWidget(RtIntegerEditFluidPPMLimit);
    limitLayout->addWidget(MakeLabel(QStringLiteral("ppm"), boxLimit));
    limitLayout->addStretch(1);
    column1Layout->addWidget(boxLimit);

    auto* boxCustom = MakeGroupBox(QStringLiteral("GroupBoxCustomConditions"),
                                   QStringLiteral("Custom temperature and pressure"), column1);
    auto* customLayout = new QGridLayout(boxCustom);
    RtDoubleEditCustomTemp = MakeStoredEdit(QStringLiteral("RtDoubleEditCustomTemp"), 75.0, boxCustom,
                                            Settings::CustomTemperatureRange);
    RtDoubleEditCustomPressure = MakeStoredEdit(QStringLiteral("RtDoubleEditCustomPressure"), 1500.0,
                                                boxCustom, Settings::CustomPressureRange);
    RtDoubleEditCustomTemp->setFixedWidth(FieldWidth);
    RtDoubleEditCustomPressure->setFixedWidth(FieldWidth);
    customLayout->addWidget(MakeLabelFor(QStringLiteral("Temp, C"), RtDoubleEditCustomTemp, boxCustom), 0, 0);
    customLayout->addWidget(RtDoubleEditCustomTemp, 0, 1);
    customLayout->addWidget(
        MakeLabelFor(QStringLiteral("Pressure, mBar"), RtDoubleEditCustomPressure, boxCustom), 1, 0);
    customLayout->addWidget(RtDoubleEditCustomPressure, 1, 1);
    customLayout->setColumnStretch(2, 1);
    column1Layout->addWidget(boxCustom);
    column1Layout->addStretch(1);
    column1->setFixedWidth(290);

    // Column 2: the designer.
    auto* boxDesigner = MakeGroupBox(QStringLiteral("GroupBoxDesigner"),
                                     QStringLiteral("Input fluid mixture designer"), this);
    auto* designerLayout = new QVBoxLayout(boxDesigner);
    auto* grid = new QGridLayout();
    grid->addWidget(MakeLabel(QStringLiteral("Component"), boxDesigner), 0, 0);
    grid->addWidget(MakeLabel(QStringLiteral("Mass, g"), boxDesigner), 0, 1);
    for (int row = 0; row < 4; ++row) {
        ComboBoxMix[row] = new QComboBox(boxDesigner);
        ComboBoxMix[row]->setObjectName(QStringLiteral("ComboBoxMix%1").arg(row + 1));
        ComboBoxMix[row]->setMinimumWidth(200);
        RtDoubleEdit[row] = MakeStoredEdit(QStringLiteral("RtDoubleEdit%1").arg(row + 1), 0.0, boxDesigner,
                                           Settings::MixMassRange);
        RtDoubleEdit[row]->setFixedWidth(FieldWidth);
        // One heading over four rows: each row's fields are named by the heading and the row.
        ComboBoxMix[row]->setAccessibleName(QStringLiteral("Component %1").arg(row + 1));
        RtDoubleEdit[row]->setAccessibleName(QStringLiteral("Component %1 mass, g").arg(row + 1));
        grid->addWidget(ComboBoxMix[row], row + 1, 0);
        grid->addWidget(RtDoubleEdit[row], row + 1, 1);
    }
    grid->setColumnStretch(2, 1);
    designerLayout->addLayout(grid);
    ComboBoxMix1 = ComboBoxMix[0];
    ComboBoxMix2 = ComboBoxMix[1];
    ComboBoxMix3 = ComboBoxMix[2];
    ComboBoxMix4 = ComboBoxMix[3];
    RtDoubleEdit1 = RtDoubleEdit[0];
    RtDoubleEdit2 = RtDoubleEdit[1];
    RtDoubleEdit3 = RtDoubleEdit[2];
    RtDoubleEdit4 = RtDoubleEdit[3];

    auto* results = new QGridLayout();
    EditDesignedMixtureName = MakeEdit(QStringLiteral("EditDesignedMixtureName"), QString(), boxDesigner);
    RtDoubleEditDesignedMixtureDensity = MakeStoredEdit(QStringLiteral("RtDoubleEditDesignedMixtureDensity"),
                                                        1.0, boxDesigner, Settings::MixtureDensityRange);
    RtDoubleEditDesignMixtureMolarMass = MakeStoredEdit(QStringLiteral("RtDoubleEditDesignMixtureMolarMass"),
                                                        0.0, boxDesigner, Settings::MixtureMolarMassRange);
    RtDoubleEditDesigtnMixtureMOLperML =
        MakeDoubleEdit(QStringLiteral("RtDoubleEditDesigtnMixtureMOLperML"), 0.0, boxDesigner);
    RtDoubleEditDesignMixtureMGperStroke =
        MakeDoubleEdit(QStringLiteral("RtDoubleEditDesignMixtureMGperStroke"), 0.0, boxDesigner);
    const struct {
        const char* caption;
        QWidget* field;
    } rows[] = {
        {"Mixture name", EditDesignedMixtureName},
        {"Final density at 20ºC, g/ml", RtDoubleEditDesignedMixtureDensity},
        {"Molar mass g/mol", RtDoubleEditDesignMixtureMolarMass},
        {"Calculated mol/ml", RtDoubleEditDesigtnMixtureMOLperML},
        {"Calculated mg/stroke", RtDoubleEditDesignMixtureMGperStroke},
    };
    int line = 0;
    for (const auto& row : rows) {
        results->addWidget(MakeLabelFor(QString::fromUtf8(row.caption), row.field, boxDesigner), line, 0);
        results->addWidget(row.field, line, 1);
        ++line;
    }
    EditDesignedMixtureName->setMinimumWidth(200);
    for (QWidget* field : {static_cast<QWidget*>(RtDoubleEditDesignedMixtureDensity),
                           static_cast<QWidget*>(RtDoubleEditDesignMixtureMolarMass),
                           static_cast<QWidget*>(RtDoubleEditDesigtnMixtureMOLperML),
                           static_cast<QWidget*>(RtDoubleEditDesignMixtureMGperStroke)}) {
        field->setFixedWidth(160);
    }
    RtDoubleEditDesignMixtureMolarMass->setEnabled(false);
    RtDoubleEditDesigtnMixtureMOLperML->setEnabled(false);
    RtDoubleEditDesignMixtureMGperStroke->setEnabled(false);
    results->setColumnStretch(2, 1);
    designerLayout->addLayout(results);

    for (const char* note :
         {"Note that the final volume of a mixture is not always sum of volumes of components.",
          "e.g. 100 ml H2O + 100 ml C2H6O = 192 ml, correct for this in final stated density",
          "Also note, 9 mg of dissolved oxygen in 1000 g of H2O, at 20ºC"}) {
        designerLayout->addWidget(MakeLabel(QString::fromUtf8(note), boxDesigner));
    }
    auto* waterRow = new QHBoxLayout();
    ButtonRestoreWater =
        MakeButton(QStringLiteral("ButtonRestoreWater"), QStringLiteral("Set to water"), boxDesigner);
    ButtonRestoreWater->setMinimumWidth(120);
    waterRow->addWidget(ButtonRestoreWater);
    waterRow->addStretch(1);
    designerLayout->addLayout(waterRow);
    Memo2 = MakeMemo(QStringLiteral("Memo2"), true, boxDesigner);
    designerLayout->addWidget(Memo2, 1);

    // Column 3: the fluid the pump holds (display only).
    GroupBoxFluidAssigned =
        MakeGroupBox(QStringLiteral("GroupBoxFluidAssigned"), QStringLiteral("Fluid assigned to pump"), this);
    auto* assignedLayout = new QGridLayout(GroupBoxFluidAssigned);
    EditFluidName =
        MakeEdit(QStringLiteral("EditFluidName"), QStringLiteral("Undefined"), GroupBoxFluidAssigned);
    RtDoubleEditFluidDensity =
        MakeDoubleEdit(QStringLiteral("RtDoubleEditFluidDensity"), 0.9970474111, GroupBoxFluidAssigned);
    RtDoubleEditFluidMolarMass =
        MakeDoubleEdit(QStringLiteral("RtDoubleEditFluidMolarMass"), 18.01528111, GroupBoxFluidAssigned);
    RtDoubleEditFluidMolPerGram =
        MakeDoubleEdit(QStringLiteral("RtDoubleEditFluidMolPerGram"), 1.0, GroupBoxFluidAssigned);
    RtDoubleEditSyringeGramsperStroke =
        MakeDoubleEdit(QStringLiteral("RtDoubleEditSyringeGramsperStroke"), 1.0, GroupBoxFluidAssigned);
    const struct {
        const char* caption;
        QWidget* field;
    } assigned[] = {
        {"Name", EditFluidName},
        {"Final density at 20ºC, g/ml", RtDoubleEditFluidDensity},
        {"Molar mass g/mol", RtDoubleEditFluidMolarMass},
        {"Calculated mol/ml", RtDoubleEditFluidMolPerGram},
        {"Calculated mg/stroke", RtDoubleEditSyringeGramsperStroke},
    };
    line = 0;
    for (const auto& row : assigned) {
        assignedLayout->addWidget(
            MakeLabelFor(QString::fromUtf8(row.caption), row.field, GroupBoxFluidAssigned), line, 0);
        assignedLayout->addWidget(row.field, line, 1);
        row.field->setFixedWidth(140);
        ++line;
    }
    assignedLayout->setRowStretch(line, 1);
    GroupBoxFluidAssigned->setEnabled(false);

    ButtonApplyPumpAndFluid =
        MakeButton(QStringLiteral("ButtonApplyPumpAndFluid"), QStringLiteral("Apply and save"), this);
    ButtonApplyPumpAndFluid->setMinimumHeight(30);

    auto* columns = new QHBoxLayout();
    columns->addWidget(column1);
    columns->addWidget(boxDesigner, 1);
    columns->addWidget(GroupBoxFluidAssigned);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addLayout(columns, 1);
    layout->addWidget(ButtonApplyPumpAndFluid);
}

} // namespace UnitMain

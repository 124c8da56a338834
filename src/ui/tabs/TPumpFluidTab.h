#pragma once
// Page 1, "Pump && fluid details": the syringe and pump model (display only), the ppm limit, the
// custom temperature and pressure, the fluid mixture designer and the fluid assigned to the pump.

#include <QWidget>

class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;

namespace Widgets {
class TDoubleEdit;
class TIntegerEdit;
class TMemoPane;
class TRadioGroup;
} // namespace Widgets

namespace UnitMain {

class TPumpFluidTab : public QWidget {
    Q_OBJECT
public:
    explicit TPumpFluidTab(QWidget* parent = nullptr);

    Widgets::TRadioGroup* RadioGroupSyringeVolume;
    Widgets::TRadioGroup* RadioGroupPumpOptimization;
    Widgets::TIntegerEdit* RtIntegerEditFluidPPMLimit;
    Widgets::TDoubleEdit* RtDoubleEditCustomTemp;
    Widgets::TDoubleEdit* RtDoubleEditCustomPressure;

    // Designer rows 1 to 4 (index 0 to 3).
    QComboBox* ComboBoxMix[4];
    Widgets::TDoubleEdit* RtDoubleEdit[4];
    // The same controls by their own names.
    QComboBox* ComboBoxMix1;
    QComboBox* ComboBoxMix2;
    QComboBox* ComboBoxMix3;
    QComboBox* ComboBoxMix4;
    Widgets::TDoubleEdit* RtDoubleEdit1;
    Widgets::TDoubleEdit* RtDoubleEdit2;
    Widgets::TDoubleEdit* RtDoubleEdit3;
    Widgets::TDoubleEdit* RtDoubleEdit4;
    QLineEdit* EditDesignedMixtureName;
    Widgets::TDoubleEdit* RtDoubleEditDesignedMixtureDensity;
    Widgets::TDoubleEdit* RtDoubleEditDesignMixtureMolarMass;
    Widgets::TDoubleEdit* RtDoubleEditDesigtnMixtureMOLperML;
    Widgets::TDoubleEdit* RtDoubleEditDesignMixtureMGperStroke;
    QPushButton* ButtonRestoreWater;
    Widgets::TMemoPane* Memo2;

    QGroupBox* GroupBoxFluidAssigned;
    QLineEdit* EditFluidName;
    Widgets::TDoubleEdit* RtDoubleEditFluidDensity;
    Widgets::TDoubleEdit* RtDoubleEditFluidMolarMass;
    Widgets::TDoubleEdit* RtDoubleEditFluidMolPerGram;
    Widgets::TDoubleEdit* RtDoubleEditSyringeGramsperStroke;

    QPushButton* ButtonApplyPumpAndFluid;
};

} // namespace UnitMain

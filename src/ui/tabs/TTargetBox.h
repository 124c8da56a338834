#pragma once
// The "Target" box of the design page: the kind of target and its value, the carrier flow with its
// unit, the share of it MFC B carries and the conditions; "Apply target" fills the A, B and C fields
// from them, "Sequence..." appends a whole sequence of targets to the segment program. The two lines
// below the buttons show the figure the mixer achieves and the range it can reach.

#include <QGroupBox>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Widgets {
class TDoubleEdit;
} // namespace Widgets

namespace UnitMain {

class TTargetBox : public QGroupBox {
    Q_OBJECT
public:
    explicit TTargetBox(QWidget* parent = nullptr);

    // The entries of ComboBoxTargetKind, in the order of Target::TTargetKind.
    static constexpr int KindRelativeHumidity = 0;
    static constexpr int KindDewPoint = 1;
    static constexpr int KindPPM = 2;
    // The entries of ComboBoxTargetCarrierUnit, in the order of Target::TCarrierUnit.
    static constexpr int UnitGramsPerMinute = 0;
    static constexpr int UnitNormalLitresPerMinute = 1;

    QComboBox* ComboBoxTargetKind;
    Widgets::TDoubleEdit* EditTargetValue;
    QLabel* LabelTargetUnit;
    QLineEdit* EditTargetSubstance;
    Widgets::TDoubleEdit* EditTargetCarrier;
    QComboBox* ComboBoxTargetCarrierUnit;
    Widgets::TDoubleEdit* EditTargetBShare;
    Widgets::TDoubleEdit* EditTargetTemp;
    Widgets::TDoubleEdit* EditTargetPressure;
    QPushButton* ButtonApplyTarget;
    QPushButton* ButtonTargetSequence;
    QLabel* LabelTargetAchieved;
    QLabel* LabelTargetRange;

private:
    // The unit beside the value, and the substance field only for a concentration.
    void KindChanged();
};

} // namespace UnitMain

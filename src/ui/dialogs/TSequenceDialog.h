#pragma once
// "Sequence...": the targets of a sequence, as a typed list ("10, 30, 50, 70, 90, 70, 50, 30, 10")
// or from, to and step, each held for the same time, with an optional first segment that settles
// at the first target. The kind of target, the carrier and the conditions are the Target box's.

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace Widgets {
class TDoubleEdit;
} // namespace Widgets

namespace UnitMain {

class TSequenceDialog : public QDialog {
    Q_OBJECT
public:
    // `targetKind` names the kind the values are of ("Relative humidity, %").
    explicit TSequenceDialog(const QString& targetKind, QWidget* parent = nullptr);

    QLabel* LabelSequenceKind;
    QRadioButton* RadioSequenceList;
    QLineEdit* EditSequenceList;
    QRadioButton* RadioSequenceRange;
    Widgets::TDoubleEdit* EditSequenceFrom;
    Widgets::TDoubleEdit* EditSequenceTo;
    Widgets::TDoubleEdit* EditSequenceStep;
    Widgets::TDoubleEdit* EditSequenceHold;
    Widgets::TDoubleEdit* EditSequenceSettling;
    QDialogButtonBox* ButtonsSequence;

private:
    // Only the fields of the chosen way of giving the values take input.
    void WayChanged();
};

} // namespace UnitMain

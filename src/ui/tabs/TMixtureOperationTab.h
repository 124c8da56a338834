#pragma once
// Page 3, "Mixture design && Operation": the status bar and LED caption across the top; the A, B
// and C flows and the segment box on the left; operation and the segment program in the middle;
// the target box above them; the mixture text pane Memo1 on the right, growing with the window.

#include <QWidget>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace Widgets {
class TDoubleEdit;
class TIntegerEdit;
class TLedCaption;
class TMemoPane;
class TStatusPanels;
class TTabbedListBox;
class TTrackBar;
} // namespace Widgets

namespace UnitMain {

class TTargetBox;

class TMixtureOperationTab : public QWidget {
    Q_OBJECT
public:
    explicit TMixtureOperationTab(QWidget* parent = nullptr);

    Widgets::TStatusPanels* StatusBar1;
    Widgets::TLedCaption* RzLEDDisplay1;

    QGroupBox* GroupBoxY1;
    Widgets::TTrackBar* RzTrackBarY1;
    Widgets::TIntegerEdit* RtIntegerEditY1Flow;
    QLabel* Label10;

    QGroupBox* GroupBoxY2;
    Widgets::TTrackBar* RzTrackBarY2;
    Widgets::TIntegerEdit* RtIntegerEditY2Flow;
    QLabel* Label45;

    QGroupBox* GroupBoxX;
    Widgets::TTrackBar* RzTrackBarFluid;
    Widgets::TDoubleEdit* RtDoubleEditFluidFlow;
    Widgets::TDoubleEdit* RtDoubleEditAchievableFluid;
    QLabel* Label30;
    QLabel* Label55;

    QGroupBox* GroupBoxSegment;
    Widgets::TDoubleEdit* RtDoubleEditStepDuration;
    QLabel* Label31;
    QLineEdit* EditStepComments;
    QPushButton* ButtonAddStep;
    QPushButton* ButtonSegmentDelete;

    TTargetBox* GroupBoxTarget;

    QGroupBox* GroupBoxOperation;
    QPushButton* ButtonApply;
    QPushButton* ButtonStop;

    QGroupBox* GroupBoxSegmentProgram;
    Widgets::TTabbedListBox* RzTabbedListBoxSteps;
    QPushButton* ButtonSaveProgram;
    QPushButton* ButtonLoadProgram;
    QLabel* Label24;

    Widgets::TMemoPane* Memo1;
};

} // namespace UnitMain

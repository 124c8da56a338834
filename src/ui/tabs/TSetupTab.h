#pragma once
// Page 0, "Setup": the numbered steps of finding, selecting and validating the instrument ports and
// selecting the gases on the left, the "Feedback" box on the right.

#include <QWidget>

class QCheckBox;
class QLabel;
class QGroupBox;
class QPushButton;

namespace Widgets {
class TListBox;
class TMemoPane;
} // namespace Widgets

namespace UnitMain {

class TSetupTab : public QWidget {
    Q_OBJECT
public:
    explicit TSetupTab(QWidget* parent = nullptr);

    // The Feedback box keeps this width however narrow the window gets.
    static constexpr int FeedbackMinWidth = 300;
    // Sets the Feedback box's width from the window's width.
    void FitFeedbackToWindow(int windowWidth);

    QPushButton* ButtonSetupFindPorts;
    Widgets::TListBox* ListBoxPortPump;
    Widgets::TListBox* ListBoxPortMFC1;
    Widgets::TListBox* ListBoxPortMFC2;
    QPushButton* ButtonSetupValidate;
    Widgets::TListBox* ListBox1;
    Widgets::TListBox* ListBox2;
    QGroupBox* GroupBoxFeedback;
    QCheckBox* CheckBoxPump;
    QCheckBox* CheckBoxMFC;
    QCheckBox* CheckBoxGas;
    QLabel* LabelRemoteControl;
    Widgets::TMemoPane* MemoSetupFeedback;
};

} // namespace UnitMain

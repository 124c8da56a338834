#pragma once
// Page 2, "Debug && Development": the serial tool for the pump, pump priming and the demonstration
// values of the simulated instruments.

#include <QWidget>

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace Widgets {
class TDoubleEdit;
class TMemoPane;
} // namespace Widgets

namespace UnitMain {

class TDebugTab : public QWidget {
    Q_OBJECT
public:
    explicit TDebugTab(QWidget* parent = nullptr);

    QLineEdit* EditDebugCOMPort;
    QLineEdit* EditDebugCOMSend;
    QPushButton* ButtonDebugCOMSend;
    Widgets::TMemoPane* MemoDebugCOM;

    QPushButton* ButtonPumpFluid;
    QPushButton* ButtonPumpFluidFast;

    QGroupBox* GroupBoxDemoMFCA;
    QLineEdit* EditY1DemoName;
    Widgets::TDoubleEdit* RtDoubleEditY1DemoMass;
    Widgets::TDoubleEdit* RtDoubleEditY1DemoRange;
    Widgets::TDoubleEdit* RtDoubleEditY1DemoTurndown;
    QPushButton* ButtonMFCAAir;
    QPushButton* ButtonMFCAH2;

    QGroupBox* GroupBoxDemoMFCB;
    QLineEdit* EditY2DemoName;
    Widgets::TDoubleEdit* RtDoubleEditY2DemoMass;
    Widgets::TDoubleEdit* RtDoubleEditY2DemoRange;
    Widgets::TDoubleEdit* RtDoubleEditY2DemoTurndown;
    QPushButton* ButtonMFCBAir;
    QPushButton* ButtonMFCBN2;
};

} // namespace UnitMain

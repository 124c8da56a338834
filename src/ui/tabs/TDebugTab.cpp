#include "ui/tabs/TDebugTab.h"

#include "ui/tabs/ControlFactory.h"
#include "ui/widgets/TDoubleEdit.h"
#include "ui/widgets/TMemoPane.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace UnitMain {

namespace {

struct TDemoBox {
    QGroupBox* Box;
    QLineEdit* Name;
    Widgets::TDoubleEdit* Mass;
    Widgets::TDoubleEdit* Range;
    Widgets::TDoubleEdit* Turndown;
    QPushButton* First;
    QPushButton* Second;
};

TDemoBox MakeDemoBox(const QString& caption, const QString& y, const QString& name, double mass, double range,
                     double turndown, const QString& firstButton, const QString& firstCaption,
                     const QString& secondButton, const QString& secondCaption, QWidget* parent) {
    TDemoBox demo{};
    demo.Box = MakeGroupBox(QStringLiteral("GroupBoxDemo") + caption.simplified().remove(QLatin1Char(' ')),
                            caption, parent);
    auto* grid = new QGridLayout(demo.Box);
    demo.Name = MakeEdit(QStringLiteral("Edit%1DemoName").arg(y), name, demo.Box);
    demo.Mass = MakeDoubleEdit(QStringLiteral("RtDoubleEdit%1DemoMass").arg(y), mass, demo.Box);
    demo.Range = MakeDoubleEdit(QStringLiteral("RtDoubleEdit%1DemoRange").arg(y), range, demo.Box);
    demo.Turndown = MakeDoubleEdit(QStringLiteral("RtDoubleEdit%1DemoTurndown").arg(y), turndown, demo.Box);
    const struct {
        const char* caption;
        QWidget* field;
    } rows[] = {
        {"Gas name", demo.Name},
        {"Gas mass", demo.Mass},
        {"MFC range g/min", demo.Range},
        {"MFC turndown ratio", demo.Turndown},
    };
    int line = 0;
    for (const auto& row : rows) {
        grid->addWidget(MakeLabelFor(QString::fromUtf8(row.caption), row.field, demo.Box), line, 0);
        grid->addWidget(row.field, line, 1);
        row.field->setFixedWidth(110);
        ++line;
    }
    demo.First = MakeButton(firstButton, firstCaption, demo.Box);
    demo.Second = MakeButton(secondButton, secondCaption, demo.Box);
    grid->addWidget(demo.First, line, 0);
    grid->addWidget(demo.Second, line, 1);
    grid->setRowStretch(line + 1, 1);
    return demo;
}

} // namespace

TDebugTab::TDebugTab(QWidget* parent) : QWidget(parent) {
    // The serial tool.
    auto* boxCom =
        MakeGroupBox(QStringLiteral("GroupBoxCOMTool"), QStringLiteral("COM port tool for pump"), this);
    auto* comLayout = new QGridLayout(boxCom);
    EditDebugCOMPort = MakeEdit(QStringLiteral("EditDebugCOMPort"), QStringLiteral("COM9"), boxCom);
    EditDebugCOMSend = MakeEdit(QStringLiteral("EditDebugCOMSend"), QStringLiteral("/1TI?23"), boxCom);
    ButtonDebugCOMSend = MakeButton(QStringLiteral("ButtonDebugCOMSend"), QStringLiteral("Send"), boxCom);
    MemoDebugCOM = MakeMemo(QStringLiteral("MemoDebugCOM"), true, boxCom);
    comLayout->addWidget(MakeLabelFor(QStringLiteral("Port"), EditDebugCOMPort, boxCom), 0, 0);
    comLayout->addWidget(EditDebugCOMPort, 0, 1);
    comLayout->addWidget(MakeLabelFor(QStringLiteral("Send"), EditDebugCOMSend, boxCom), 1, 0);
    comLayout->addWidget(EditDebugCOMSend, 1, 1);
    comLayout->addWidget(ButtonDebugCOMSend, 1, 2);
    comLayout->addWidget(MakeLabelFor(QStringLiteral("Response"), MemoDebugCOM, boxCom), 2, 0, 1, 3);
    comLayout->addWidget(MemoDebugCOM, 3, 0, 1, 3);
    comLayout->setRowStretch(3, 1);
    comLayout->setColumnStretch(1, 1);

    // Priming.
    auto* boxPrime =
        MakeGroupBox(QStringLiteral("GroupBoxPriming"), QStringLiteral("Priming the pump"), this);
    auto* primeLayout = new QVBoxLayout(boxPrime);
    auto* note = MakeLabel(QStringLiteral("Read manual first!\n"
                                          "\n"
                                          "This feature pumps multipple full strokes of fluid.\n"
                                          "\n"
                                          "It will take a long time. \n"
                                          "\n"
                                          "The feature is meant to be used to prime the pump with fluid, \n"
                                          "to remove the air in the line. \n"
                                          "\n"
                                          "Click only once and do not do anything until the sound stops."),
                           boxPrime, QStringLiteral("LabelPrimingNote"));
    primeLayout->addWidget(note);
    ButtonPumpFluid = MakeButton(
        QStringLiteral("ButtonPumpFluid"),
        QStringLiteral("Dispense syringe 10 times slowly (for mixers with low pH2O/flow)"), boxPrime);
    ButtonPumpFluidFast = MakeButton(
        QStringLiteral("ButtonPumpFluidFast"),
        QStringLiteral("Dispense syringe 10 times fast (for mixers with high pH2O/flow)"), boxPrime);
    primeLayout->addWidget(ButtonPumpFluid);
    primeLayout->addWidget(ButtonPumpFluidFast);
    primeLayout->addStretch(1);

    // Demonstration values.
    auto* boxDemo = MakeGroupBox(QStringLiteral("GroupBoxDemoValues"), QStringLiteral("Demo values"), this);
    auto* demoLayout = new QVBoxLayout(boxDemo);
    auto* demoNote = MakeLabel(
        QStringLiteral("These values exist for demonstration purposes, and apply when the software is in "
                       "'Simulation' mode."),
        boxDemo, QStringLiteral("LabelDemoNote"));
    demoNote->setWordWrap(true);
    demoLayout->addWidget(demoNote);
    const TDemoBox a =
        MakeDemoBox(QStringLiteral("MFC A"), QStringLiteral("Y1"), QStringLiteral("O2"), 31.9988, 0.0358, 120,
                    QStringLiteral("ButtonMFCAAir"), QStringLiteral("Set to Air"),
                    QStringLiteral("ButtonMFCAH2"), QStringLiteral("Set to H2"), boxDemo);
    const TDemoBox b =
        MakeDemoBox(QStringLiteral("MFC B"), QStringLiteral("Y2"), QStringLiteral("Ar"), 39.948, 0.0892, 100,
                    QStringLiteral("ButtonMFCBAir"), QStringLiteral("Set to Air"),
                    QStringLiteral("ButtonMFCBN2"), QStringLiteral("Set to N2"), boxDemo);
    GroupBoxDemoMFCA = a.Box;
    EditY1DemoName = a.Name;
    RtDoubleEditY1DemoMass = a.Mass;
    RtDoubleEditY1DemoRange = a.Range;
    RtDoubleEditY1DemoTurndown = a.Turndown;
    ButtonMFCAAir = a.First;
    ButtonMFCAH2 = a.Second;
    GroupBoxDemoMFCB = b.Box;
    EditY2DemoName = b.Name;
    RtDoubleEditY2DemoMass = b.Mass;
    RtDoubleEditY2DemoRange = b.Range;
    RtDoubleEditY2DemoTurndown = b.Turndown;
    ButtonMFCBAir = b.First;
    ButtonMFCBN2 = b.Second;
    demoLayout->addWidget(GroupBoxDemoMFCA);
    demoLayout->addWidget(GroupBoxDemoMFCB);
    demoLayout->addStretch(1);
    boxDemo->setFixedWidth(300);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(boxCom, 1);
    layout->addWidget(boxPrime);
    layout->addWidget(boxDemo);
}

} // namespace UnitMain

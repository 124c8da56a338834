#include "ui/TForm1.h"

#include "logging/LogOld.h"
#include "ui/tabs/ControlFactory.h"
#include "ui/tabs/TDebugTab.h"
#include "ui/tabs/TFlowsTab.h"
#include "ui/tabs/TMemoTab.h"
#include "ui/tabs/TMixtureOperationTab.h"
#include "ui/tabs/TPumpFluidTab.h"
#include "ui/tabs/TSetupTab.h"
#include "ui/widgets/TMemoPane.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QMetaObject>
#include <QResizeEvent>
#include <QScrollArea>
#include <QTabWidget>
#include <QTimer>

namespace UnitMain {

namespace {

// Tahoma's stand-in on Linux: Liberation Sans, else DejaVu Sans, at 11 pixels.
QFont WindowFont() {
    QFont font(QStringLiteral("Liberation Sans"));
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(WindowFontPixels);
    return font;
}

} // namespace

TForm1::TForm1(const Base::TClock& clock, QWidget* parent)
    : QMainWindow(parent), fClock(clock), fDialogs(this) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Moistrel"));
    setFont(WindowFont());

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setDocumentMode(false);
    setCentralWidget(PageControl1);

    Setup = new TSetupTab();
    PumpFluid = new TPumpFluidTab();
    Debug = new TDebugTab();
    Operation = new TMixtureOperationTab();
    Flows = new TFlowsTab();
    Log = new TMemoTab(QStringLiteral("MemoLog"));
    PumpInfo = new TMemoTab(QStringLiteral("MemoPump"));
    MemoLog = Log->Memo;
    MemoLog->SetMaximumLines(static_cast<int>(Base::OperationLogLines));
    MemoPump = PumpInfo->Memo;

    // In a Qt caption "&&" shows as one ampersand.
    TabSheetSetup = AddPage(Setup, QStringLiteral("TabSheetSetup"), QStringLiteral("Setup"));
    TabSheetPumpAndFluid =
        AddPage(PumpFluid, QStringLiteral("TabSheetPumpAndFluid"), QStringLiteral("Pump && fluid details"));
    TabSheetDebug = AddPage(Debug, QStringLiteral("TabSheetDebug"), QStringLiteral("Debug && Development"));
    TabSheetMixtureOperation = AddPage(Operation, QStringLiteral("TabSheetMixtureOperation"),
                                       QStringLiteral("Mixture design && Operation"));
    TabSheetFlows = AddPage(Flows, QStringLiteral("TabSheetFlows"), QStringLiteral("Flows"));
    TabSheetLog = AddPage(Log, QStringLiteral("TabSheetLog"), QStringLiteral("Log"));
    TabSheetPumpInfo = AddPage(PumpInfo, QStringLiteral("TabSheetPumpInfo"), QStringLiteral("Pump info"));

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(50);
    connect(Timer1, &QTimer::timeout, this, [this] {
        if (fTick) {
            fTick();
        }
    });

    resize(StartClientWidth, StartClientHeight);
    FormResize();
}

TForm1::~TForm1() {
    fClosePending = false;
    FormDisable(false); // never leave the hourglass behind
}

QWidget* TForm1::AddPage(QWidget* content, const QString& name, const QString& caption) {
    // The pages the operator cannot see whole in a small window scroll instead of squeezing
    // their controls over each other.
    auto* page = new QScrollArea();
    page->setObjectName(name);
    page->setFrameShape(QFrame::NoFrame);
    page->setWidgetResizable(true);
    page->setWidget(content);
    PageControl1->addTab(page, caption);
    return page;
}

QWidget* TForm1::Page(TPage page) const {
    return PageControl1->widget(page);
}

void TForm1::SetPageEnabled(TPage page, bool enabled) {
    if (QWidget* widget = Page(page)) {
        widget->setEnabled(enabled);
    }
}

void TForm1::ConnectTick(std::function<void()> tick) {
    fTick = std::move(tick);
    if (fTick) {
        Timer1->start();
    } else {
        Timer1->stop();
    }
}

void TForm1::FormResize() {
    Setup->FitFeedbackToWindow(width());
}

void TForm1::FormDisable(bool disable) {
    if (disable == fDisabled) {
        return;
    }
    fDisabled = disable;
    if (disable) {
        fFocusBeforeBusy = QApplication::focusWidget();
        QApplication::setOverrideCursor(Qt::WaitCursor);
        setEnabled(false);
        return;
    }
    setEnabled(true);
    QApplication::restoreOverrideCursor();
    // Disabling took the focus away; the operator goes on where he was (a gas list's arrow keys).
    if (fFocusBeforeBusy != nullptr && fFocusBeforeBusy->isEnabled()) {
        fFocusBeforeBusy->setFocus(Qt::OtherFocusReason);
    }
    fFocusBeforeBusy = nullptr;
    if (fClosePending) {
        // Asked again once the handler that was busy has returned, so the close query decides
        // on the state the work left.
        fClosePending = false;
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
}

void TForm1::LogOld(Base::TTextPane& target, const std::string& msg) {
    Logging::LogOld(target, msg, fClock);
}

void TForm1::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    FormResize();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (fDisabled) {
        // Validation or gas selection is talking to the instruments: closing now would cut it
        // off half-way. The close comes when the busy state ends.
        fClosePending = true;
        event->ignore();
        return;
    }
    if (fCanClose && !fCanClose()) {
        event->ignore();
        return;
    }
    if (fOnClose) {
        fOnClose();
    }
    event->accept();
}

} // namespace UnitMain

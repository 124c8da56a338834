#pragma once
// The main window: seven pages in a tab control. It assembles the pages and owns the window's own
// handlers (resizing, the busy state, closing); what the controls trigger is wired from outside by
// the controllers, which reach every control through the page objects below.

#include "base/Clock.h"
#include "base/TextPane.h"
#include "ui/QtDialogs.h"

#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

class QTabWidget;
class QTimer;

namespace Widgets {
class TMemoPane;
}

namespace UnitMain {

class TDebugTab;
class TFlowsTab;
class TMemoTab;
class TMixtureOperationTab;
class TPumpFluidTab;
class TSetupTab;

class TForm1 : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int StartClientWidth = 1126;
    static constexpr int StartClientHeight = 691;

    // Page indices, left to right.
    enum TPage {
        pgSetup = 0,
        pgPumpAndFluid,
        pgDebug,
        pgMixtureOperation,
        pgFlows,
        pgLog,
        pgPumpInfo,
        pgCount
    };

    // `clock` stamps the operation log; it must outlive the window.
    explicit TForm1(const Base::TClock& clock, QWidget* parent = nullptr);
    ~TForm1() override;

    // Sets the Feedback box on the set-up page to the window's width minus 450 pixels, never less
    // than 300. Runs on every resize.
    void FormResize();
    // The busy state of validation and gas selection: true shows the hourglass and disables the
    // whole window; false restores both, and gives the focus back to the control that had it.
    // Repeated calls with the same value change nothing. Hold it with TBusyWindow.
    void FormDisable(bool disable);
    bool FormDisabled() const { return fDisabled; }

    // Adds the operation log line of `msg` (time stamp "dd-hh-mm-ss", one blank, msg) to `target`
    // and mirrors "LogOld: " + msg to the diagnostic logger.
    void LogOld(Base::TTextPane& target, const std::string& msg);

    // Enables or disables the controls of one page (the run disables pages 0 to 2).
    void SetPageEnabled(TPage page, bool enabled);
    QWidget* Page(TPage page) const;

    // Closing: `canClose` decides whether a close request is granted (no handler: always);
    // `onClose` runs when the window does close.
    void SetCloseQuery(std::function<bool()> canClose) { fCanClose = std::move(canClose); }
    void SetOnClose(std::function<void()> onClose) { fOnClose = std::move(onClose); }
    // Whether a close asked for while the window was busy waits for the busy state to end.
    bool ClosePending() const { return fClosePending; }

    // The run's 50 ms tick (Timer1Timer). Timer1 runs only while a handler is connected: connecting
    // one starts it, an empty one stops it, so the timer never ticks into nothing.
    void ConnectTick(std::function<void()> tick);

    Base::TDialogs& Dialogs() { return fDialogs; }
    const Base::TClock& Clock() const { return fClock; }

    QTabWidget* PageControl1;
    TSetupTab* Setup;
    TPumpFluidTab* PumpFluid;
    TDebugTab* Debug;
    TMixtureOperationTab* Operation;
    TFlowsTab* Flows;
    TMemoTab* Log;
    TMemoTab* PumpInfo;
    // The pages by their component names (tab sheets 0, 1 and 2 are switched by the run).
    QWidget* TabSheetSetup;
    QWidget* TabSheetPumpAndFluid;
    QWidget* TabSheetDebug;
    QWidget* TabSheetMixtureOperation;
    QWidget* TabSheetFlows;
    QWidget* TabSheetLog;
    QWidget* TabSheetPumpInfo;
    Widgets::TMemoPane* MemoLog;
    Widgets::TMemoPane* MemoPump;
    // The 50 ms timer of the run; see ConnectTick.
    QTimer* Timer1;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QWidget* AddPage(QWidget* content, const QString& name, const QString& caption);

    const Base::TClock& fClock;
    TQtDialogs fDialogs;
    bool fDisabled = false;
    // The window manager's close still reaches a disabled window: it waits until the work is done.
    bool fClosePending = false;
    QPointer<QWidget> fFocusBeforeBusy;
    std::function<bool()> fCanClose;
    std::function<void()> fOnClose;
    std::function<void()> fTick;
};

// The window's busy state for as long as the object lives, so that no way out of an operation,
// a failure included, leaves the window disabled.
class TBusyWindow {
public:
    explicit TBusyWindow(TForm1& form) : fForm(form) { fForm.FormDisable(true); }
    ~TBusyWindow() { fForm.FormDisable(false); }
    TBusyWindow(const TBusyWindow&) = delete;
    TBusyWindow& operator=(const TBusyWindow&) = delete;

private:
    TForm1& fForm;
};

} // namespace UnitMain

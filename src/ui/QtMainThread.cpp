#include "ui/QtMainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace UnitMain {

void TQtMainThread::CallAndWait(const std::function<void()>& fn) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread()) {
        fn();
        return;
    }
    // The call waits in our queue; the event loop is only woken to run it. An exception from `fn`
    // reaches this caller, never the event loop.
    fCalls->CallAndWait(fn, [application, calls = fCalls] {
        QMetaObject::invokeMethod(
            application, [calls] { calls->RunQueued(); }, Qt::QueuedConnection);
    });
}

void TQtMainThread::ProcessPending() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    fCalls->RunQueued();
}

void TQtMainThread::ProcessExchanges() {
    fCalls->RunQueued();
}

} // namespace UnitMain

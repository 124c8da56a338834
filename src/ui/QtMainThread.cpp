#include "ui/QtMainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <exception>

namespace UnitMain {

void TQtMainThread::CallAndWait(const std::function<void()>& fn) {
    QCoreApplication* application = QCoreApplication::instance();
    if (application == nullptr || QThread::currentThread() == application->thread()) {
        fn();
        return;
    }
    // An exception must not unwind through the event loop: carry it back to the caller.
    std::exception_ptr failure;
    QMetaObject::invokeMethod(
        application,
        [&fn, &failure] {
            try {
                fn();
            } catch (...) {
                failure = std::current_exception();
            }
        },
        Qt::BlockingQueuedConnection);
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void TQtMainThread::ProcessPending() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

} // namespace UnitMain

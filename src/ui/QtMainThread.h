#pragma once
// The main-thread seam in the window: a call from another thread becomes a blocking queued call
// into the GUI thread; pending work is the Qt event loop's pending events.

#include "base/MainThread.h"

namespace UnitMain {

class TQtMainThread final : public Base::TMainThread {
public:
    // Calls from another thread run when the GUI thread's event loop (or ProcessPending) gets to
    // them. Needs a QCoreApplication.
    void CallAndWait(const std::function<void()>& fn) override;
    void ProcessPending() override;
};

} // namespace UnitMain

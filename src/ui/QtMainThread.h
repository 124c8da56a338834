#pragma once
// The main-thread seam in the window: a call from another thread waits in a queue of its own, and
// the GUI thread's event loop is woken to run it; pending work is the Qt event loop's pending events
// and that queue. Keeping the calls in a queue of their own lets a wait run the worker's exchanges
// and nothing else (ProcessExchanges): no click, no key, no queued signal of the window.

#include "base/MainThread.h"

#include <memory>

namespace UnitMain {

class TQtMainThread final : public Base::TMainThread {
public:
    // Calls from another thread run when the GUI thread's event loop (or ProcessPending, or
    // ProcessExchanges) gets to them. Needs a QCoreApplication.
    void CallAndWait(const std::function<void()>& fn) override;
    void ProcessPending() override;
    void ProcessExchanges() override;

private:
    // Shared with the wake-ups posted to the event loop, which may run after this object is gone.
    std::shared_ptr<Base::TCallQueue> fCalls = std::make_shared<Base::TCallQueue>();
};

} // namespace UnitMain

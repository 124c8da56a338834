#include "base/MainThread.h"

namespace Base {

void TQueuedMainThread::CallAndWait(const std::function<void()>& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    TCall call;
    call.Fn = &fn;
    std::unique_lock lock(fMutex);
    fQueue.push_back(&call);
    fDone.wait(lock, [&call] { return call.Done; });
    if (call.Failure) {
        std::rethrow_exception(call.Failure);
    }
}

void TQueuedMainThread::ProcessPending() {
    if (OnProcessPending) {
        OnProcessPending();
    }
    for (;;) {
        TCall* call = nullptr;
        {
            const std::lock_guard lock(fMutex);
            if (fQueue.empty()) {
                return;
            }
            call = fQueue.front();
            fQueue.pop_front();
        }
        // Run outside the lock, so that other threads can queue their calls meanwhile.
        std::exception_ptr failure;
        try {
            (*call->Fn)();
        } catch (...) {
            failure = std::current_exception();
        }
        {
            const std::lock_guard lock(fMutex);
            call->Failure = failure;
            call->Done = true;
        }
        fDone.notify_all();
    }
}

std::size_t TQueuedMainThread::Pending() const {
    const std::lock_guard lock(fMutex);
    return fQueue.size();
}

} // namespace Base

#include "base/MainThread.h"

#include <utility>

namespace Base {

void TCallQueue::CallAndWait(const std::function<void()>& fn, const std::function<void()>& queued) {
    TCall call;
    call.Fn = &fn;
    {
        const std::lock_guard lock(fMutex);
        fQueue.push_back(&call);
    }
    if (queued) {
        queued();
    }
    std::unique_lock lock(fMutex);
    fDone.wait(lock, [&call] { return call.Done; });
    if (call.Failure) {
        std::rethrow_exception(call.Failure);
    }
}

void TCallQueue::RunQueued() {
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
            // Moved, not copied: the caller owns the failure from now on and releases it on its own
            // thread.
            const std::lock_guard lock(fMutex);
            call->Failure = std::move(failure);
            call->Done = true;
        }
        fDone.notify_all();
    }
}

std::size_t TCallQueue::Pending() const {
    const std::lock_guard lock(fMutex);
    return fQueue.size();
}

void TQueuedMainThread::CallAndWait(const std::function<void()>& fn) {
    if (IsMainThread()) {
        fn();
        return;
    }
    fCalls.CallAndWait(fn);
}

void TQueuedMainThread::ProcessPending() {
    if (OnProcessPending) {
        OnProcessPending();
    }
    fCalls.RunQueued();
}

void TQueuedMainThread::ProcessExchanges() {
    fCalls.RunQueued();
}

} // namespace Base

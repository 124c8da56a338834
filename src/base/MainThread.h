#pragma once
// The main-thread seam. The worker thread hands its figures to the main thread with a synchronous
// call (CallAndWait), and the main thread, whenever it waits for something that may take long
// (pump detection, the wait for the worker at a stop), lets its pending work run (ProcessPending)
// so that such a call, and the window, are never blocked. The window's version is a blocking
// queued call into the GUI thread; TQueuedMainThread below is the version a test drives itself.

#include <condition_variable>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace Base {

class TMainThread {
public:
    virtual ~TMainThread() = default;
    // Runs `fn` on the main thread and returns when it has run. Called on the main thread itself,
    // it runs `fn` at once. An exception from `fn` reaches the caller.
    virtual void CallAndWait(const std::function<void()>& fn) = 0;
    // On the main thread: runs what is pending (calls from other threads, window events).
    virtual void ProcessPending() = 0;
    // On the main thread: runs only the calls other threads wait for (the worker's exchanges), no
    // window event and no user input. For waits that must not let the operator open a box, or start
    // anything, half-way: the safe stop's wait for the worker.
    virtual void ProcessExchanges() = 0;
};

// The calls that other threads wait for, queued until the main thread runs them. Both main-thread
// seams keep their calls here.
class TCallQueue {
public:
    // Queues `fn`, runs `queued` (which may wake the main thread), and waits until the main thread
    // has run `fn`; an exception from `fn` reaches the caller.
    void CallAndWait(const std::function<void()>& fn, const std::function<void()>& queued = {});
    // Runs every call queued so far, each outside the lock.
    void RunQueued();
    [[nodiscard]] std::size_t Pending() const;

private:
    struct TCall {
        const std::function<void()>* Fn = nullptr;
        bool Done = false;
        std::exception_ptr Failure;
    };

    mutable std::mutex fMutex;
    std::condition_variable fDone;
    std::deque<TCall*> fQueue;
};

// CallAndWait for a function with a result: the result of `fn`, computed on the main thread.
template <typename TFn> auto CallAndWaitFor(TMainThread& mainThread, TFn&& fn) -> std::invoke_result_t<TFn&> {
    using TResult = std::invoke_result_t<TFn&>;
    if constexpr (std::is_void_v<TResult>) {
        mainThread.CallAndWait(std::function<void()>(std::forward<TFn>(fn)));
    } else {
        std::optional<TResult> result;
        mainThread.CallAndWait([&] { result.emplace(fn()); });
        return std::move(*result);
    }
}

// The main thread is the thread that created the object; calls from other threads wait in a queue
// until that thread calls ProcessPending.
class TQueuedMainThread final : public TMainThread {
public:
    TQueuedMainThread() = default;
    TQueuedMainThread(const TQueuedMainThread&) = delete;
    TQueuedMainThread& operator=(const TQueuedMainThread&) = delete;

    void CallAndWait(const std::function<void()>& fn) override;
    // Runs every call queued so far, then returns; `OnProcessPending` runs first (a test's stand-in
    // for the window events that would be handled here).
    void ProcessPending() override;
    // Runs every call queued so far; `OnProcessPending` does not run.
    void ProcessExchanges() override;

    // How many calls wait in the queue now.
    [[nodiscard]] std::size_t Pending() const { return fCalls.Pending(); }
    [[nodiscard]] bool IsMainThread() const { return std::this_thread::get_id() == fMainThreadId; }

    std::function<void()> OnProcessPending;

private:
    const std::thread::id fMainThreadId = std::this_thread::get_id();
    TCallQueue fCalls;
};

} // namespace Base

#pragma once
// The clock seam: everything that asks "what time is it", and every pause the program prescribes
// between instrument exchanges, goes through a TClock, so tests can run an hour-long segment in a
// few seconds. The pauses inside one serial transaction do not: the bytes need real time.

#include "base/DateTime.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace Base {

class TClock {
public:
    virtual ~TClock() = default;
    virtual TDateTime Now() const = 0;
    // Waits `duration` of this clock's time.
    virtual void Sleep(std::chrono::milliseconds duration) const = 0;
};

class TSystemClock final : public TClock {
public:
    TDateTime Now() const override { return SystemNow(); }
    void Sleep(std::chrono::milliseconds duration) const override {
        if (duration.count() > 0) {
            std::this_thread::sleep_for(duration);
        }
    }
};

// The one system clock, for callers that are given no other (it holds no state).
const TClock& SystemClock();

// A clock that stands still until told to move. A Sleep moves it on by the pause at once, so a
// pause costs no wall time but the time it stands for passes; with two threads sleeping, time
// moves by both pauses. Safe to use from several threads.
class TManualClock final : public TClock {
public:
    explicit TManualClock(TDateTime start = 0.0) : fNow(start) {}
    TDateTime Now() const override { return fNow.load(); }
    void Sleep(std::chrono::milliseconds duration) const override {
        if (duration.count() > 0) {
            Move(std::chrono::duration<double>(duration).count());
        }
        // Give the other threads their turn, as a real pause would.
        std::this_thread::yield();
    }
    void Set(TDateTime value) { fNow.store(value); }
    void AdvanceSeconds(double seconds) { Move(seconds); }

private:
    // Sleep is const (the clock is handed out as const TClock&) but moves the time on.
    void Move(double seconds) const {
        TDateTime now = fNow.load();
        while (!fNow.compare_exchange_weak(now, now + seconds / SecondsPerDay)) {
        }
    }

    mutable std::atomic<TDateTime> fNow;
};

} // namespace Base

#pragma once
// The clock seam: everything that asks "what time is it" asks a TClock, so tests can run an
// hour-long segment in a second.

#include "base/DateTime.h"

#include <atomic>

namespace Base {

class TClock {
public:
    virtual ~TClock() = default;
    virtual TDateTime Now() const = 0;
};

class TSystemClock final : public TClock {
public:
    TDateTime Now() const override { return SystemNow(); }
};

// A clock that stands still until told to move. Safe to read from another thread.
class TManualClock final : public TClock {
public:
    explicit TManualClock(TDateTime start = 0.0) : fNow(start) {}
    TDateTime Now() const override { return fNow.load(); }
    void Set(TDateTime value) { fNow.store(value); }
    void AdvanceSeconds(double seconds) { fNow.store(fNow.load() + seconds / SecondsPerDay); }

private:
    std::atomic<TDateTime> fNow;
};

} // namespace Base

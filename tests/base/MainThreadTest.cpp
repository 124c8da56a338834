// The main-thread seam in its queued version, and the clock's pauses.

#include "base/MainThread.h"

#include "base/Clock.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Keeps the main thread handling calls until `done` holds, the way a stop waits for the worker.
template <typename TDone> int ProcessUntil(Base::TQueuedMainThread& mainThread, TDone done) {
    int rounds = 0;
    while (!done()) {
        mainThread.ProcessPending();
        std::this_thread::sleep_for(1ms);
        ++rounds;
    }
    mainThread.ProcessPending();
    return rounds;
}

TEST(QueuedMainThread, CallFromAnotherThreadRunsOnTheMainThreadAndReturnsItsResult) {
    Base::TQueuedMainThread mainThread;
    const std::thread::id mainId = std::this_thread::get_id();
    std::atomic<bool> finished{false};
    std::thread::id ranOn;
    std::string result;

    std::thread worker([&] {
        result = Base::CallAndWaitFor(mainThread, [&] {
            ranOn = std::this_thread::get_id();
            return std::string("exchanged");
        });
        finished = true;
    });
    ProcessUntil(mainThread, [&] { return finished.load(); });
    worker.join();

    EXPECT_EQ(ranOn, mainId);
    EXPECT_EQ(result, "exchanged");
    EXPECT_EQ(mainThread.Pending(), 0U);
}

TEST(QueuedMainThread, CallerWaitsUntilTheMainThreadHasRunTheCall) {
    Base::TQueuedMainThread mainThread;
    std::atomic<bool> returned{false};
    int value = 0; // written on the main thread, read by the worker after its call returns
    int seen = -1;
    std::thread worker([&] {
        mainThread.CallAndWait([&] { value = 42; });
        seen = value;
        returned = true;
    });
    // Nothing runs the call until the main thread processes its pending work.
    while (mainThread.Pending() == 0) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(returned.load());
    mainThread.ProcessPending();
    worker.join();
    EXPECT_TRUE(returned.load());
    EXPECT_EQ(seen, 42);
}

TEST(QueuedMainThread, ProcessPendingInsideALongWaitKeepsTheExchangesFlowing) {
    // A worker that exchanges its figures with the main thread on every pass, while the main
    // thread waits for it to finish: without ProcessPending in the wait both would hang.
    Base::TQueuedMainThread mainThread;
    constexpr int Passes = 50;
    std::vector<int> exchanged;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int pass = 0; pass < Passes; ++pass) {
            mainThread.CallAndWait([&exchanged, pass] { exchanged.push_back(pass); });
        }
        finished = true;
    });
    int events = 0;
    mainThread.OnProcessPending = [&events] { ++events; };
    ProcessUntil(mainThread, [&] { return finished.load(); });
    worker.join();

    ASSERT_EQ(exchanged.size(), static_cast<std::size_t>(Passes));
    for (int pass = 0; pass < Passes; ++pass) {
        EXPECT_EQ(exchanged[static_cast<std::size_t>(pass)], pass);
    }
    EXPECT_GT(events, 0);
}

TEST(QueuedMainThread, ProcessExchangesRunsTheCallsAndNoWindowEvent) {
    Base::TQueuedMainThread mainThread;
    int events = 0;
    mainThread.OnProcessPending = [&events] { ++events; };
    std::atomic<int> exchanged{0};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int pass = 0; pass < 10; ++pass) {
            mainThread.CallAndWait([&exchanged] { ++exchanged; });
        }
        finished = true;
    });
    while (!finished.load()) {
        mainThread.ProcessExchanges();
        std::this_thread::sleep_for(1ms);
    }
    worker.join();
    EXPECT_EQ(exchanged.load(), 10);
    EXPECT_EQ(events, 0);
}

TEST(QueuedMainThread, OnTheMainThreadTheCallRunsAtOnce) {
    Base::TQueuedMainThread mainThread;
    EXPECT_EQ(Base::CallAndWaitFor(mainThread, [] { return 7; }), 7);
    EXPECT_EQ(mainThread.Pending(), 0U);
}

TEST(QueuedMainThread, FailureOfTheCallReachesTheCaller) {
    Base::TQueuedMainThread mainThread;
    std::atomic<bool> finished{false};
    std::string caught;
    std::thread worker([&] {
        try {
            mainThread.CallAndWait([] { throw std::runtime_error("exchange failed"); });
        } catch (const std::runtime_error& failure) {
            caught = failure.what();
        }
        finished = true;
    });
    ProcessUntil(mainThread, [&] { return finished.load(); });
    worker.join();
    EXPECT_EQ(caught, "exchange failed");
}

TEST(ManualClock, SleepMovesTheClockOnByThePause) {
    Base::TManualClock clock(1000.0);
    for (int minute = 0; minute < 60; ++minute) {
        clock.Sleep(60s);
    }
    EXPECT_NEAR((clock.Now() - 1000.0) * Base::SecondsPerDay, 3600.0, 1e-6);
}

TEST(ManualClock, SleepsFromTwoThreadsBothCount) {
    Base::TManualClock clock(0.0);
    std::thread other([&clock] {
        for (int i = 0; i < 1000; ++i) {
            clock.Sleep(1s);
        }
    });
    for (int i = 0; i < 1000; ++i) {
        clock.Sleep(1s);
    }
    other.join();
    EXPECT_NEAR(clock.Now() * Base::SecondsPerDay, 2000.0, 1e-6);
}

} // namespace

// The main-thread seam of the window: a call from another thread becomes a blocking queued call
// into the GUI thread, and ProcessPending inside a long wait keeps the window's events flowing.

#include "ui/QtMainThread.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

TEST(QtMainThread, CallFromAWorkerRunsOnTheGuiThreadAndReturnsItsResult) {
    UnitMain::TQtMainThread mainThread;
    std::atomic<bool> finished{false};
    bool onGuiThread = false;
    int result = 0;
    std::thread worker([&] {
        result = Base::CallAndWaitFor(mainThread, [&] {
            onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
            return 1234;
        });
        finished = true;
    });
    // The wait of a stop for its worker: the GUI thread keeps handling its events meanwhile.
    while (!finished) {
        mainThread.ProcessPending();
        std::this_thread::sleep_for(1ms);
    }
    worker.join();
    EXPECT_TRUE(onGuiThread);
    EXPECT_EQ(result, 1234);
}

TEST(QtMainThread, ProcessPendingInsideALongWaitKeepsTimersAndExchangesRunning) {
    UnitMain::TQtMainThread mainThread;
    int timerShots = 0;
    QTimer timer;
    timer.setInterval(1);
    QObject::connect(&timer, &QTimer::timeout, [&timerShots] { ++timerShots; });
    timer.start();

    constexpr int Passes = 20;
    std::atomic<int> exchanged{0};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int pass = 0; pass < Passes; ++pass) {
            mainThread.CallAndWait([&exchanged] { ++exchanged; });
            std::this_thread::sleep_for(2ms);
        }
        finished = true;
    });
    while (!finished) {
        mainThread.ProcessPending();
        std::this_thread::sleep_for(1ms);
    }
    worker.join();
    timer.stop();
    EXPECT_EQ(exchanged.load(), Passes);
    EXPECT_GT(timerShots, 0) << "the timer must fire while the GUI thread waits for the worker";
}

TEST(QtMainThread, OnTheGuiThreadTheCallRunsAtOnce) {
    UnitMain::TQtMainThread mainThread;
    bool ran = false;
    mainThread.CallAndWait([&ran] { ran = true; });
    EXPECT_TRUE(ran);
}

} // namespace

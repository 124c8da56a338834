// The main-thread seam of the window: a call from another thread becomes a blocking queued call
// into the GUI thread, and ProcessPending inside a long wait keeps the window's events flowing.

#include "ui/QtMainThread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
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

TEST(QtMainThread, ProcessExchangesRunsTheWorkersCallsAndNothingOfTheWindow) {
    UnitMain::TQtMainThread mainThread;
    // What the window has pending: a queued call (a click delivered as a queued signal), a posted
    // event and a timer.
    int queuedCalls = 0;
    int timerShots = 0;
    QObject receiver;
    QTimer timer;
    timer.setInterval(0);
    QObject::connect(&timer, &QTimer::timeout, [&timerShots] { ++timerShots; });
    timer.start();
    QMetaObject::invokeMethod(
        &receiver, [&queuedCalls] { ++queuedCalls; }, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [&queuedCalls] { ++queuedCalls; }, Qt::QueuedConnection);

    std::atomic<int> exchanged{0};
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        for (int pass = 0; pass < 10; ++pass) {
            mainThread.CallAndWait([&exchanged] { ++exchanged; });
        }
        finished = true;
    });
    while (!finished) {
        mainThread.ProcessExchanges();
        std::this_thread::sleep_for(1ms);
    }
    worker.join();
    EXPECT_EQ(exchanged.load(), 10);
    EXPECT_EQ(queuedCalls, 0);
    EXPECT_EQ(timerShots, 0);
    // They all run once the window's events are processed again.
    mainThread.ProcessPending();
    EXPECT_EQ(queuedCalls, 2);
    timer.stop();
}

TEST(QtMainThread, OnTheGuiThreadTheCallRunsAtOnce) {
    UnitMain::TQtMainThread mainThread;
    bool ran = false;
    mainThread.CallAndWait([&ran] { ran = true; });
    EXPECT_TRUE(ran);
}

} // namespace

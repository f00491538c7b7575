// Waiting that keeps the window's events flowing, and worker threads.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>
#include <atomic>
#include <thread>

#include "runtime/wait.h"

namespace {

TEST(ResponsiveWait, DispatchesEventsAndNestsWithoutShorteningTheOuterWait) {
    QElapsedTimer t;
    t.start();
    EXPECT_TRUE(rt::responsiveWait(0));
    EXPECT_LT(t.elapsed(), 50) << "0 returns at once";

    // A handler that runs during the outer wait starts a wait of its own:
    // the inner one returns first, the outer still lasts its full time.
    qint64 innerDoneAt = -1;
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] { ++ticks; });
    ticker.start(10);
    QTimer::singleShot(50, &ticker, [&] {
        rt::responsiveWait(100);
        innerDoneAt = t.elapsed();
    });
    t.restart();
    rt::responsiveWait(300);
    const qint64 outer = t.elapsed();
    EXPECT_GE(innerDoneAt, 150);
    EXPECT_LT(innerDoneAt, outer);
    EXPECT_GE(outer, 300);
    EXPECT_GT(ticks, 5) << "other events ran during the wait";
}

TEST(ResponsiveWait, UnitsScaleTheAmount) {
    QElapsedTimer t;
    t.start();
    rt::responsiveWait(1, 1);  // one second
    EXPECT_GE(t.elapsed(), 1000);
    t.restart();
    rt::responsiveWait(3, 40);  // any other unit is milliseconds per unit
    EXPECT_GE(t.elapsed(), 120);
}

TEST(ResponsiveWait, WorksOnAWorkerThread) {
    std::atomic<qint64> took{-1};
    std::thread worker([&] {
        QElapsedTimer t;
        t.start();
        rt::responsiveWait(120);
        took = t.elapsed();
    });
    worker.join();
    EXPECT_GE(took.load(), 120);
}

TEST(WorkerThread, RunsTheRoutineWithItsArgumentDetached) {
    std::atomic<int> got{0};
    rt::startWorkerThread([&](int arg) { got = arg; }, 42);
    QElapsedTimer t;
    t.start();
    while (got.load() == 0 && t.elapsed() < 2000) std::this_thread::yield();
    EXPECT_EQ(got.load(), 42);
}

}  // namespace

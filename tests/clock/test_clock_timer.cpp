// The tick thread runs for real here: the tests wait for its events (never for a length of
// time), and a stop that did not end the thread's long sleep would hang the test.

#include "ui/ClockTimer.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QTimer>
#include <atomic>
#include <gtest/gtest.h>

namespace {

constexpr int OneHour = 3600 * 1000;

// Dispatches events until done() holds; false if that takes unreasonably long.
template <class F> bool DispatchUntil(F done)
{
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(20000);
    while (!done() && guard.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

} // namespace

TEST(TickTimer, FirstTickComesBeforeTheFirstSleepAndStopEndsTheSleep)
{
    int ticks = 0;
    TTickTimer timer(OneHour, [&] { ++ticks; });
    EXPECT_EQ(timer.Interval(), OneHour);
    timer.Start();
    ASSERT_TRUE(DispatchUntil([&] { return ticks == 1; }));
    timer.Stop(); // cuts the hour short
    QCoreApplication::processEvents();
    EXPECT_EQ(ticks, 1);
}

TEST(TickTimer, ATickWaitingToBeHandledAtStopIsDroppedWithoutDeadlock)
{
    for (int round = 0; round < 20; ++round) {
        int ticks = 0;
        QSemaphore issuing;
        {
            TTickTimer timer(OneHour, [&] { ++ticks; });
            timer.OnIssuing = [&] { issuing.release(); };
            timer.Start();
            ASSERT_TRUE(issuing.tryAcquire(1, 20000));
            // The thread is handing its tick over (or about to) and waits for this thread,
            // which does not dispatch it: the destructor must still return.
        }
        QCoreApplication::processEvents();
        EXPECT_EQ(ticks, 0) << round; // no tick once the timer is gone
    }
}

TEST(TickTimer, NoTickIsIssuedWhileOneIsBeingHandled)
{
    std::atomic<int> issued{0};
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    int issuedDuringFirst = -1;
    TTickTimer *self = nullptr;
    TTickTimer timer(1, [&] {
        ++ticks;
        deepest = qMax(deepest, ++depth);
        EXPECT_TRUE(self->InTick());
        if (ticks == 1) {
            // A wait that dispatches events, as Delay does: the thread must not get in.
            for (int i = 0; i < 5000; ++i)
                QCoreApplication::processEvents();
            issuedDuringFirst = issued;
        }
        --depth;
    });
    self = &timer;
    timer.OnIssuing = [&] { ++issued; };
    timer.Start();
    ASSERT_TRUE(DispatchUntil([&] { return ticks >= 3; }));
    timer.Stop();
    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(issuedDuringFirst, 1);
    EXPECT_FALSE(timer.InTick());
}

TEST(TickTimer, StoppingFromInsideATickReturns)
{
    int ticks = 0;
    auto timer = std::make_unique<TTickTimer>(1, nullptr);
    TTickTimer *t = timer.get();
    timer = std::make_unique<TTickTimer>(1, [&] {
        ++ticks;
        t->Stop(); // the thread waits for this very tick
    });
    t = timer.get();
    timer->Start();
    ASSERT_TRUE(DispatchUntil([&] { return ticks == 1; }));
    timer.reset();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(ticks, 1);
}

TEST(TickTimer, ADisabledTimerIssuesNoTickUntilEnabled)
{
    int ticks = 0;
    std::atomic<int> issued{0};
    TTickTimer timer(OneHour, [&] { ++ticks; });
    timer.OnIssuing = [&] { ++issued; };
    timer.SetEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    timer.Start();
    QCoreApplication::processEvents();
    EXPECT_EQ(issued, 0);
    timer.SetEnabled(true);
    ASSERT_TRUE(DispatchUntil([&] { return ticks == 1; }));
    timer.Stop();
}

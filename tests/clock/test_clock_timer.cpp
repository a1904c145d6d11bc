// The timer runs on Qt's real event dispatcher here. The tests never wait for a length of
// time: they use intervals of an hour (nothing more comes) or of zero (the next tick is due at
// the next dispatch), and read what the dispatcher has armed.

#include "ui/ClockTimer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

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

// What Delay does: dispatch whatever is waiting, many times over.
void Wait()
{
    for (int i = 0; i < 50; ++i)
        QCoreApplication::processEvents();
}

} // namespace

TEST(TickTimer, TheFirstTickComesAtOnceAndTheNextIsArmedForTheIntervalOnceATickReturns)
{
    int ticks = 0;
    int armedDuringTick = 0;
    QElapsedTimer sinceReturn;
    TTickTimer *self = nullptr;
    TTickTimer timer(OneHour, [&] {
        ++ticks;
        Wait(); // a tick that takes its time: the interval starts only when it is over
        armedDuringTick = self->remainingTime();
        sinceReturn.start();
    });
    self = &timer;
    EXPECT_EQ(timer.Interval(), OneHour);
    EXPECT_EQ(timer.remainingTime(), -1);
    timer.start();
    EXPECT_EQ(ticks, 0); // it comes through the event queue
    ASSERT_TRUE(DispatchUntil([&] { return ticks == 1; }));
    const int remaining = timer.remainingTime();
    EXPECT_EQ(armedDuringTick, -1);
    EXPECT_LE(remaining, OneHour);
    EXPECT_GE(remaining, OneHour - sinceReturn.elapsed() - 1);
    timer.stop();
    EXPECT_EQ(timer.remainingTime(), -1);
}

TEST(TickTimer, TicksNeverOverlapAndNoneComesInsideItsOwnWait)
{
    int ticks = 0;
    int depth = 0;
    int deepest = 0;
    TTickTimer *self = nullptr;
    TTickTimer timer(0, [&] {
        ++ticks;
        deepest = qMax(deepest, ++depth);
        EXPECT_TRUE(self->inTick());
        if (ticks == 1)
            Wait(); // due at every dispatch, were it armed
        --depth;
    });
    self = &timer;
    timer.start();
    ASSERT_TRUE(DispatchUntil([&] { return ticks >= 3; }));
    timer.stop();
    EXPECT_EQ(deepest, 1);
    EXPECT_FALSE(timer.inTick());
}

TEST(TickTimer, TicksRunInsideTheWaitOfAnotherHandler)
{
    int ticks = 0;
    bool waiting = false;
    bool tickedInsideTheWait = false;
    TTickTimer timer(OneHour, [&] {
        ++ticks;
        tickedInsideTheWait = waiting;
    });
    timer.setEnabled(false);
    timer.start();
    bool handled = false;
    // A repaint whose get-time handler waits, as an alarm check announcing an alarm does.
    QTimer::singleShot(0, [&] {
        timer.setEnabled(true);
        waiting = true;
        for (int i = 0; i < 1000 && ticks == 0; ++i)
            QCoreApplication::processEvents();
        waiting = false;
        handled = true;
    });
    ASSERT_TRUE(DispatchUntil([&] { return handled; }));
    EXPECT_EQ(ticks, 1);
    EXPECT_TRUE(tickedInsideTheWait);
}

TEST(TickTimer, ADisabledTimerIssuesNoTickAndKeepsItsIntervalWhenEnabledAgain)
{
    int ticks = 0;
    QElapsedTimer sinceReturn;
    TTickTimer *self = nullptr;
    TTickTimer timer(OneHour, [&] {
        ++ticks;
        self->setEnabled(false);
        sinceReturn.start();
    });
    self = &timer;
    timer.setEnabled(false);
    EXPECT_FALSE(timer.Enabled());
    timer.start();
    Wait();
    EXPECT_EQ(ticks, 0);
    EXPECT_EQ(timer.remainingTime(), -1);

    timer.setEnabled(true); // the first tick is overdue: at once
    ASSERT_TRUE(DispatchUntil([&] { return ticks == 1; }));
    // Disabled inside the tick: nothing armed when it returned.
    EXPECT_EQ(timer.remainingTime(), -1);
    timer.setEnabled(true);
    EXPECT_TRUE(timer.Enabled());
    const int remaining = timer.remainingTime();
    EXPECT_LE(remaining, OneHour);
    EXPECT_GE(remaining, OneHour - sinceReturn.elapsed() - 1);
}

TEST(TickTimer, StoppingOrDestroyingTheTimerInsideItsTickEndsTheTicks)
{
    for (const bool destroy : {false, true}) {
        int ticks = 0;
        auto timer = std::make_unique<TTickTimer>(0, nullptr);
        timer = std::make_unique<TTickTimer>(0, [&] {
            ++ticks;
            Wait();
            if (destroy)
                timer.reset();
            else
                timer->stop();
            Wait();
        });
        timer->start();
        ASSERT_TRUE(DispatchUntil([&] { return ticks == 1; })) << destroy;
        Wait();
        EXPECT_EQ(ticks, 1) << destroy;
        EXPECT_EQ(timer == nullptr, destroy);
    }
}

TEST(TickTimer, ATimerGoneBeforeItsFirstDispatchNeverTicks)
{
    int ticks = 0;
    {
        TTickTimer timer(0, [&] { ++ticks; });
        timer.start();
    }
    Wait();
    EXPECT_EQ(ticks, 0);
}

TEST(TickTimer, NoTickOnceTheApplicationHasQuit)
{
    int ticks = 0;
    TTickTimer timer(0, [&] {
        if (++ticks == 1)
            QCoreApplication::quit();
    });
    timer.start();
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::quit(); });
    guard.start(20000);
    QCoreApplication::exec();
    ASSERT_EQ(ticks, 1);
    // Events dispatched after the event loop ended (a message box on the way out).
    Wait();
    EXPECT_EQ(ticks, 1);
    EXPECT_EQ(timer.remainingTime(), -1);
}

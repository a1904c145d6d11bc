#include "platform/uMisc.h"
#include "support/Fakes.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <gtest/gtest.h>

using testing_support::FakePump;
using testing_support::FakeTime;

namespace {

// Counts the events it receives, as a stand-in for a window's message handler.
class Receiver : public QObject
{
public:
    int events = 0;
    std::function<void()> onEvent;
    bool event(QEvent *e) override
    {
        if (e->type() != QEvent::User)
            return QObject::event(e);
        ++events;
        if (onEvent)
            onEvent();
        return true;
    }
};

} // namespace

TEST(Delay, ZeroMillisecondsProcessesTheQueueExactlyOnce)
{
    FakeTime time;
    FakePump pump(time);
    Receiver r;
    QCoreApplication::postEvent(&r, new QEvent(QEvent::User));
    Delay(0);
    EXPECT_EQ(pump.passes, 1);
    EXPECT_EQ(pump.waitedMs, 0);
    EXPECT_EQ(r.events, 1);
}

TEST(Delay, ProcessesAtLeastOnceWhenTheTimeHasPassedByTheFirstReading)
{
    FakeTime time;
    FakePump pump(time);
    // The first pass's handlers take longer than the whole wait.
    pump.onPass = [&] { time.advance(500); };
    Delay(100);
    EXPECT_EQ(pump.passes, 2); // the first reading came before the 500 ms of handling
    pump.onPass = nullptr;
}

TEST(Delay, WaitsTheFullTimeWithoutSpinning)
{
    FakeTime time;
    FakePump pump(time);
    const quint32 start = time.tickCount();
    Delay(1000);
    EXPECT_EQ(time.tickCount() - start, 1000u);
    EXPECT_EQ(pump.waitedMs, 1000);
    EXPECT_LE(pump.passes, 2); // one wait covers the whole time when nothing arrives
}

TEST(Delay, LastsTheRequestedTimeAcrossTheWrapOfTheTickCounter)
{
    for (const quint32 startTick : {0xFFFFFFFFu - 300u, 0xFFFFFFFFu, 0u}) {
        FakeTime time(QDateTime(QDate(2026, 12, 10), QTime(8, 0)), startTick);
        FakePump pump(time);
        pump.onPass = [&] { time.advance(7); }; // handlers take time, the wait is in steps
        Delay(1000);
        const quint32 elapsed = time.tickCount() - startTick;
        EXPECT_GE(elapsed, 1000u) << startTick;
        EXPECT_LT(elapsed, 1100u) << startTick;
    }
}

TEST(Delay, AMessageHandledInsideTheWaitDoesNotShortenIt)
{
    FakeTime time;
    FakePump pump(time);
    Receiver quitter;
    bool nested = false;
    quitter.onEvent = [&] {
        // What a close would do inside the wait: ask the application to end.
        QCoreApplication::exit(0);
        nested = true;
    };
    QCoreApplication::postEvent(&quitter, new QEvent(QEvent::User));
    const quint32 start = time.tickCount();
    Delay(30000);
    EXPECT_TRUE(nested);
    EXPECT_EQ(time.tickCount() - start, 30000u);
}

TEST(IfThen, ChoosesByTheFlag)
{
    EXPECT_EQ(IfThenStr(true, QStringLiteral("Oui"), QStringLiteral("Non")), QStringLiteral("Oui"));
    EXPECT_EQ(IfThenStr(false, QStringLiteral("Oui"), QStringLiteral("Non")), QStringLiteral("Non"));
    EXPECT_EQ(IfThenInt(false, 1, 2), 2);
    EXPECT_EQ(IfThenInt(true, 1, 2), 1);
}

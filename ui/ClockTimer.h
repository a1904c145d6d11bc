#pragma once

#include <QBasicTimer>
#include <QDeadlineTimer>
#include <QObject>
#include <functional>

// The clock's timer: a single-shot timer of the thread that owns it, armed again for the
// interval once each tick has been handled. Ticks run wherever that thread dispatches events
// (its event loop, a modal loop, Delay), so they also run inside another handler's wait; they
// never overlap, and none runs inside the wait of a tick, since nothing is armed meanwhile.
// The thread sleeps between ticks and wakes up once per tick.
class TTickTimer : public QObject
{
public:
    TTickTimer(int intervalMs, std::function<void()> onTimer, QObject *parent = nullptr);

    // The first tick comes at the next dispatch of events, without waiting for an interval.
    void start();
    // No tick from now on, also once the application quits; a tick being handled goes on.
    void stop();

    int Interval() const { return m_interval; }
    bool Enabled() const { return m_enabled; }
    // A disabled timer issues no ticks. Enabled again, it ticks when the interval that began
    // with the end of the last tick is over, or at once if it is over already.
    void setEnabled(bool enabled);
    // True while a tick is being handled.
    bool inTick() const { return m_inTick; }
    // Milliseconds until the next tick as the event dispatcher counts them; -1 when none is due.
    int remainingTime() const;

protected:
    void timerEvent(QTimerEvent *e) override;

private:
    void arm();

    const int m_interval;
    std::function<void()> m_onTimer;
    QBasicTimer m_timer;
    QDeadlineTimer m_due{0}; // when the next tick is due
    bool m_running = false;
    bool m_enabled = true;
    bool m_inTick = false;
};

#include "ui/ClockTimer.h"

#include "platform/ErrorReport.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QPointer>
#include <QTimerEvent>

TTickTimer::TTickTimer(int intervalMs, std::function<void()> onTimer, QObject *parent)
    : QObject(parent), m_interval(intervalMs), m_onTimer(std::move(onTimer))
{
    // Something may still dispatch events once the event loop has ended (a message box shown
    // on the way out): no tick then.
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &TTickTimer::stop);
}

void TTickTimer::start()
{
    if (m_running)
        return;
    m_running = true;
    m_due = QDeadlineTimer(0);
    arm();
}

void TTickTimer::stop()
{
    m_running = false;
    m_timer.stop();
}

void TTickTimer::setEnabled(bool enabled)
{
    m_enabled = enabled;
    if (enabled)
        arm();
    else
        m_timer.stop();
}

int TTickTimer::remainingTime() const
{
    if (!m_timer.isActive())
        return -1;
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(thread());
    return dispatcher ? dispatcher->remainingTime(m_timer.timerId()) : -1;
}

// A tick being handled arms the timer when it returns.
void TTickTimer::arm()
{
    if (!m_running || !m_enabled || m_inTick || m_timer.isActive())
        return;
    m_timer.start(int(qMax<qint64>(0, m_due.remainingTime())), Qt::PreciseTimer, this);
}

void TTickTimer::timerEvent(QTimerEvent *e)
{
    if (e->timerId() != m_timer.timerId()) {
        QObject::timerEvent(e);
        return;
    }
    // Nothing is armed while the tick is handled: it cannot come again inside its own waits.
    m_timer.stop();
    if (!m_onTimer)
        return;
    // A copy: the handler may destroy the timer, and with it m_onTimer, while it runs.
    const std::function<void()> onTimer = m_onTimer;
    const QPointer<TTickTimer> alive(this);
    m_inTick = true;
    platform::Guarded(onTimer);
    if (!alive)
        return;
    m_inTick = false;
    m_due = QDeadlineTimer(m_interval, Qt::PreciseTimer);
    arm();
}

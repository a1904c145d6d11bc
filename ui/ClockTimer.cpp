#include "ui/ClockTimer.h"

#include "platform/ErrorReport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

// Sleeps one period per tick in a single wait that Stop() cuts short: the period stays, the
// stop is prompt, and the thread wakes up only when there is a tick to issue.
class TTickThread : public QThread
{
public:
    TTickThread(TTickTimer *timer, int interval) : m_timer(timer), m_interval(interval) {}

    void Terminate()
    {
        QMutexLocker lock(&m_mutex);
        m_terminated = true;
        m_wake.wakeAll();
    }

    void SetPaused(bool paused)
    {
        QMutexLocker lock(&m_mutex);
        m_paused = paused;
        m_wake.wakeAll();
    }

    bool Paused() const
    {
        QMutexLocker lock(&m_mutex);
        return m_paused;
    }

    std::function<void()> issuing;
    std::function<void()> deliver;

protected:
    void run() override
    {
        for (;;) {
            {
                QMutexLocker lock(&m_mutex);
                if (m_terminated)
                    return;
                // Once the application quits no tick is issued any more; wait for the stop.
                while (!m_terminated && (m_paused || m_appTerminating))
                    m_wake.wait(&m_mutex);
                if (m_terminated)
                    return;
            }
            if (issuing)
                issuing();
            QMetaObject::invokeMethod(m_timer, deliver, Qt::BlockingQueuedConnection);

            QMutexLocker lock(&m_mutex);
            const QDeadlineTimer deadline(m_interval, Qt::PreciseTimer);
            while (!m_terminated && !m_appTerminating && !deadline.hasExpired())
                m_wake.wait(&m_mutex, deadline);
        }
    }

public:
    void ApplicationTerminating()
    {
        QMutexLocker lock(&m_mutex);
        m_appTerminating = true;
        m_wake.wakeAll();
    }

private:
    TTickTimer *m_timer;
    const int m_interval;
    mutable QMutex m_mutex;
    QWaitCondition m_wake;
    bool m_terminated = false;
    bool m_paused = false;
    bool m_appTerminating = false;
};

TTickTimer::TTickTimer(int intervalMs, std::function<void()> onTimer, QObject *parent)
    : QObject(parent), m_interval(intervalMs), m_onTimer(std::move(onTimer)),
      m_thread(std::make_unique<TTickThread>(this, intervalMs))
{
    m_thread->deliver = [this] { Deliver(); };
    if (QCoreApplication *app = QCoreApplication::instance()) {
        TTickThread *thread = m_thread.get();
        m_quitConnection = connect(app, &QCoreApplication::aboutToQuit, this,
                                   [thread] { thread->ApplicationTerminating(); });
    }
}

TTickTimer::~TTickTimer()
{
    Stop();
    *m_alive = false;
}

void TTickTimer::Start()
{
    if (!m_thread || m_thread->isRunning() || m_stopped)
        return;
    m_thread->issuing = OnIssuing;
    m_thread->start(QThread::NormalPriority);
}

void TTickTimer::Stop()
{
    if (!m_thread)
        return;
    m_stopped = true;
    disconnect(m_quitConnection);
    m_thread->Terminate();
    if (m_inTick) {
        // The thread waits for the very tick on our stack: it ends by itself once that tick
        // returns, and deletes itself then.
        TTickThread *thread = m_thread.release();
        connect(thread, &QThread::finished, thread, &QObject::deleteLater);
        return;
    }
    // A tick posted before the stop would keep the thread waiting for us: handle it here,
    // which does nothing now that the timer is stopped.
    for (;;) {
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
        if (m_thread->wait(QDeadlineTimer(5)))
            break;
    }
    m_thread.reset();
}

bool TTickTimer::Enabled() const
{
    return m_thread && !m_thread->Paused();
}

void TTickTimer::SetEnabled(bool enabled)
{
    if (m_thread)
        m_thread->SetPaused(!enabled);
}

void TTickTimer::Deliver()
{
    if (m_stopped || !m_onTimer)
        return;
    const std::shared_ptr<bool> alive = m_alive;
    m_inTick = true;
    try {
        m_onTimer();
    } catch (...) {
        platform::ReportCurrentException();
    }
    if (*alive)
        m_inTick = false;
}

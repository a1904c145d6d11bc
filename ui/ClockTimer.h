#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>

class TTickThread;

// The clock's timer: a thread that only sleeps and hands each tick over to the thread that
// owns the timer, waiting until the tick has been handled there. Ticks therefore never overlap,
// and they run wherever that thread dispatches its events (its event loop, a modal loop, Delay).
class TTickTimer : public QObject
{
    Q_OBJECT

public:
    TTickTimer(int intervalMs, std::function<void()> onTimer, QObject *parent = nullptr);
    ~TTickTimer() override;

    // Starts the thread; the first tick is issued at once, before the first sleep.
    void Start();
    // Stops the thread and waits for it; a tick already waiting to be handled is dropped.
    void Stop();

    int Interval() const { return m_interval; }
    bool Enabled() const;
    // A disabled timer issues no ticks and its thread does not wake up.
    void SetEnabled(bool enabled);
    // True while a tick is being handled.
    bool InTick() const { return m_inTick; }

    // Runs on the tick thread just before each hand-over (tests observe the thread with it).
    std::function<void()> OnIssuing;

private:
    void Deliver();

    int m_interval;
    std::function<void()> m_onTimer;
    std::unique_ptr<TTickThread> m_thread;
    std::atomic<bool> m_stopped{false};
    bool m_inTick = false;
    // Lets a tick find out that the timer went away while it was being handled.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    QMetaObject::Connection m_quitConnection;
};

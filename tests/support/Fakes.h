#pragma once

#include "platform/ErrorReport.h"
#include "platform/MessagePump.h"
#include "platform/Time.h"

#include <QStringList>
#include <functional>

namespace testing_support {

// A clock that moves only when told to; installed for its lifetime.
class FakeTime final : public platform::TimeSource
{
public:
    explicit FakeTime(const QDateTime &start = QDateTime(QDate(2026, 12, 10), QTime(12, 0)),
                      quint32 tick = 1000000);
    ~FakeTime() override;
    QDateTime now() const override { return m_now; }
    quint32 tickCount() const override { return m_tick; }

    void set(const QDateTime &moment) { m_now = moment; }
    void setTick(quint32 tick) { m_tick = tick; }
    // Moves both the wall clock and the tick counter.
    void advance(qint64 ms);

private:
    QDateTime m_now;
    quint32 m_tick;
};

// A message pump whose waits pass fake time instead of real time; it still dispatches
// Qt's real pending events. Installed for its lifetime.
class FakePump final : public platform::MessagePump
{
public:
    explicit FakePump(FakeTime &time);
    ~FakePump() override;
    void processMessages() override;
    void waitForMessages(quint32 maxMs) override;

    int passes = 0;               // processMessages calls
    qint64 waitedMs = 0;          // fake time passed in waits
    std::function<void()> onPass; // runs inside each pass, as a dispatched message would

private:
    FakeTime &m_time;
};

// Records what the program reports instead of showing message boxes.
class ErrorRecorder
{
public:
    ErrorRecorder();
    ~ErrorRecorder();
    QStringList messages;

private:
    platform::ErrorReporter m_previous;
};

} // namespace testing_support

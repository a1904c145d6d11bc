#pragma once

#include "platform/ErrorReport.h"
#include "platform/Links.h"
#include "platform/MessagePump.h"
#include "platform/Regional.h"
#include "platform/Screen.h"
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
    platform::TimeSource *m_previous;
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
    platform::MessagePump *m_previous;
};

// Records what the program reports instead of showing message boxes. Installed for its
// lifetime.
class ErrorRecorder final : public platform::ErrorReporter
{
public:
    ErrorRecorder();
    ~ErrorRecorder() override;
    void report(const QString &message) override { messages << message; }
    QStringList messages;

private:
    platform::ErrorReporter *m_previous;
};

// Records the links the program hands to the desktop instead of opening them. Installed
// for its lifetime.
class LinkRecorder final : public platform::LinkOpener
{
public:
    LinkRecorder() : m_previous(platform::SetLinkOpener(this)) {}
    ~LinkRecorder() override { platform::SetLinkOpener(m_previous); }
    void open(const QUrl &url) override { opened << url; }
    QList<QUrl> opened;

private:
    platform::LinkOpener *m_previous;
};

// A primary screen of the test's choosing. Installed for its lifetime.
class FakeScreen final : public platform::ScreenSource
{
public:
    explicit FakeScreen(const platform::ScreenMetrics &metrics);
    ~FakeScreen() override;
    platform::ScreenMetrics metrics() const override { return m_metrics; }
    void set(const platform::ScreenMetrics &metrics) { m_metrics = metrics; }

private:
    platform::ScreenMetrics m_metrics;
    platform::ScreenSource *m_previous;
};

// Regional settings of the test's choosing, in force for its lifetime.
class FakeRegional
{
public:
    explicit FakeRegional(const QLocale &locale);
    explicit FakeRegional(const platform::TFormatSettings &settings);
    ~FakeRegional();
    FakeRegional(const FakeRegional &) = delete;
    FakeRegional &operator=(const FakeRegional &) = delete;

    void set(const platform::TFormatSettings &settings);

private:
    platform::TFormatSettings m_previous;
};

// One variable of the environment set for its lifetime; unset with a null value.
class ScopedEnvironment
{
public:
    ScopedEnvironment(const char *name, const QByteArray &value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment &) = delete;
    ScopedEnvironment &operator=(const ScopedEnvironment &) = delete;

private:
    const char *m_name;
    bool m_wasSet;
    QByteArray m_previous;
};

} // namespace testing_support

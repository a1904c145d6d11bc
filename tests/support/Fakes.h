#pragma once

#include "platform/ErrorReport.h"
#include "platform/Links.h"
#include "platform/MessagePump.h"
#include "platform/Screen.h"
#include "platform/Time.h"

#include <QStringList>
#include <functional>

class TfmMain;
class TfmAlarmsEdit;
class TfmShutdown;

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

// Saves the program's global state (start-up and close flags, settings file path, window
// pointers) and puts it back when the test ends, so no test leaks into the next.
class SavedGlobals
{
public:
    SavedGlobals();
    ~SavedGlobals();
    SavedGlobals(const SavedGlobals &) = delete;
    SavedGlobals &operator=(const SavedGlobals &) = delete;

private:
    bool m_startingUp;
    bool m_closing;
    QString m_iniFileName;
    TfmMain *m_fmMain;
    TfmAlarmsEdit *m_fmAlarmsEdit;
    TfmShutdown *m_fmShutdown;
};

} // namespace testing_support

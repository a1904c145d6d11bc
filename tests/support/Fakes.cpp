#include "support/Fakes.h"

#include <QCoreApplication>

namespace testing_support {

FakeTime::FakeTime(const QDateTime &start, quint32 tick)
    : m_now(start), m_tick(tick), m_previous(platform::SetTimeSource(this))
{
}

FakeTime::~FakeTime()
{
    platform::SetTimeSource(m_previous);
}

void FakeTime::advance(qint64 ms)
{
    m_now = m_now.addMSecs(ms);
    m_tick += quint32(ms);
}

FakePump::FakePump(FakeTime &time) : m_time(time), m_previous(platform::SetMessagePump(this)) {}

FakePump::~FakePump()
{
    platform::SetMessagePump(m_previous);
}

void FakePump::processMessages()
{
    ++passes;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    if (onPass)
        onPass();
}

void FakePump::waitForMessages(quint32 maxMs)
{
    waitedMs += maxMs;
    m_time.advance(maxMs);
}

ErrorRecorder::ErrorRecorder() : m_previous(platform::SetErrorReporter(this)) {}

ErrorRecorder::~ErrorRecorder()
{
    platform::SetErrorReporter(m_previous);
}

FakeScreen::FakeScreen(const platform::ScreenMetrics &metrics)
    : m_metrics(metrics), m_previous(platform::SetScreenSource(this))
{
}

FakeScreen::~FakeScreen()
{
    platform::SetScreenSource(m_previous);
}

FakeRegional::FakeRegional(const QLocale &locale) : FakeRegional(platform::FormatSettingsFor(locale)) {}

FakeRegional::FakeRegional(const platform::TFormatSettings &settings) : m_previous(platform::FormatSettings())
{
    platform::SetFormatSettings(settings);
}

FakeRegional::~FakeRegional()
{
    platform::SetFormatSettings(m_previous);
}

void FakeRegional::set(const platform::TFormatSettings &settings)
{
    platform::SetFormatSettings(settings);
}

ScopedEnvironment::ScopedEnvironment(const char *name, const QByteArray &value)
    : m_name(name), m_wasSet(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name))
{
    if (value.isNull())
        qunsetenv(name);
    else
        qputenv(name, value);
}

ScopedEnvironment::~ScopedEnvironment()
{
    if (m_wasSet)
        qputenv(m_name, m_previous);
    else
        qunsetenv(m_name);
}

} // namespace testing_support

#include "support/Fakes.h"

#include <QCoreApplication>

namespace testing_support {

FakeTime::FakeTime(const QDateTime &start, quint32 tick) : m_now(start), m_tick(tick)
{
    platform::SetTimeSource(this);
}

FakeTime::~FakeTime()
{
    platform::SetTimeSource(nullptr);
}

void FakeTime::advance(qint64 ms)
{
    m_now = m_now.addMSecs(ms);
    m_tick += quint32(ms);
}

FakePump::FakePump(FakeTime &time) : m_time(time)
{
    platform::SetMessagePump(this);
}

FakePump::~FakePump()
{
    platform::SetMessagePump(nullptr);
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

ErrorRecorder::ErrorRecorder()
{
    m_previous = platform::SetErrorReporter([this](const QString &m) { messages << m; });
}

ErrorRecorder::~ErrorRecorder()
{
    platform::SetErrorReporter(m_previous);
}

} // namespace testing_support

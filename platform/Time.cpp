#include "platform/Time.h"

#include <ctime>

namespace platform {
namespace {

class SystemTime final : public TimeSource
{
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    quint32 tickCount() const override
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const quint64 ms = quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u;
        return quint32(ms); // truncation is the wrap
    }
};

SystemTime systemTime;
TimeSource *current = &systemTime;

} // namespace

void PinLocalTimeZone()
{
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
    tzset();
}

void SetTimeSource(TimeSource *source)
{
    current = source ? source : &systemTime;
}

QDateTime Now()
{
    return current->now();
}
QDate Date()
{
    return current->now().date();
}
QTime Time()
{
    return current->now().time();
}
quint32 GetTickCount()
{
    return current->tickCount();
}

} // namespace platform

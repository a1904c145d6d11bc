#include "platform/Time.h"

#include "platform/Seam.h"

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
Seam<TimeSource> seam(systemTime);

} // namespace

void PinLocalTimeZone()
{
    if (!qEnvironmentVariableIsSet("TZ"))
        qputenv("TZ", ":/etc/localtime");
    tzset();
}

TimeSource *SetTimeSource(TimeSource *source)
{
    return seam.install(source);
}

QDateTime Now()
{
    return seam.get().now();
}
QDate Date()
{
    return seam.get().now().date();
}
QTime Time()
{
    return seam.get().now().time();
}
quint32 GetTickCount()
{
    return seam.get().tickCount();
}

} // namespace platform

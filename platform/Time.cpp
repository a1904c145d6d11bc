#include "platform/Time.h"

#include "platform/Seam.h"

#include <ctime>

namespace platform {
namespace {

class SystemTime final : public TimeSource
{
public:
    // The alarm check reads the local date and time many times per clock tick, and a full
    // local-time conversion each time was most of its cost. The offset from UTC only changes
    // at whole minutes (daylight saving, a new time zone), so it is looked up once a minute.
    QDateTime now() const override
    {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        const qint64 ms = qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
        const qint64 minute = ts.tv_sec / 60;
        thread_local qint64 cachedMinute = -1;
        thread_local int cachedOffset = 0;
        if (minute != cachedMinute) {
            tm local{};
            localtime_r(&ts.tv_sec, &local);
            cachedOffset = int(local.tm_gmtoff);
            cachedMinute = minute;
        }
        return QDateTime::fromMSecsSinceEpoch(ms, Qt::OffsetFromUTC, cachedOffset);
    }
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

#include "platform/Time.h"

#include "platform/Seam.h"

#include <ctime>

namespace platform {
namespace {

class SystemTime final : public TimeSource
{
public:
    QDateTime now() const override
    {
        const Reading r = read();
        return QDateTime::fromMSecsSinceEpoch(r.utcMs, Qt::OffsetFromUTC, r.offsetSeconds);
    }
    // The alarm check reads the date and the time of day dozens of times per clock tick:
    // worked out from the local milliseconds, without building a QDateTime each time.
    QDate date() const override
    {
        return QDate::fromJulianDay(UnixEpochJulianDay + floorDiv(read().localMs(), MsPerDay));
    }
    QTime time() const override
    {
        const qint64 ms = read().localMs();
        return QTime::fromMSecsSinceStartOfDay(int(ms - floorDiv(ms, MsPerDay) * MsPerDay));
    }
    quint32 tickCount() const override
    {
        timespec ts{};
        clock_gettime(CLOCK_MONOTONIC, &ts);
        const quint64 ms = quint64(ts.tv_sec) * 1000u + quint64(ts.tv_nsec) / 1000000u;
        return quint32(ms); // truncation is the wrap
    }

private:
    static constexpr qint64 MsPerDay = 86'400'000;
    static constexpr qint64 UnixEpochJulianDay = 2'440'588; // 1 January 1970

    static qint64 floorDiv(qint64 a, qint64 b) { return a / b - (a % b < 0 ? 1 : 0); }

    struct Reading
    {
        qint64 utcMs;
        int offsetSeconds;
        qint64 localMs() const { return utcMs + qint64(offsetSeconds) * 1000; }
    };

    // A full local-time conversion at each reading was most of the alarm check's cost. The
    // offset from UTC only changes at whole minutes (daylight saving, a new time zone), so it
    // is looked up once a minute.
    static Reading read()
    {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        const qint64 minute = ts.tv_sec / 60;
        thread_local qint64 cachedMinute = -1;
        thread_local int cachedOffset = 0;
        if (minute != cachedMinute) {
            tm local{};
            localtime_r(&ts.tv_sec, &local);
            cachedOffset = int(local.tm_gmtoff);
            cachedMinute = minute;
        }
        return {qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000, cachedOffset};
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
    return seam.get().date();
}
QTime Time()
{
    return seam.get().time();
}
quint32 GetTickCount()
{
    return seam.get().tickCount();
}

} // namespace platform

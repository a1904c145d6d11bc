#include "platform/Time.h"

#include "platform/Seam.h"

#include <atomic>
#include <ctime>

namespace platform {
namespace {

// Counts the readings of the zone, so that an offset cached before the last one is dropped.
std::atomic<int> zoneReadings{0};

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
    // offset from UTC only changes at whole minutes (daylight saving) or with a new zone, so it
    // is looked up once a minute and after each reading of the zone.
    static Reading read()
    {
        timespec ts{};
        clock_gettime(CLOCK_REALTIME, &ts);
        const qint64 minute = ts.tv_sec / 60;
        const int zone = zoneReadings.load(std::memory_order_relaxed);
        thread_local qint64 cachedMinute = -1;
        thread_local int cachedZone = -1;
        thread_local int cachedOffset = 0;
        if (minute != cachedMinute || zone != cachedZone) {
            tm local{};
            localtime_r(&ts.tv_sec, &local);
            cachedOffset = int(local.tm_gmtoff);
            cachedMinute = minute;
            cachedZone = zone;
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

void ReloadLocalTimeZone()
{
    // The C library reads the zone again only when TZ changes: it names UTC for an instant.
    const bool set = qEnvironmentVariableIsSet("TZ");
    const QByteArray tz = qgetenv("TZ");
    qputenv("TZ", "UTC0");
    tzset();
    if (set)
        qputenv("TZ", tz);
    else
        qunsetenv("TZ");
    tzset();
    zoneReadings.fetch_add(1, std::memory_order_relaxed);
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

#pragma once

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace platform {

// Where the program reads "now". Everything goes through here so tests can set the moment.
class TimeSource
{
public:
    virtual ~TimeSource() = default;
    // Local date and time of day, with milliseconds.
    virtual QDateTime now() const = 0;
    // The date and the time of day of now(); a source may give them more cheaply.
    virtual QDate date() const { return now().date(); }
    virtual QTime time() const { return now().time(); }
    // Millisecond counter that wraps after 2^32 ms (about 49.7 days).
    virtual quint32 tickCount() const = 0;
};

// Installs a replacement time source (tests); nullptr goes back to the system clock.
// Returns the replacement installed before, or nullptr.
TimeSource *SetTimeSource(TimeSource *source);

// Makes local-time readings cheap: without TZ set, the C library looks at /etc/localtime
// again at every reading, several times per clock tick. Call before any thread starts.
void PinLocalTimeZone();
// Reads the local time zone anew, after its file was replaced: the readings that follow use it.
void ReloadLocalTimeZone();

QDateTime Now();
QDate Date();
QTime Time();
quint32 GetTickCount();

} // namespace platform

#pragma once

#include <QObject>
#include <QString>

namespace platform {

// Tells when the wall clock is set or stepped (by hand, by time synchronisation, on resume from
// suspend) and when the local time zone's file is replaced or rewritten: the file TZ names
// (":/path", or a zone name under the zone folder), else /etc/localtime. The kernel reports
// both, so nothing is polled: a timer on the wall clock that a change of the clock cancels,
// and a watch on the zone file's folder.
class TTimeChangeNotifier : public QObject
{
    Q_OBJECT

public:
    explicit TTimeChangeNotifier(QObject *parent = nullptr);
    ~TTimeChangeNotifier() override;

    // The zone file watched; empty when TZ names a rule and no file.
    QString zoneFile() const { return m_zoneFile; }

Q_SIGNALS:
    // After a change of the zone, the zone has been read anew by then.
    void changed();

private:
    void armClockTimer();
    void clockTimerReady();
    void zoneFolderReady();

    QString m_zoneFile;
    int m_clockFd = -1;
    int m_zoneFd = -1;
};

// The zone file the C library reads for a TZ value (set or not).
QString ZoneFileFor(bool tzSet, const QString &tz);

} // namespace platform

#pragma once

#include <QLocale>
#include <QObject>
#include <QString>

namespace platform {

// The user's regional date and time formats, process-wide.
struct TFormatSettings
{
    QChar DateSeparator = QLatin1Char('/');
    QString ShortDateFormat = QStringLiteral("m/d/yy");
    QChar TimeSeparator = QLatin1Char(':');
    QChar DecimalSeparator = QLatin1Char('.');
    QString TimeAMString = QStringLiteral("am");
    QString TimePMString = QStringLiteral("pm");
    QString LongTimeFormat = QStringLiteral("h:mm:ss AMPM");
};

// The record in force.
const TFormatSettings &FormatSettings();
// Replaces the record (tests, and the refill after a locale change); announces the change.
void SetFormatSettings(const TFormatSettings &settings);
// The record for a locale, with the fallback values where the locale gives nothing.
TFormatSettings FormatSettingsFor(const QLocale &locale);
// Fills the record from the user's locale (LC_ALL, LC_TIME, LANG) and, from then on,
// again whenever the application reports a locale change.
void LoadFormatSettings();

// Emits changed() after every replacement of the record.
class RegionalNotifier : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void changed();
};
RegionalNotifier *RegionalSettings();

} // namespace platform

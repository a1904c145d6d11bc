#pragma once

#include <QLocale>
#include <QObject>
#include <QString>
#include <QStringList>

namespace platform {

// The user's regional date and time formats, process-wide. The patterns use the letters of
// the date and time text conversions (settings/DateTimeText.h), compared without case:
// d, m, y for dates; h, mm, ss and AMPM for times; "/" and ":" stand for the separators.
struct TFormatSettings
{
    QChar DateSeparator = QLatin1Char('/');
    QString ShortDateFormat = QStringLiteral("m/d/yy");
    QChar TimeSeparator = QLatin1Char(':');
    QChar DecimalSeparator = QLatin1Char('.');
    QString TimeAMString = QStringLiteral("am");
    QString TimePMString = QStringLiteral("pm");
    QString LongTimeFormat = QStringLiteral("h:mm:ss AMPM");
    // Names for "mmm", "mmmm" (January first) and "ddd", "dddd" (Sunday first).
    QStringList ShortMonthNames = {QStringLiteral("Jan"), QStringLiteral("Feb"), QStringLiteral("Mar"),
                                   QStringLiteral("Apr"), QStringLiteral("May"), QStringLiteral("Jun"),
                                   QStringLiteral("Jul"), QStringLiteral("Aug"), QStringLiteral("Sep"),
                                   QStringLiteral("Oct"), QStringLiteral("Nov"), QStringLiteral("Dec")};
    QStringList LongMonthNames = {
        QStringLiteral("January"), QStringLiteral("February"), QStringLiteral("March"),
        QStringLiteral("April"),   QStringLiteral("May"),      QStringLiteral("June"),
        QStringLiteral("July"),    QStringLiteral("August"),   QStringLiteral("September"),
        QStringLiteral("October"), QStringLiteral("November"), QStringLiteral("December")};
    QStringList ShortDayNames = {QStringLiteral("Sun"), QStringLiteral("Mon"), QStringLiteral("Tue"),
                                 QStringLiteral("Wed"), QStringLiteral("Thu"), QStringLiteral("Fri"),
                                 QStringLiteral("Sat")};
    QStringList LongDayNames = {QStringLiteral("Sunday"),   QStringLiteral("Monday"),
                                QStringLiteral("Tuesday"),  QStringLiteral("Wednesday"),
                                QStringLiteral("Thursday"), QStringLiteral("Friday"),
                                QStringLiteral("Saturday")};
};

// The record in force.
const TFormatSettings &FormatSettings();
// Replaces the record (tests, and the refill after a locale change); announces the change.
void SetFormatSettings(const TFormatSettings &settings);
// The record for a locale, with the fallback values where the locale gives nothing usable.
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

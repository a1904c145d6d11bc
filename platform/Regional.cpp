#include "platform/Regional.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPointer>

#include <optional>

namespace platform {
namespace {

TFormatSettings current;

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\u00A0' || c == u'\u202F';
}

// Qt's patterns quote literal text with '...' and write a quote as ''.
qsizetype SkipQtQuoted(const QString &pattern, qsizetype i)
{
    ++i;
    while (i < pattern.size()) {
        if (pattern[i] == u'\'') {
            if (i + 1 < pattern.size() && pattern[i + 1] == u'\'') {
                i += 2;
                continue;
            }
            return i + 1;
        }
        ++i;
    }
    return i;
}

// The pattern without quoted text and invisible format marks (direction marks and the like).
QString Unquoted(const QString &pattern)
{
    QString kept;
    for (qsizetype i = 0; i < pattern.size();) {
        if (pattern[i] == u'\'') {
            i = SkipQtQuoted(pattern, i);
            continue;
        }
        if (pattern[i].category() != QChar::Other_Format)
            kept += pattern[i];
        ++i;
    }
    return kept;
}

QStringView TrimmedBlanks(QStringView s)
{
    while (!s.isEmpty() && IsBlank(s.front()))
        s = s.sliced(1);
    while (!s.isEmpty() && IsBlank(s.back()))
        s.chop(1);
    return s;
}

struct DatePattern
{
    QString pattern;
    QChar separator;
};

// The locale's short date format as numeric day, month and year fields with one separator,
// which is what the text-to-date conversion can read back. The year is always written with
// four digits so that a stored date never depends on the two-digit year window. Anything
// else (month names, fields without a separator) is not usable.
std::optional<DatePattern> NumericDatePattern(const QString &qtPattern)
{
    const QString kept = Unquoted(qtPattern);
    struct Run
    {
        qsizetype begin, end;
        char16_t letter;
    };
    QList<Run> runs;
    for (qsizetype i = 0; i < kept.size();) {
        const QChar c = kept[i];
        if (!c.isLetter()) {
            ++i;
            continue;
        }
        const char16_t letter = c.unicode();
        if (letter != u'd' && letter != u'M' && letter != u'y')
            return std::nullopt;
        qsizetype j = i;
        while (j < kept.size() && kept[j] == c)
            ++j;
        if (letter != u'y' && j - i > 2)
            return std::nullopt;
        runs.append({i, j, letter});
        i = j;
    }
    if (runs.size() != 3 || runs[0].letter == runs[1].letter || runs[1].letter == runs[2].letter ||
        runs[0].letter == runs[2].letter)
        return std::nullopt;

    QChar separator;
    for (int r = 0; r < 2; ++r) {
        const QStringView gap =
            TrimmedBlanks(QStringView(kept).sliced(runs[r].end, runs[r + 1].begin - runs[r].end));
        if (gap.size() != 1 || gap[0].isLetterOrNumber() || (r == 1 && gap[0] != separator))
            return std::nullopt;
        separator = gap[0];
    }

    QString pattern;
    for (int r = 0; r < 3; ++r) {
        pattern += runs[r].letter == u'y' ? QStringLiteral("yyyy")
                                          : kept.mid(runs[r].begin, runs[r].end - runs[r].begin);
        if (r < 2)
            pattern += kept.mid(runs[r].end, runs[r + 1].begin - runs[r].end);
    }
    // A separator right after the last field ("yy. M. d.") stays; other trailing text goes.
    const QStringView tail = TrimmedBlanks(QStringView(kept).sliced(runs[2].end));
    if (!tail.isEmpty() && tail[0] == separator)
        pattern += separator;
    return DatePattern{pattern, separator};
}

struct TimeStyle
{
    bool twelveHour = true;
    bool leadingZero = false;
    bool markerFirst = false;
    QChar separator = QLatin1Char(':');
};

std::optional<TimeStyle> TimeStyleOf(const QString &qtPattern)
{
    qsizetype hour = -1;
    qsizetype hourEnd = -1;
    qsizetype marker = -1;
    for (qsizetype i = 0; i < qtPattern.size();) {
        const QChar c = qtPattern[i];
        if (c == u'\'') {
            i = SkipQtQuoted(qtPattern, i);
            continue;
        }
        if (hour < 0 && (c == u'h' || c == u'H')) {
            hour = i;
            while (i < qtPattern.size() && qtPattern[i] == c)
                ++i;
            hourEnd = i;
            continue;
        }
        if (marker < 0 && (c == u'a' || c == u'A'))
            marker = i;
        ++i;
    }
    if (hour < 0)
        return std::nullopt;
    TimeStyle style;
    style.twelveHour = marker >= 0;
    style.markerFirst = marker >= 0 && marker < hour;
    style.leadingZero = hourEnd - hour >= 2;
    // Quoted text after the hour ("HH 'h' mm") is no one-character separator: the fallback stays.
    qsizetype at = hourEnd;
    while (at < qtPattern.size() &&
           (IsBlank(qtPattern[at]) || qtPattern[at].category() == QChar::Other_Format))
        ++at;
    if (at < qtPattern.size() && !qtPattern[at].isLetterOrNumber() && qtPattern[at] != u'\'')
        style.separator = qtPattern[at];
    return style;
}

template <typename NameOf> QStringList Names(int count, NameOf name)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(name(i));
    return names;
}

class LocaleWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        // Every widget hears of a locale change as well; refill once, for the application.
        if (event->type() == QEvent::LocaleChange && watched == QCoreApplication::instance())
            SetFormatSettings(FormatSettingsFor(QLocale::system()));
        return false;
    }
};

QPointer<LocaleWatcher> watcher;

} // namespace

const TFormatSettings &FormatSettings()
{
    return current;
}

void SetFormatSettings(const TFormatSettings &settings)
{
    current = settings;
    Q_EMIT RegionalSettings()->changed();
}

TFormatSettings FormatSettingsFor(const QLocale &locale)
{
    TFormatSettings settings;

    if (const auto date = NumericDatePattern(locale.dateFormat(QLocale::ShortFormat))) {
        settings.ShortDateFormat = date->pattern;
        settings.DateSeparator = date->separator;
    }

    if (const auto style = TimeStyleOf(locale.timeFormat(QLocale::ShortFormat))) {
        settings.TimeSeparator = style->separator;
        const QString hour = style->leadingZero ? QStringLiteral("hh") : QStringLiteral("h");
        QString prefix, suffix;
        if (style->twelveHour) {
            if (style->markerFirst)
                prefix = QStringLiteral("AMPM ");
            else
                suffix = QStringLiteral(" AMPM");
        }
        settings.LongTimeFormat = prefix + hour + QStringLiteral(":mm:ss") + suffix;
    }

    if (!locale.decimalPoint().isEmpty())
        settings.DecimalSeparator = locale.decimalPoint().front();
    if (!locale.amText().isEmpty())
        settings.TimeAMString = locale.amText();
    if (!locale.pmText().isEmpty())
        settings.TimePMString = locale.pmText();

    settings.ShortMonthNames =
        Names(12, [&](int i) { return locale.monthName(i + 1, QLocale::ShortFormat); });
    settings.LongMonthNames = Names(12, [&](int i) { return locale.monthName(i + 1, QLocale::LongFormat); });
    // Qt counts days from Monday (1) to Sunday (7); the record starts on Sunday.
    settings.ShortDayNames =
        Names(7, [&](int i) { return locale.dayName(i == 0 ? 7 : i, QLocale::ShortFormat); });
    settings.LongDayNames =
        Names(7, [&](int i) { return locale.dayName(i == 0 ? 7 : i, QLocale::LongFormat); });
    return settings;
}

void LoadFormatSettings()
{
    if (!watcher && QCoreApplication::instance()) {
        watcher = new LocaleWatcher(QCoreApplication::instance());
        QCoreApplication::instance()->installEventFilter(watcher);
    }
    SetFormatSettings(FormatSettingsFor(QLocale::system()));
}

RegionalNotifier *RegionalSettings()
{
    static RegionalNotifier notifier;
    return &notifier;
}

} // namespace platform

#include "settings/DateTimeText.h"

#include "platform/Ascii.h"
#include "platform/Exception.h"
#include "platform/Time.h"
#include "res/uRes.h"
#include "settings/DateTimePattern.h"

#include <QHash>
#include <optional>

using platform::TFormatSettings;
using namespace datetime_pattern;

namespace {

// Two-digit years fall into the hundred years from this many years before the current one.
constexpr int TwoDigitYearCenturyWindow = 50;

QString Padded(int value, int width)
{
    return QStringLiteral("%1").arg(value, width, 10, QLatin1Char('0'));
}

QString Name(const QStringList &names, int index)
{
    return index >= 0 && index < names.size() ? names[index] : QString();
}

// Whether the time pattern asks for a 12-hour clock.
enum class DateOrder { DMY, MDY, YMD };

DateOrder OrderOf(const QString &pattern)
{
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (IsQuote(pattern[i])) {
            i = QuotedAt(pattern, i).next - 1;
            continue;
        }
        switch (platform::AsciiLower(pattern[i])) {
        case u'd':
            return DateOrder::DMY;
        case u'm':
            return DateOrder::MDY;
        case u'y':
        case u'e':
            return DateOrder::YMD;
        default:
            break;
        }
    }
    return DateOrder::MDY;
}

// Reads text the way the parsers need it: blanks before every item are skipped.
class Scanner
{
public:
    explicit Scanner(const QString &text) : m_text(text) {}

    // A run of digits; stops once the value reaches 1000.
    bool number(int &value, int &digits)
    {
        skipBlanks();
        const qsizetype start = m_pos;
        value = 0;
        while (m_pos < m_text.size() && m_text[m_pos] >= u'0' && m_text[m_pos] <= u'9' && value < 1000) {
            value = value * 10 + (m_text[m_pos].unicode() - u'0');
            ++m_pos;
        }
        digits = int(m_pos - start);
        return digits > 0;
    }

    bool character(QChar c)
    {
        skipBlanks();
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }

    bool text(const QString &word)
    {
        skipBlanks();
        if (word.isEmpty() || !QStringView(m_text).sliced(m_pos).startsWith(word, Qt::CaseInsensitive))
            return false;
        m_pos += word.size();
        return true;
    }

    bool atEnd()
    {
        skipBlanks();
        return m_pos == m_text.size();
    }

private:
    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text[m_pos] == u' ')
            ++m_pos;
    }

    const QString &m_text;
    qsizetype m_pos = 0;
};

// The AM (0) or PM (12) hour base of a marker, or -1 when none comes next.
int ScanMarker(Scanner &scanner, const TFormatSettings &settings)
{
    if (scanner.text(settings.TimeAMString) || scanner.text(QStringLiteral("AM")))
        return 0;
    if (scanner.text(settings.TimePMString) || scanner.text(QStringLiteral("PM")))
        return 12;
    return -1;
}

// usesYear: whether the outcome depends on currentYear (a date without a four-digit year).
std::optional<QDate> ScanDate(const QString &text, const TFormatSettings &settings, int currentYear,
                              bool *usesYear = nullptr)
{
    Scanner scanner(text);
    const QChar separator = settings.DateSeparator;
    int n1 = 0, n2 = 0, n3 = 0, l1 = 0, l2 = 0, l3 = 0;
    if (!scanner.number(n1, l1) || !scanner.character(separator) || !scanner.number(n2, l2))
        return std::nullopt;

    const DateOrder order = OrderOf(settings.ShortDateFormat);
    int day = 0, month = 0, year = 0, yearDigits = 0;
    if (scanner.character(separator)) {
        if (!scanner.number(n3, l3))
            return std::nullopt;
        switch (order) {
        case DateOrder::DMY:
            day = n1, month = n2, year = n3, yearDigits = l3;
            break;
        case DateOrder::MDY:
            month = n1, day = n2, year = n3, yearDigits = l3;
            break;
        case DateOrder::YMD:
            year = n1, yearDigits = l1, month = n2, day = n3;
            break;
        }
        if (yearDigits <= 2) {
            if (usesYear)
                *usesYear = true;
            const int base = currentYear - TwoDigitYearCenturyWindow;
            year += base / 100 * 100;
            if (year < base)
                year += 100;
        }
        scanner.character(separator); // "25/12/2006/" is a date
    } else {
        if (usesYear)
            *usesYear = true;
        year = currentYear;
        if (order == DateOrder::DMY)
            day = n1, month = n2;
        else
            month = n1, day = n2;
    }
    if (!scanner.atEnd() || year < 1 || year > 9999 || !QDate::isValid(year, month, day))
        return std::nullopt;
    return QDate(year, month, day);
}

std::optional<QTime> ScanTime(const QString &text, const TFormatSettings &settings)
{
    Scanner scanner(text);
    int base = ScanMarker(scanner, settings);
    int hour = 0, minute = 0, second = 0, msec = 0, digits = 0;
    if (!scanner.number(hour, digits))
        return std::nullopt;
    if (scanner.character(settings.TimeSeparator)) {
        if (!scanner.number(minute, digits))
            return std::nullopt;
        if (scanner.character(settings.TimeSeparator)) {
            if (!scanner.number(second, digits))
                return std::nullopt;
            if (scanner.character(settings.DecimalSeparator) && !scanner.number(msec, digits))
                return std::nullopt;
        }
    }
    if (base < 0)
        base = ScanMarker(scanner, settings);
    if (base >= 0) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + base;
    }
    if (!scanner.atEnd() || hour >= 24 || minute >= 60 || second >= 60 || msec >= 1000)
        return std::nullopt;
    return QTime(hour, minute, second, msec);
}

// The alarm check converts the same few cell texts several times per clock tick. A conversion
// depends only on the text, the regional settings and, for a date written without a four-digit
// year, the current year: it is remembered, failures included, until the settings change.
// Used from the user-interface thread only, as all the program's logic.
class ConversionMemo
{
public:
    struct DateEntry
    {
        QDate date; // invalid: the text is no date
        bool usesYear = false;
        int year = 0;
    };

    static ConversionMemo &instance()
    {
        static ConversionMemo memo;
        return memo;
    }

    const DateEntry *date(const QString &text) const { return find(m_dates, text); }
    const QTime *time(const QString &text) const { return find(m_times, text); }
    void remember(const QString &text, const DateEntry &entry) { insert(m_dates, text, entry); }
    void remember(const QString &text, const QTime &time) { insert(m_times, text, time); }

private:
    ConversionMemo()
    {
        QObject::connect(platform::RegionalSettings(), &platform::RegionalNotifier::changed,
                         platform::RegionalSettings(), [this] {
                             m_dates.clear();
                             m_times.clear();
                         });
    }

    // Texts typed into the grid come and go; the table holds sixteen at a time.
    static constexpr qsizetype Limit = 64;

    template <class T> static const T *find(const QHash<QString, T> &hash, const QString &text)
    {
        const auto it = hash.constFind(text);
        return it == hash.constEnd() ? nullptr : &*it;
    }
    template <class T> static void insert(QHash<QString, T> &hash, const QString &text, const T &value)
    {
        if (hash.size() >= Limit)
            hash.clear();
        hash.insert(text, value);
    }

    QHash<QString, DateEntry> m_dates;
    QHash<QString, QTime> m_times; // an invalid time: the text is no time
};

} // namespace

QString DateToStr(const QDate &date, const TFormatSettings &settings)
{
    if (!date.isValid())
        return QString();
    const QString &pattern = settings.ShortDateFormat;
    return Translate(
        pattern, [](QStringView text) { return text; },
        [&](qsizetype i, QString &out) {
            const QChar c = pattern[i];
            const char16_t letter = platform::AsciiLower(c);
            if (letter != u'd' && letter != u'm' && letter != u'y') {
                out += c == u'/' ? settings.DateSeparator : c;
                return i + 1;
            }
            const qsizetype run = RunLength(pattern, i);
            if (letter == u'd') {
                if (run <= 2)
                    out += Padded(date.day(), int(run));
                else
                    out +=
                        Name(run == 3 ? settings.ShortDayNames : settings.LongDayNames, date.dayOfWeek() % 7);
            } else if (letter == u'm') {
                if (run <= 2)
                    out += Padded(date.month(), int(run));
                else
                    out +=
                        Name(run == 3 ? settings.ShortMonthNames : settings.LongMonthNames, date.month() - 1);
            } else {
                out += run <= 2 ? Padded(((date.year() % 100) + 100) % 100, 2) : Padded(date.year(), 4);
            }
            return i + run;
        });
}

QString TimeToStr(const QTime &time, const TFormatSettings &settings)
{
    if (!time.isValid())
        return QString();
    const QString &pattern = settings.LongTimeFormat;
    const bool twelveHour = HasMarker(pattern);
    const bool am = time.hour() < 12;
    return Translate(
        pattern, [](QStringView text) { return text; },
        [&](qsizetype i, QString &out) {
            switch (MarkerLength(pattern, i)) {
            case 4: // ampm
                out += am ? settings.TimeAMString : settings.TimePMString;
                return i + 4;
            case 5: // am/pm, written in the letter case of the pattern
                out += am ? pattern.mid(i, 2) : pattern.mid(i + 3, 2);
                return i + 5;
            case 3: // a/p
                out += am ? pattern[i] : pattern[i + 2];
                return i + 3;
            default:
                break;
            }
            const QChar c = pattern[i];
            const char16_t letter = platform::AsciiLower(c);
            if (letter != u'h' && letter != u'm' && letter != u'n' && letter != u's' && letter != u'z') {
                out += c == u':' ? settings.TimeSeparator : c;
                return i + 1;
            }
            const qsizetype run = RunLength(pattern, i);
            switch (letter) {
            case u'h': {
                int hour = time.hour();
                if (twelveHour)
                    hour = hour % 12 == 0 ? 12 : hour % 12;
                out += Padded(hour, run >= 2 ? 2 : 1);
                break;
            }
            case u'm':
            case u'n':
                out += Padded(time.minute(), run >= 2 ? 2 : 1);
                break;
            case u's':
                out += Padded(time.second(), run >= 2 ? 2 : 1);
                break;
            default:
                out += Padded(time.msec(), run >= 3 ? 3 : 1);
                break;
            }
            return i + run;
        });
}

QDate StrToDate(const QString &text, const TFormatSettings &settings, int currentYear)
{
    if (const auto date = ScanDate(text, settings, currentYear))
        return *date;
    throw EConvertError(uRes::InvalidDate(text));
}

QTime StrToTime(const QString &text, const TFormatSettings &settings)
{
    if (const auto time = ScanTime(text, settings))
        return *time;
    throw EConvertError(uRes::InvalidTime(text));
}

QString DateToStr(const QDate &date)
{
    return DateToStr(date, platform::FormatSettings());
}
QString TimeToStr(const QTime &time)
{
    return TimeToStr(time, platform::FormatSettings());
}
QDate StrToDate(const QString &text)
{
    ConversionMemo &memo = ConversionMemo::instance();
    const ConversionMemo::DateEntry *entry = memo.date(text);
    if (!entry || (entry->usesYear && entry->year != platform::Date().year())) {
        ConversionMemo::DateEntry fresh;
        fresh.year = platform::Date().year();
        fresh.date =
            ScanDate(text, platform::FormatSettings(), fresh.year, &fresh.usesYear).value_or(QDate());
        memo.remember(text, fresh);
        entry = memo.date(text);
    }
    if (!entry->date.isValid())
        throw EConvertError(uRes::InvalidDate(text));
    return entry->date;
}
QTime StrToTime(const QString &text)
{
    ConversionMemo &memo = ConversionMemo::instance();
    const QTime *time = memo.time(text);
    if (!time) {
        memo.remember(text, ScanTime(text, platform::FormatSettings()).value_or(QTime()));
        time = memo.time(text);
    }
    if (!time->isValid())
        throw EConvertError(uRes::InvalidTime(text));
    return *time;
}

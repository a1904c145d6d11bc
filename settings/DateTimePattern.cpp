#include "settings/DateTimePattern.h"

#include "platform/Ascii.h"

namespace datetime_pattern {

bool IsQuote(QChar c)
{
    return c == u'"' || c == u'\'';
}

qsizetype RunLength(const QString &pattern, qsizetype i)
{
    const char16_t letter = platform::AsciiLower(pattern[i]);
    qsizetype j = i;
    while (j < pattern.size() && platform::AsciiLower(pattern[j]) == letter)
        ++j;
    return j - i;
}

bool StartsWithAt(const QString &pattern, qsizetype i, QLatin1StringView token)
{
    return QStringView(pattern).sliced(i).startsWith(token, Qt::CaseInsensitive);
}

qsizetype MarkerLength(const QString &pattern, qsizetype i)
{
    for (const QLatin1StringView marker :
         {QLatin1StringView("ampm"), QLatin1StringView("am/pm"), QLatin1StringView("a/p")}) {
        if (StartsWithAt(pattern, i, marker))
            return marker.size();
    }
    return 0;
}

bool HasMarker(const QString &pattern)
{
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        if (IsQuote(pattern[i]))
            i = QuotedAt(pattern, i).next - 1;
        else if (MarkerLength(pattern, i) > 0)
            return true;
    }
    return false;
}

Quoted QuotedAt(const QString &pattern, qsizetype i)
{
    qsizetype end = pattern.indexOf(pattern[i], i + 1);
    if (end < 0)
        end = pattern.size();
    return {QStringView(pattern).sliced(i + 1, end - i - 1), end + 1};
}

} // namespace datetime_pattern

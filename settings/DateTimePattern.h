#pragma once

#include <QLatin1StringView>
#include <QString>
#include <QStringView>

// Reading the regional date and time patterns ("dd/mm/yyyy", "hh:nn:ss AMPM", 'quoted text'):
// shared by the date and time text and by the grid's pickers, which must read them alike.
namespace datetime_pattern {

// Whether c opens quoted text (either quote character).
bool IsQuote(QChar c);

// Length of the run of the same letter (either case) starting at i.
qsizetype RunLength(const QString &pattern, qsizetype i);

// Whether the pattern holds token (either case) at i.
bool StartsWithAt(const QString &pattern, qsizetype i, QLatin1StringView token);

// Length of the AM/PM marker at i: 4 for "ampm", 5 for "am/pm", 3 for "a/p" (either case), 0 for none.
qsizetype MarkerLength(const QString &pattern, qsizetype i);

// Whether the pattern has an AM/PM marker outside quoted text: a twelve-hour clock.
bool HasMarker(const QString &pattern);

// The quoted text whose quote stands at i, without its quotes (an unclosed quote runs to the end),
// and the index after it.
struct Quoted
{
    QStringView text;
    qsizetype next;
};
Quoted QuotedAt(const QString &pattern, qsizetype i);

// Builds text from a pattern: each quoted part becomes literal(text); at every other index,
// item(i, out) appends what the pattern asks for there and returns the index after what it read.
template <class Literal, class Item> QString Translate(const QString &pattern, Literal literal, Item item)
{
    QString out;
    for (qsizetype i = 0; i < pattern.size();) {
        if (IsQuote(pattern[i])) {
            const Quoted quoted = QuotedAt(pattern, i);
            out += literal(quoted.text);
            i = quoted.next;
        } else {
            i = item(i, out);
        }
    }
    return out;
}

} // namespace datetime_pattern

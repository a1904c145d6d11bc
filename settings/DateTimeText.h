#pragma once

#include "platform/Regional.h"

#include <QDate>
#include <QString>
#include <QTime>

// Date and time text under the regional settings in force (platform::FormatSettings()).
// Dates use the short date pattern, times the long time pattern; the parsers accept what
// the formatters write and a little more (blanks, short forms), and raise EConvertError
// with the program's message otherwise. An invalid date or time formats as empty text.
// StrToDate and StrToTime under the settings in force remember their result per text (on the
// user-interface thread) until the settings change; a text that does not parse raises each time.
QString DateToStr(const QDate &date);
QString TimeToStr(const QTime &time);
QDate StrToDate(const QString &text);
QTime StrToTime(const QString &text);

// The same with explicit settings; two-number dates and two-digit years use currentYear.
QString DateToStr(const QDate &date, const platform::TFormatSettings &settings);
QString TimeToStr(const QTime &time, const platform::TFormatSettings &settings);
QDate StrToDate(const QString &text, const platform::TFormatSettings &settings, int currentYear);
QTime StrToTime(const QString &text, const platform::TFormatSettings &settings);

#include "SettingsTestSupport.h"

#include "platform/Exception.h"
#include "settings/DateTimeText.h"
#include "support/Fakes.h"

using namespace settings_test;
using platform::TFormatSettings;

namespace {

TFormatSettings Pattern(const QString &shortDate, QChar separator = u'/')
{
    TFormatSettings s = French();
    s.ShortDateFormat = shortDate;
    s.DateSeparator = separator;
    return s;
}

TFormatSettings TwelveHour(const QString &longTime = "h:mm:ss AMPM")
{
    TFormatSettings s = French();
    s.LongTimeFormat = longTime;
    s.TimeAMString = "AM";
    s.TimePMString = "PM";
    return s;
}

// The date, or an invalid date when the text is refused with the program's message.
QDate Parsed(const QString &text, const TFormatSettings &s, int year = 2006)
{
    try {
        return StrToDate(text, s, year);
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), "'" + text + "' n'est pas une date correcte");
        return QDate();
    }
}

QTime ParsedTime(const QString &text, const TFormatSettings &s)
{
    try {
        return StrToTime(text, s);
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), "'" + text + "' n'est pas une heure correcte");
        return QTime();
    }
}

TEST(DateTimeText, FrenchWorkedExamples)
{
    const TFormatSettings fr = French();
    EXPECT_EQ(DateToStr(QDate(2006, 12, 25), fr), "25/12/2006");
    EXPECT_EQ(TimeToStr(QTime(7, 30), fr), "07:30:00");
    for (const char *text : {"25/12/2006", " 25 / 12 / 2006 ", "25/12/06"})
        EXPECT_EQ(Parsed(text, fr), QDate(2006, 12, 25)) << text;
    EXPECT_EQ(Parsed("25/12", fr, 2006), QDate(2006, 12, 25));
    EXPECT_EQ(Parsed("25/12", fr, 2031), QDate(2031, 12, 25));
    EXPECT_EQ(ParsedTime("7:30", fr), QTime(7, 30));
    EXPECT_EQ(Parsed("31/02/2007", fr), QDate());
    EXPECT_EQ(ParsedTime("24:00:00", fr), QTime());
    EXPECT_EQ(TimeToStr(QTime(19, 30), TwelveHour()), "7:30:00 PM");
}

TEST(DateTimeText, DateToText)
{
    const QDate feb1(2006, 2, 1); // a Wednesday
    const struct
    {
        TFormatSettings settings;
        QDate date;
        QString expected;
    } cases[] = {
        {French(), feb1, "01/02/2006"},
        {TFormatSettings{}, feb1, "2/1/06"},
        {TFormatSettings{}, QDate(2000, 11, 30), "11/30/00"},
        {Pattern("DD/MM/YYYY", u'-'), feb1, "01-02-2006"},
        {Pattern("d.M.yyy", u'.'), feb1, "1.2.2006"},
        {Pattern("yyyy/m/d"), QDate(987, 3, 4), "0987/3/4"},
        {Pattern("dddd d mmmm yyyy"), feb1, "mercredi 1 février 2006"},
        {Pattern("ddd d mmm"), feb1, "mer. 1 févr."},
        {Pattern("d 'de' mmmm \"dmy\""), feb1, "1 de février dmy"},
        {Pattern("d 'unclosed"), feb1, "1 unclosed"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(DateToStr(c.date, c.settings), c.expected) << c.settings.ShortDateFormat.toStdString();
    EXPECT_EQ(DateToStr(QDate(), French()), "");
}

TEST(DateTimeText, TimeToText)
{
    const TFormatSettings fr = French();
    const TFormatSettings us = TwelveHour();
    TFormatSettings finnish = fr;
    finnish.TimeSeparator = u'.';
    TFormatSettings markerFirst = TwelveHour("AMPM h:mm:ss");
    markerFirst.TimeAMString = "오전";
    markerFirst.TimePMString = "오후";
    const struct
    {
        TFormatSettings settings;
        QTime time;
        QString expected;
    } cases[] = {
        {fr, QTime(0, 5, 9), "00:05:09"},
        {fr, QTime(23, 59, 59, 999), "23:59:59"},
        {finnish, QTime(7, 30), "07.30.00"},
        {us, QTime(0, 0), "12:00:00 AM"},
        {us, QTime(11, 59, 59), "11:59:59 AM"},
        {us, QTime(12, 0), "12:00:00 PM"},
        {us, QTime(13, 5), "1:05:00 PM"},
        {TwelveHour("hh:mm:ss AMPM"), QTime(9, 0), "09:00:00 AM"},
        {markerFirst, QTime(19, 30), "오후 7:30:00"},
        {TwelveHour("h:nn am/pm"), QTime(19, 30), "7:30 pm"},
        {TwelveHour("h:nn A/P"), QTime(7, 30), "7:30 A"},
        {TwelveHour("hh:mm:ss.zzz 'h'"), QTime(7, 3, 4, 5), "07:03:04.005 h"},
        {TFormatSettings{}, QTime(15, 0), "3:00:00 pm"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TimeToStr(c.time, c.settings), c.expected) << c.settings.LongTimeFormat.toStdString();
    EXPECT_EQ(TimeToStr(QTime(), fr), "");
}

TEST(DateTimeText, TwoDigitYearsFallInTheFiftyYearWindow)
{
    const TFormatSettings fr = French();
    const struct
    {
        const char *text;
        int currentYear;
        int year;
    } cases[] = {
        {"1/1/06", 2006, 2006},
        {"1/1/55", 2006, 2055},
        {"1/1/56", 2006, 1956},
        {"1/1/5", 2006, 2005},
        {"1/1/00", 2006, 2000},
        {"1/1/99", 2006, 1999},
        {"1/1/75", 2026, 2075},
        {"1/1/76", 2026, 1976},
        {"1/1/50", 2000, 1950},
        {"1/1/49", 2000, 2049},
        {"1/1/51", 2000, 1951},
        // Three digits or more are the year as written.
        {"1/1/006", 2006, 6},
        {"1/1/0056", 2006, 56},
        {"1/1/0001", 2006, 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Parsed(c.text, fr, c.currentYear), QDate(c.year, 1, 1))
            << c.text << " in " << c.currentYear;
}

TEST(DateTimeText, TextToDateFieldOrderSeparatorsAndErrors)
{
    const TFormatSettings dmy = French();
    const TFormatSettings mdy = American();
    const TFormatSettings ymd = Pattern("yyyy-MM-dd", u'-');
    const struct
    {
        const TFormatSettings &settings;
        const char *text;
        QDate expected; // invalid: refused
    } cases[] = {
        {dmy, "25/12/2006/", QDate(2006, 12, 25)},
        {dmy, "25/12/2006 / ", QDate(2006, 12, 25)},
        {dmy, "29/02/2008", QDate(2008, 2, 29)},
        {dmy, "1/1/9999", QDate(9999, 1, 1)},
        {dmy, "25/12/", QDate()},
        {dmy, "25/12/2006//", QDate()},
        {dmy, "25//12", QDate()},
        {dmy, "25", QDate()},
        {dmy, "", QDate()},
        {dmy, "   ", QDate()},
        {dmy, "abc", QDate()},
        {dmy, "25/13/2006", QDate()},
        {dmy, "0/12/2006", QDate()},
        {dmy, "29/02/2007", QDate()},
        {dmy, "1/1/0000", QDate()},
        {dmy, "1/1/10000", QDate()},   // reading stops at 1000, "0" is left over
        {dmy, "25/12/20061", QDate()}, // likewise
        {dmy, "0025/12/2006", QDate(2006, 12, 25)},
        {dmy, "25.12.2006", QDate()},
        {dmy, "25/12/2006 x", QDate()},
        {dmy, "x25/12/2006", QDate()},
        {dmy, "-1/12/2006", QDate()},
        {dmy, "25/12/2006 07:30", QDate()},
        {dmy, "\t25/12/2006", QDate()},
        {dmy, "２５/12/2006", QDate()},
        {mdy, "12/25/2006", QDate(2006, 12, 25)},
        {mdy, "12/25", QDate(2006, 12, 25)},
        {mdy, "25/12/2006", QDate()},
        {ymd, "2006-12-25", QDate(2006, 12, 25)},
        {ymd, "06-12-25", QDate(2006, 12, 25)},
        {ymd, "12-25", QDate(2006, 12, 25)},
        {ymd, "25/12/2006", QDate()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Parsed(c.text, c.settings), c.expected)
            << c.text << " under " << c.settings.ShortDateFormat.toStdString();

    // The first of d, m, y or e in the pattern (outside quoted text) decides the order.
    EXPECT_EQ(Parsed("1/2/2006", Pattern("'le' d/m/y")), QDate(2006, 2, 1));
    EXPECT_EQ(Parsed("2006/2/1", Pattern("ee/mm/dd")), QDate(2006, 2, 1));
    EXPECT_EQ(Parsed("2/1/2006", Pattern("---")), QDate(2006, 2, 1));
}

TEST(DateTimeText, TextToTime)
{
    const TFormatSettings fr = French(); // decimal separator ","
    TFormatSettings korean = TwelveHour("AMPM h:mm:ss");
    korean.TimeAMString = "오전";
    korean.TimePMString = "오후";
    const struct
    {
        const TFormatSettings &settings;
        const char *text;
        QTime expected; // invalid: refused
    } cases[] = {
        {fr, "07:30:00", QTime(7, 30)},
        {fr, "7", QTime(7, 0)},
        {fr, " 7 : 30 : 15 ", QTime(7, 30, 15)},
        {fr, "7:30:15,250", QTime(7, 30, 15, 250)},
        {fr, "7:30:15,5", QTime(7, 30, 15, 5)},
        {fr, "23:59:59,999", QTime(23, 59, 59, 999)},
        {fr, "0:0:0", QTime(0, 0)},
        {fr, "7:30 PM", QTime(19, 30)},
        {fr, "PM 7:30", QTime(19, 30)},
        {fr, "pm7", QTime(19, 0)},
        {fr, "7:30:00pm", QTime(19, 30)},
        {fr, "12:00 AM", QTime(0, 0)},
        {fr, "12:00 PM", QTime(12, 0)},
        {fr, "12:30:15 am", QTime(0, 30, 15)},
        {korean, "오후 7:30:00", QTime(19, 30)},
        {korean, "7:30:00 오전", QTime(7, 30)},
        {korean, "7:30:00 PM", QTime(19, 30)},
        {fr, "0:30 PM", QTime()},
        {fr, "13:00 PM", QTime()},
        {fr, "AM 7 PM", QTime()},
        {fr, "24:00:00", QTime()},
        {fr, "23:60", QTime()},
        {fr, "23:59:60", QTime()},
        {fr, "1:2:3,1000", QTime()},
        {fr, "7:30,5", QTime()}, // milliseconds only after seconds
        {fr, "7:30:15.250", QTime()},
        {fr, "7:", QTime()},
        {fr, ":30", QTime()},
        {fr, "7::30", QTime()},
        {fr, "", QTime()},
        {fr, "PM", QTime()},
        {fr, "7h30", QTime()},
        {fr, "\t7:30", QTime()},
        {fr, "7:30 x", QTime()},
        {fr, "10000", QTime()},
    };
    for (const auto &c : cases)
        EXPECT_EQ(ParsedTime(c.text, c.settings), c.expected) << c.text;
}

TEST(DateTimeText, TheCurrentYearComesFromTheTimeSource)
{
    FakeRegional french(French());
    testing_support::FakeTime time(QDateTime(QDate(2006, 6, 1), QTime(12, 0)));
    EXPECT_EQ(StrToDate("25/12"), QDate(2006, 12, 25));
    EXPECT_EQ(StrToDate("25/12/56"), QDate(1956, 12, 25));
    time.set(QDateTime(QDate(2026, 12, 10), QTime(12, 0)));
    EXPECT_EQ(StrToDate("25/12"), QDate(2026, 12, 25));
    EXPECT_EQ(StrToDate("25/12/56"), QDate(2056, 12, 25));
    EXPECT_THROW(StrToDate("25/12/"), EConvertError);
    EXPECT_THROW(StrToTime("25:00"), EConvertError);
}

} // namespace

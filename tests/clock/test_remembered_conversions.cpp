// The alarm check of every clock tick converts the same cell texts again and again, and the
// conversions under the settings in force are remembered. What must still hold: a change of
// the regional settings or of the year is honoured at once, and a text that is no date or
// time raises at every conversion.

#include "platform/Exception.h"
#include "platform/Regional.h"
#include "settings/DateTimeText.h"
#include "support/Fakes.h"

#include <gtest/gtest.h>

using platform::TFormatSettings;
using testing_support::FakeTime;

namespace {

class RememberedConversions : public ::testing::Test
{
protected:
    TFormatSettings Settings(const QString &shortDate, QChar timeSeparator) const
    {
        TFormatSettings s = m_base;
        s.ShortDateFormat = shortDate;
        s.DateSeparator = u'/';
        s.LongTimeFormat = QStringLiteral("hh:mm:ss");
        s.TimeSeparator = timeSeparator;
        return s;
    }

    // The date or time, or an invalid one when the conversion raised (its message is kept).
    QDate Date(const QString &text)
    {
        try {
            return StrToDate(text);
        } catch (const EConvertError &e) {
            errors << e.message();
            return QDate();
        }
    }
    QTime Time(const QString &text)
    {
        try {
            return StrToTime(text);
        } catch (const EConvertError &e) {
            errors << e.message();
            return QTime();
        }
    }

    FakeTime time{QDateTime(QDate(2027, 6, 1), QTime(12, 0))};
    QStringList errors;
    const TFormatSettings m_base = platform::FormatSettings();
    testing_support::FakeRegional regional{Settings(QStringLiteral("dd/mm/yyyy"), u':')};
};

} // namespace

TEST_F(RememberedConversions, AChangeOfTheRegionalSettingsIsHonouredAtOnce)
{
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(Date("10/12/2026"), QDate(2026, 12, 10)) << pass;
        EXPECT_EQ(Time("14:05:09"), QTime(14, 5, 9)) << pass;
        EXPECT_EQ(Time("14.05.09"), QTime()) << pass;
    }
    regional.set(Settings(QStringLiteral("mm/dd/yyyy"), u'.'));
    for (int pass = 0; pass < 2; ++pass) {
        EXPECT_EQ(Date("10/12/2026"), QDate(2026, 10, 12)) << pass;
        EXPECT_EQ(Time("14:05:09"), QTime()) << pass;
        EXPECT_EQ(Time("14.05.09"), QTime(14, 5, 9)) << pass;
    }
    regional.set(Settings(QStringLiteral("dd/mm/yyyy"), u':'));
    EXPECT_EQ(Date("10/12/2026"), QDate(2026, 12, 10));
    EXPECT_EQ(Time("14:05:09"), QTime(14, 5, 9));
    EXPECT_EQ(errors.size(), 4);
}

TEST_F(RememberedConversions, TextsThatAreNoDateOrTimeRaiseEveryTime)
{
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_FALSE(Date("31/02/2027").isValid());
        EXPECT_FALSE(Time("25:00:00").isValid());
    }
    EXPECT_EQ(
        errors,
        QStringList({"'31/02/2027' n'est pas une date correcte", "'25:00:00' n'est pas une heure correcte",
                     "'31/02/2027' n'est pas une date correcte", "'25:00:00' n'est pas une heure correcte",
                     "'31/02/2027' n'est pas une date correcte", "'25:00:00' n'est pas une heure correcte"}));
}

TEST_F(RememberedConversions, ADateWithoutItsCenturyFollowsTheCurrentYear)
{
    const struct
    {
        QString text;
        QDate in2027, in2028;
    } cases[] = {
        {"10/12", {2027, 12, 10}, {2028, 12, 10}},
        {"29/02", {}, {2028, 2, 29}}, // a leap day only in leap years
        {"10/12/98", {1998, 12, 10}, {1998, 12, 10}},
        {"10/12/2026", {2026, 12, 10}, {2026, 12, 10}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Date(c.text), c.in2027) << c.text.toStdString();
    time.set(QDateTime(QDate(2028, 1, 1), QTime(0, 0)));
    for (const auto &c : cases)
        EXPECT_EQ(Date(c.text), c.in2028) << c.text.toStdString();
    // A two-digit year falls into the window around the current year: 77 is 2077 from 2028 on.
    EXPECT_EQ(Date("10/12/77"), QDate(2077, 12, 10));
    time.set(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    EXPECT_EQ(Date("10/12/77"), QDate(1977, 12, 10));
}

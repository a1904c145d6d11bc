#include "SettingsTestSupport.h"

#include "platform/Exception.h"
#include "settings/DateTimeText.h"

#include <QCoreApplication>
#include <QEvent>

using namespace settings_test;
using platform::TFormatSettings;

namespace {

struct Expected
{
    QLocale locale;
    QString shortDate;
    QChar dateSeparator;
    QString longTime;
    QChar timeSeparator;
    QChar decimal;
};

TEST(Regional, RecordsFollowTheLocale)
{
    const Expected cases[] = {
        {QLocale(QLocale::French, QLocale::France), "dd/MM/yyyy", u'/', "hh:mm:ss", u':', u','},
        {QLocale(QLocale::English, QLocale::UnitedStates), "M/d/yyyy", u'/', "h:mm:ss AMPM", u':', u'.'},
        {QLocale(QLocale::German, QLocale::Germany), "dd.MM.yyyy", u'.', "hh:mm:ss", u':', u','},
        // Marker before the time, and a separator repeated after the last field.
        {QLocale(QLocale::Korean, QLocale::SouthKorea), "yyyy. M. d.", u'.', "AMPM h:mm:ss", u':', u'.'},
        {QLocale(QLocale::Finnish, QLocale::Finland), "d.M.yyyy", u'.', "h:mm:ss", u'.', u','},
        // A quoted word between hours and minutes is no separator: the fallback ":" stays.
        {QLocale(QLocale::French, QLocale::Canada), "yyyy-MM-dd", u'-', "hh:mm:ss", u':', u','},
        // A month name cannot be read back: the fallback pattern.
        {QLocale::c(), "m/d/yy", u'/', "hh:mm:ss", u':', u'.'},
    };
    for (const Expected &c : cases) {
        const TFormatSettings s = platform::FormatSettingsFor(c.locale);
        SCOPED_TRACE(c.locale.name().toStdString());
        EXPECT_EQ(s.ShortDateFormat, c.shortDate);
        EXPECT_EQ(s.DateSeparator, c.dateSeparator);
        EXPECT_EQ(s.LongTimeFormat, c.longTime);
        EXPECT_EQ(s.TimeSeparator, c.timeSeparator);
        EXPECT_EQ(s.DecimalSeparator, c.decimal);
    }
    const TFormatSettings us = American();
    EXPECT_EQ(us.TimeAMString, "AM");
    EXPECT_EQ(us.TimePMString, "PM");
    EXPECT_EQ(French().LongMonthNames.value(1), "février");
    EXPECT_EQ(French().LongDayNames.value(0), "dimanche");
}

TEST(Regional, TheFallbackRecord)
{
    const TFormatSettings s;
    EXPECT_EQ(s.DateSeparator, u'/');
    EXPECT_EQ(s.ShortDateFormat, "m/d/yy");
    EXPECT_EQ(s.TimeSeparator, u':');
    EXPECT_EQ(s.DecimalSeparator, u'.');
    EXPECT_EQ(s.TimeAMString, "am");
    EXPECT_EQ(s.TimePMString, "pm");
    EXPECT_EQ(s.LongTimeFormat, "h:mm:ss AMPM");
}

// Whatever the locale, the text the program writes must read back as the same value.
TEST(Regional, EveryLocaleReadsBackWhatItWrites)
{
    const QDate dates[] = {QDate(2006, 12, 25), QDate(2026, 1, 2), QDate(1999, 10, 31)};
    const QTime times[] = {QTime(0, 0), QTime(7, 5, 9), QTime(12, 0), QTime(12, 59, 59), QTime(23, 30)};
    const auto locales =
        QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory);
    ASSERT_GT(locales.size(), 100);
    for (const QLocale &locale : locales) {
        const TFormatSettings s = platform::FormatSettingsFor(locale);
        for (const QDate &d : dates) {
            const QString text = DateToStr(d, s);
            try {
                EXPECT_EQ(StrToDate(text, s, 2026), d)
                    << locale.name().toStdString() << " " << text.toStdString();
            } catch (const EConvertError &e) {
                ADD_FAILURE() << locale.name().toStdString() << ": " << e.what();
            }
        }
        for (const QTime &t : times) {
            const QString text = TimeToStr(t, s);
            try {
                EXPECT_EQ(StrToTime(text, s), t) << locale.name().toStdString() << " " << text.toStdString();
            } catch (const EConvertError &e) {
                ADD_FAILURE() << locale.name().toStdString() << ": " << e.what();
            }
        }
    }
}

bool SameRecord(const TFormatSettings &a, const TFormatSettings &b)
{
    return a.DateSeparator == b.DateSeparator && a.ShortDateFormat == b.ShortDateFormat &&
           a.TimeSeparator == b.TimeSeparator && a.DecimalSeparator == b.DecimalSeparator &&
           a.TimeAMString == b.TimeAMString && a.TimePMString == b.TimePMString &&
           a.LongTimeFormat == b.LongTimeFormat && a.LongMonthNames == b.LongMonthNames;
}

TEST(Regional, ALocaleChangeRefillsTheRecordAndAnnouncesIt)
{
    FakeRegional restore(platform::FormatSettings());
    platform::LoadFormatSettings();
    platform::LoadFormatSettings(); // a second call must not watch twice
    const TFormatSettings user = platform::FormatSettingsFor(QLocale::system());
    EXPECT_TRUE(SameRecord(platform::FormatSettings(), user));

    TFormatSettings other = American();
    other.LongTimeFormat = "other";
    platform::SetFormatSettings(other);
    int announced = 0;
    const auto connection = QObject::connect(platform::RegionalSettings(),
                                             &platform::RegionalNotifier::changed, [&] { ++announced; });

    QObject unrelated;
    QEvent toOther(QEvent::LocaleChange);
    QCoreApplication::sendEvent(&unrelated, &toOther);
    EXPECT_EQ(platform::FormatSettings().LongTimeFormat, "other");
    EXPECT_EQ(announced, 0);

    QEvent change(QEvent::LocaleChange);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    EXPECT_TRUE(SameRecord(platform::FormatSettings(), user));
    EXPECT_EQ(announced, 1);
    QObject::disconnect(connection);
}

TEST(Regional, ConversionsUseTheRecordInForce)
{
    FakeRegional french(French());
    EXPECT_EQ(DateToStr(QDate(2006, 12, 25)), "25/12/2006");
    EXPECT_EQ(TimeToStr(QTime(19, 30)), "19:30:00");
    {
        FakeRegional american(American());
        EXPECT_EQ(DateToStr(QDate(2006, 12, 25)), "12/25/2006");
        EXPECT_EQ(TimeToStr(QTime(19, 30)), "7:30:00 PM");
        EXPECT_EQ(StrToTime("7:30:00 PM"), QTime(19, 30));
    }
    EXPECT_EQ(DateToStr(QDate(2006, 12, 25)), "25/12/2006");
}

} // namespace

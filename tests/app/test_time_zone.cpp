// A new time zone shows on the running program at once: its zone file is watched, not read
// again at every tick. The process reads its zone from a file of the test's own
// (TZ=":FILE"), which the test replaces as timedatectl would, or rewrites in place.
#include "alarms/AlarmTable.h"
#include "platform/Time.h"
#include "platform/linux/TimeChange.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "support/Fakes.h"
#include "support/StartProgram.h"
#include "ui/Action.h"
#include "ui/AlertPopup.h"
#include "ui/Clock.h"
#include "ui/frmMain.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimeZone>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>

namespace {

int OffsetNow(const char *zone)
{
    return QTimeZone(zone).offsetFromUtc(QDateTime::currentDateTimeUtc());
}

// Waits for the notification through the event loop, at most ten seconds.
bool ProcessEventsUntil(const std::function<bool()> &done)
{
    const QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    return done();
}

class ZoneFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QFile::copy(QStringLiteral("/usr/share/zoneinfo/Europe/Paris"), file));
        platform::ReloadLocalTimeZone();
        ASSERT_EQ(platform::Now().offsetFromUtc(), OffsetNow("Europe/Paris"));
    }
    // A new file renamed over the old one, as timedatectl and package scripts replace it.
    void replaceWith(const QString &zone) const
    {
        const QString next = dir.filePath(QStringLiteral("localtime.new"));
        ASSERT_TRUE(QFile::copy(QStringLiteral("/usr/share/zoneinfo/") + zone, next));
        ASSERT_EQ(::rename(QFile::encodeName(next).constData(), QFile::encodeName(file).constData()), 0);
    }
    // The same file written over, as cp does.
    void rewriteWith(const QString &zone) const
    {
        QFile source(QStringLiteral("/usr/share/zoneinfo/") + zone);
        QFile target(file);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        ASSERT_TRUE(target.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(target.write(source.readAll()), source.size());
    }

    // Once TZ is back to the zone the tests pin, the process reads that zone again.
    struct ReadZoneAfterwards
    {
        ~ReadZoneAfterwards() { platform::ReloadLocalTimeZone(); }
    } readZoneAfterwards;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("localtime"));
    const testing_support::ScopedEnvironment tz{"TZ", ":" + QFile::encodeName(file)};
};

} // namespace

TEST(ZoneFileName, IsTheFileTheCLibraryReads)
{
    struct Case
    {
        bool set;
        const char *tz;
        const char *file;
    };
    const Case cases[] = {
        {false, "", "/etc/localtime"},
        {true, ":/etc/localtime", "/etc/localtime"},
        {true, "/tmp/zone", "/tmp/zone"},
        {true, ":Europe/Paris", "/usr/share/zoneinfo/Europe/Paris"},
        {true, "Asia/Tokyo", "/usr/share/zoneinfo/Asia/Tokyo"},
        {true, "", ""},          // UTC
        {true, "CET-1CEST", ""}, // a rule, no file
    };
    for (const Case &c : cases)
        EXPECT_EQ(platform::ZoneFileFor(c.set, QString::fromLatin1(c.tz)), QString::fromLatin1(c.file))
            << c.tz;
}

TEST_F(ZoneFile, AReplacedOrRewrittenZoneFileIsReadAgainAndAnnounced)
{
    platform::TTimeChangeNotifier notifier;
    EXPECT_EQ(notifier.zoneFile(), file);
    int changes = 0;
    QObject::connect(&notifier, &platform::TTimeChangeNotifier::changed, [&] { ++changes; });

    replaceWith(QStringLiteral("Asia/Tokyo"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return changes > 0; }));
    EXPECT_EQ(platform::Now().offsetFromUtc(), 9 * 3600);

    changes = 0;
    rewriteWith(QStringLiteral("America/New_York"));
    ASSERT_TRUE(ProcessEventsUntil([&] { return changes > 0; }));
    EXPECT_EQ(platform::Now().offsetFromUtc(), OffsetNow("America/New_York"));
}

TEST_F(ZoneFile, TheRunningProgramShowsTheNewZonesTimeAtTheNextTickAndFiresItsAlarm)
{
    QTemporaryDir settings;
    const std::unique_ptr<TProgram> program =
        testing_support::StartProgram(settings.filePath(QStringLiteral("tempovir.ini")));
    TfmMain *window = program->fmMain();
    window->show();
    window->ActAlarmsSound->SetChecked(false); // a melody would wait in real time

    // An alarm due a second ago in Tokyo, seven or eight hours ahead of Paris.
    const QDateTime tokyo = QDateTime::currentDateTimeUtc().toTimeZone(QTimeZone("Asia/Tokyo"));
    const QTime due = tokyo.time() < QTime(0, 0, 1) ? QTime(0, 0) : tokyo.time().addSecs(-1);
    TAlarmTable &table = program->alarmTable();
    table.SetCells(TAlarmTable::ColDate, 1, DateToStr(tokyo.date()));
    table.SetCells(TAlarmTable::ColTime, 1, TimeToStr(due));
    table.SetCells(TAlarmTable::ColEnabled, 1, uRes::Yes);
    table.SetCells(TAlarmTable::ColMessage, 1, QStringLiteral("Tokyo"));
    program->setAlarmsActivated(true);
    window->Clock1->HandleTick();
    EXPECT_EQ(table.Cells(TAlarmTable::ColEnabled, 1), uRes::Yes);

    replaceWith(QStringLiteral("Asia/Tokyo"));
    ASSERT_TRUE(ProcessEventsUntil([] { return platform::Now().offsetFromUtc() == 9 * 3600; }));
    // The clock was told at once and read the time: the alarm is already announced.
    EXPECT_EQ(table.Cells(TAlarmTable::ColEnabled, 1), uRes::No);
    EXPECT_EQ(window->AlertPopup1->AlertMessages().size(), 1);
    const auto tokyoHour = [] {
        return QDateTime::currentDateTimeUtc().toTimeZone(QTimeZone("Asia/Tokyo")).time().hour() % 12;
    };
    const int before = tokyoHour();
    window->Clock1->HandleTick();
    const int after = tokyoHour();
    const int shown = window->Clock1->DisplayedTime().Hour;
    EXPECT_TRUE(shown == before || shown == after) << shown << " shown, " << before << " in Tokyo";
    EXPECT_EQ(window->AlertPopup1->AlertMessages().size(), 1); // fired once
}

#include "AlarmFixture.h"

#include "platform/Exception.h"

namespace {

const std::vector<std::pair<quint32, quint32>> Rising = {{400, 100}, {600, 100}, {800, 100}};

class CheckAndFire : public AlarmFixture
{
protected:
    void SetUp() override
    {
        AlarmFixture::SetUp();
        init(); // no file: eight reset rows
    }
};

} // namespace

TEST_F(CheckAndFire, FiresOnTheFirstCheckAfterItsSecondAndOnlyOnce)
{
    arm(1, today(), QTime(7, 30));
    setActivation(true);
    at(7, 30, 0, 0);
    check();
    EXPECT_EQ(cell(ColEnabled, 1), uRes::Yes);
    EXPECT_TRUE(host.alerts.isEmpty());

    at(7, 30, 0, 1);
    check();
    EXPECT_EQ(cell(ColEnabled, 1), uRes::No);
    ASSERT_EQ(host.alerts.size(), 1);
    EXPECT_EQ(
        host.alerts[0],
        QStringLiteral("<B>Tem<FONT color=\"#FF0000\">po</FONT>vir</B> - Alarme Num. 001<hr><br>Réveil"));
    EXPECT_EQ(notes, Rising);

    time.advance(450);
    check();
    EXPECT_EQ(host.alerts.size(), 1);
    EXPECT_EQ(notes.size(), 3u);
    EXPECT_FALSE(table.isModified()); // the check's writes are not user edits
}

TEST_F(CheckAndFire, TheEdgesOfTheDay)
{
    struct Case
    {
        QTime alarm;
        QTime check;
        bool fires;
    };
    const Case cases[] = {
        {QTime(0, 0, 0), QTime(0, 0, 0, 0), false},        {QTime(0, 0, 0), QTime(0, 0, 0, 1), true},
        {QTime(23, 59, 59), QTime(23, 59, 59, 0), false},  {QTime(23, 59, 59), QTime(23, 59, 59, 1), true},
        {QTime(23, 59, 59), QTime(23, 59, 59, 999), true},
    };
    for (const Case &c : cases) {
        arm(2, today(), c.alarm);
        setActivation(true);
        time.set(QDateTime(today(), c.check));
        check();
        EXPECT_EQ(cell(ColEnabled, 2) == uRes::No, c.fires) << qPrintable(c.check.toString(u"hh:mm:ss.zzz"));
    }
    // Past midnight the date no longer matches: an alarm of yesterday never fires.
    arm(2, today(), QTime(23, 59, 59));
    time.set(QDateTime(today().addDays(1), QTime(0, 0, 1)));
    check();
    EXPECT_EQ(cell(ColEnabled, 2), uRes::Yes);
}

TEST_F(CheckAndFire, WithActivationOffADueAlarmIsConsumedSilently)
{
    arm(3, today(), QTime(7, 30), QStringLiteral("Extinction"), true, true);
    at(7, 31, 0);
    check();
    EXPECT_EQ(cell(ColEnabled, 3), uRes::No);
    EXPECT_EQ(cell(ColShutdown, 3), uRes::Yes);
    EXPECT_TRUE(host.alerts.isEmpty());
    EXPECT_TRUE(notes.empty());
}

TEST_F(CheckAndFire, TheLastAlarmSwitchesActivationOffAnotherArmedOneKeepsItOn)
{
    arm(1, today(), QTime(7, 30));
    arm(2, today().addDays(-1), QTime(7, 0)); // armed but in the past: still counts
    setActivation(true);
    at(7, 30, 1);
    check();
    EXPECT_TRUE(host.activated);
    EXPECT_TRUE(host.indicator);

    table.SetCells(ColEnabled, 2, uRes::No);
    arm(1, today(), QTime(7, 40));
    at(7, 40, 1);
    check();
    EXPECT_FALSE(host.activated);
    EXPECT_FALSE(host.indicator);
}

TEST_F(CheckAndFire, TwoAlarmsOfTheSameSecondBothFireLowerRowFirst)
{
    arm(4, today(), QTime(8, 0), QStringLiteral("premier"));
    arm(6, today(), QTime(8, 0), QStringLiteral("second"));
    setActivation(true);
    bool activeDuringFirst = false;
    // A repaint during the first melody runs a check nested inside its wait.
    pump.onPass = [&] {
        if (host.alerts.size() == 1)
            activeDuringFirst = host.activated;
        check();
    };
    at(8, 0, 0, 500);
    check();
    pump.onPass = nullptr;
    ASSERT_EQ(host.alerts.size(), 2);
    EXPECT_TRUE(host.alerts[0].endsWith(QStringLiteral("Num. 004<hr><br>premier")));
    EXPECT_TRUE(host.alerts[1].endsWith(QStringLiteral("Num. 006<hr><br>second")));
    EXPECT_TRUE(activeDuringFirst);
    EXPECT_FALSE(host.activated);
    EXPECT_EQ(notes.size(), 6u);
}

TEST_F(CheckAndFire, NestedChecksNeverFireAnAlarmTwice)
{
    arm(1, today(), QTime(9, 0));
    setActivation(true);
    pump.onPass = [this] { check(); };
    at(9, 0, 1);
    check();
    check();
    pump.onPass = nullptr;
    EXPECT_EQ(host.alerts.size(), 1);
    EXPECT_EQ(notes, Rising);
}

TEST_F(CheckAndFire, TheMessageGoesIntoTheAlertUnchanged)
{
    arm(7, today(), QTime(9, 0), QStringLiteral("Lever <B>vite</B>"));
    arm(8, today(), QTime(9, 0), QStringLiteral("-"));
    setActivation(true);
    at(9, 0, 1);
    check();
    ASSERT_EQ(host.alerts.size(), 2);
    EXPECT_TRUE(host.alerts[0].endsWith(QStringLiteral("Num. 007<hr><br>Lever <B>vite</B>")));
    EXPECT_TRUE(host.alerts[1].endsWith(QStringLiteral("Num. 008<hr><br>-")));
}

TEST_F(CheckAndFire, APowerOffAlarmClearsItsSwitchAndPlaysNoRisingMelody)
{
    arm(5, today(), QTime(9, 0), QStringLiteral("Extinction"), true, true);
    setActivation(true);
    at(9, 0, 1);
    check();
    EXPECT_EQ(cell(ColShutdown, 5), uRes::No);
    EXPECT_EQ(host.alerts.size(), 1);
    EXPECT_EQ(host.countdowns, 1);
    EXPECT_TRUE(notes.empty());
}

TEST_F(CheckAndFire, TheSoundSwitchSilencesTheRisingMelody)
{
    arm(1, today(), QTime(9, 0));
    setActivation(true);
    host.sound = false;
    at(9, 0, 1);
    check();
    EXPECT_EQ(host.alerts.size(), 1);
    EXPECT_TRUE(notes.empty());
}

TEST_F(CheckAndFire, ARowThatNoLongerParsesIsReportedAndTheOthersAreStillChecked)
{
    table.SetCells(ColDate, 1, QStringLiteral("12.10.2026"));
    arm(2, today(), QTime(9, 0));
    setActivation(true);
    at(9, 0, 1);
    try {
        check();
        FAIL() << "no conversion error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("'12.10.2026' n'est pas une date correcte"));
    }
    EXPECT_EQ(cell(ColEnabled, 2), uRes::No);
    EXPECT_EQ(host.alerts.size(), 1);
}

TEST_F(CheckAndFire, TheSwitchesToggleOnlyWithASender)
{
    QObject user;
    int refreshes = 0;
    QObject::connect(&table, &TAlarmTable::refreshed, [&] { ++refreshes; });
    ActAlarmsActivateExecute(&user, table, host);
    EXPECT_TRUE(host.activated);
    EXPECT_TRUE(host.indicator);
    EXPECT_EQ(refreshes, 1); // the grid's colours follow the activation
    ActAlarmsActivateExecute(nullptr, table, host);
    EXPECT_TRUE(host.activated);
    ActAlarmsActivateExecute(&user, table, host);
    EXPECT_FALSE(host.activated);
    EXPECT_FALSE(host.indicator);

    ActAlarmsSoundExecute(nullptr, host);
    EXPECT_TRUE(host.sound);
    ActAlarmsSoundExecute(&user, host);
    EXPECT_FALSE(host.sound);
}

TEST_F(CheckAndFire, NoAlarmFiresOnceTheUserHasQuit)
{
    arm(1, today(), QTime(9, 0), QStringLiteral("premier"));
    arm(2, today(), QTime(9, 0), QStringLiteral("second"));
    setActivation(true);
    // "Quitter" during the first melody: the close sequence runs inside its wait.
    pump.onPass = [this] { host.closing = true; };
    at(9, 0, 1);
    check();
    pump.onPass = nullptr;
    EXPECT_EQ(host.alerts.size(), 1);
    EXPECT_EQ(notes, Rising);
    EXPECT_EQ(cell(ColEnabled, 2), uRes::Yes);
}

// Europe/Paris, as the tests pin it: on 28 March 2027 the clocks jump from 02:00 to 03:00,
// on 31 October 2027 they go back from 03:00 to 02:00. The check compares the time of day
// the clock shows, so an alarm fires once, at the first check that shows a later time.
TEST_F(CheckAndFire, DaylightSavingChangesFireOnceAtTheFirstLaterTimeShown)
{
    struct Case
    {
        const char *name;
        QDate day;
        QTime firesAt; // the time of day shown at the firing check
    };
    const Case cases[] = {
        {"spring: 02:30 never shows", QDate(2027, 3, 28), QTime(3, 0, 0)},
        {"autumn: 02:30 shows twice", QDate(2027, 10, 31), QTime(2, 30, 1)},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        host.alerts.clear();
        arm(1, c.day, QTime(2, 30));
        setActivation(true);
        // One check a second, in real (UTC) seconds, from 01:00 to 04:00 local time.
        QDateTime moment(c.day, QTime(1, 0));
        const QDateTime end(c.day, QTime(4, 0));
        QTime firedAt;
        while (moment < end) {
            time.set(moment);
            const qsizetype before = host.alerts.size();
            check();
            if (host.alerts.size() > before && !firedAt.isValid())
                firedAt = moment.time();
            moment = moment.addSecs(1);
        }
        EXPECT_EQ(host.alerts.size(), 1);
        EXPECT_EQ(firedAt, c.firesAt);
    }
}

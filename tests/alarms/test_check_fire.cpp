#include "AlarmFixture.h"

#include "platform/Exception.h"

#include <QPushButton>

namespace {

const std::vector<std::pair<quint32, quint32>> Rising = {{400, 100}, {600, 100}, {800, 100}};

class CheckAndFire : public AlarmFixture
{
protected:
    void SetUp() override
    {
        AlarmFixture::SetUp();
        InitAlarmGrid(); // no file: eight reset rows
    }
};

} // namespace

TEST_F(CheckAndFire, FiresOnTheFirstCheckAfterItsSecondAndOnlyOnce)
{
    arm(1, today(), QTime(7, 30));
    setActivation(true);
    at(7, 30, 0, 0);
    CheckAlarms();
    EXPECT_EQ(cell(3, 1), QStringLiteral("Oui"));
    EXPECT_TRUE(messages().isEmpty());

    at(7, 30, 0, 1);
    CheckAlarms();
    EXPECT_EQ(cell(3, 1), QStringLiteral("Non"));
    ASSERT_EQ(messages().size(), 1);
    EXPECT_EQ(
        messages()[0],
        QStringLiteral("<B>Tem<FONT color=\"#FF0000\">po</FONT>vir</B> - Alarme Num. 001<hr><br>Réveil"));
    EXPECT_EQ(fmMain->AlertPopup1->Current(), 1);
    EXPECT_TRUE(fmMain->AlertPopup1->Visible());
    EXPECT_EQ(notes, Rising);

    time.advance(450);
    CheckAlarms();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(notes.size(), 3u);
    EXPECT_FALSE(table().Modified()); // the check's writes are not user edits
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
        CheckAlarms();
        EXPECT_EQ(cell(3, 2) == QStringLiteral("Non"), c.fires)
            << qPrintable(c.check.toString(u"hh:mm:ss.zzz"));
    }
    // Past midnight the date no longer matches: an alarm of yesterday never fires.
    arm(2, today(), QTime(23, 59, 59));
    time.set(QDateTime(today().addDays(1), QTime(0, 0, 1)));
    CheckAlarms();
    EXPECT_EQ(cell(3, 2), QStringLiteral("Oui"));
}

TEST_F(CheckAndFire, WithActivationOffADueAlarmIsConsumedSilently)
{
    arm(3, today(), QTime(7, 30), QStringLiteral("Extinction"), true, true);
    at(7, 31, 0);
    CheckAlarms();
    EXPECT_EQ(cell(3, 3), QStringLiteral("Non"));
    EXPECT_EQ(cell(5, 3), QStringLiteral("Oui"));
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(notes.empty());
}

TEST_F(CheckAndFire, TheLastAlarmSwitchesActivationOffAnotherArmedOneKeepsItOn)
{
    arm(1, today(), QTime(7, 30));
    arm(2, today().addDays(-1), QTime(7, 0)); // armed but in the past: still counts
    setActivation(true);
    at(7, 30, 1);
    CheckAlarms();
    EXPECT_TRUE(activation());
    EXPECT_TRUE(fmMain->lblAlarms->isVisibleTo(fmMain));

    table().SetCells(3, 2, QStringLiteral("Non"));
    arm(1, today(), QTime(7, 40));
    at(7, 40, 1);
    CheckAlarms();
    EXPECT_FALSE(activation());
    EXPECT_FALSE(fmMain->lblAlarms->isVisibleTo(fmMain));
}

TEST_F(CheckAndFire, TwoAlarmsOfTheSameSecondBothFireLowerRowFirst)
{
    arm(4, today(), QTime(8, 0), QStringLiteral("premier"));
    arm(6, today(), QTime(8, 0), QStringLiteral("second"));
    setActivation(true);
    bool activeDuringFirst = false;
    // A repaint during the first melody runs a check nested inside its wait.
    pump.onPass = [&] {
        if (messages().size() == 1)
            activeDuringFirst = activation();
        CheckAlarms();
    };
    at(8, 0, 0, 500);
    CheckAlarms();
    pump.onPass = nullptr;
    ASSERT_EQ(messages().size(), 2);
    EXPECT_TRUE(messages()[0].endsWith(QStringLiteral("Num. 004<hr><br>premier")));
    EXPECT_TRUE(messages()[1].endsWith(QStringLiteral("Num. 006<hr><br>second")));
    EXPECT_EQ(fmMain->AlertPopup1->Current(), 2);
    EXPECT_TRUE(activeDuringFirst);
    EXPECT_FALSE(activation());
    EXPECT_EQ(notes.size(), 6u);
}

TEST_F(CheckAndFire, NestedChecksNeverFireAnAlarmTwice)
{
    arm(1, today(), QTime(9, 0));
    setActivation(true);
    pump.onPass = [] { CheckAlarms(); };
    at(9, 0, 1);
    CheckAlarms();
    CheckAlarms();
    pump.onPass = nullptr;
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(notes, Rising);
}

TEST_F(CheckAndFire, TheMessageGoesIntoTheAlertUnchanged)
{
    arm(7, today(), QTime(9, 0), QStringLiteral("Lever <B>vite</B>"));
    arm(8, today(), QTime(9, 0), QStringLiteral("-"));
    setActivation(true);
    at(9, 0, 1);
    CheckAlarms();
    ASSERT_EQ(messages().size(), 2);
    EXPECT_TRUE(messages()[0].endsWith(QStringLiteral("Num. 007<hr><br>Lever <B>vite</B>")));
    EXPECT_TRUE(messages()[1].endsWith(QStringLiteral("Num. 008<hr><br>-")));
}

TEST_F(CheckAndFire, APowerOffAlarmClearsItsSwitchAndPlaysNoRisingMelody)
{
    arm(5, today(), QTime(9, 0), QStringLiteral("Extinction"), true, true);
    setActivation(true);
    at(9, 0, 1);
    // The countdown starts; the user cancels it at once (its own tests carry on from there).
    pump.onPass = [] { fmShutdown->btnCancel->click(); };
    CheckAlarms();
    pump.onPass = nullptr;
    EXPECT_EQ(cell(5, 5), QStringLiteral("Non"));
    EXPECT_EQ(messages().size(), 1);
    EXPECT_TRUE(notes.empty());
}

TEST_F(CheckAndFire, TheSoundSwitchSilencesTheRisingMelody)
{
    arm(1, today(), QTime(9, 0));
    setActivation(true);
    fmMain->ActAlarmsSound->SetChecked(false);
    at(9, 0, 1);
    CheckAlarms();
    EXPECT_EQ(messages().size(), 1);
    EXPECT_TRUE(notes.empty());
}

TEST_F(CheckAndFire, ARowThatNoLongerParsesIsReportedAndTheOthersAreStillChecked)
{
    table().SetCells(1, 1, QStringLiteral("12.10.2026"));
    arm(2, today(), QTime(9, 0));
    setActivation(true);
    at(9, 0, 1);
    try {
        CheckAlarms();
        FAIL() << "no conversion error";
    } catch (const EConvertError &e) {
        EXPECT_EQ(e.Message(), QStringLiteral("'12.10.2026' n'est pas une date correcte"));
    }
    EXPECT_EQ(cell(3, 2), QStringLiteral("Non"));
    EXPECT_EQ(messages().size(), 1);
}

TEST_F(CheckAndFire, TheUserTogglesTheActivationAndTheIndicatorFollows)
{
    fmMain->ActAlarmsActivate->trigger();
    EXPECT_TRUE(activation());
    EXPECT_TRUE(fmMain->lblAlarms->isVisibleTo(fmMain));
    fmMain->ActAlarmsActivate->trigger();
    EXPECT_FALSE(activation());
    EXPECT_FALSE(fmMain->lblAlarms->isVisibleTo(fmMain));
}

TEST_F(CheckAndFire, NoAlarmFiresOnceTheUserHasQuit)
{
    arm(1, today(), QTime(9, 0), QStringLiteral("premier"));
    arm(2, today(), QTime(9, 0), QStringLiteral("second"));
    setActivation(true);
    // "Quitter" during the first melody: the close sequence runs inside its wait.
    pump.onPass = [] { Closing = true; };
    at(9, 0, 1);
    CheckAlarms();
    pump.onPass = nullptr;
    Closing = false;
    EXPECT_EQ(messages().size(), 1);
    EXPECT_EQ(notes, Rising);
    EXPECT_EQ(cell(3, 2), QStringLiteral("Oui"));
}

#pragma once

#include "alarms/AlarmHost.h"
#include "alarms/AlarmTable.h"
#include "alarms/uAlarms.h"
#include "platform/Sound.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "support/FakeSound.h"
#include "support/Fakes.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

// The main window as the alarm routines see it: switches, indicator, the announced alerts
// and the countdowns asked for.
class FakeAlarmHost final : public TAlarmHost
{
public:
    bool alarmsActivated() const override { return activated; }
    void setAlarmsActivated(bool on) override { activated = on; }
    bool alarmsSound() const override { return sound; }
    void setAlarmsSound(bool on) override { sound = on; }
    void showAlarmsIndicator(bool on) override { indicator = on; }
    void announceAlarm(const QString &alertText) override { alerts << alertText; }
    void RunShutdownCountdown() override { ++countdowns; }
    bool Closing() const override { return closing; }

    bool activated = false;
    bool sound = true;
    bool indicator = false;
    QStringList alerts;
    int countdowns = 0;
    bool closing = false;
};

// The alarm table, a settings file in a folder of its own, French regional settings,
// fake time starting on 10 December 2026 at 07:00, and the notes the melodies play.
class AlarmFixture : public ::testing::Test
{
protected:
    using enum TAlarmTable::Column;

    void SetUp() override { iniFileName = dir.filePath(QStringLiteral("tempovir.ini")); }

    void init() { InitAlarmGrid(table, host, iniFileName); }
    void check() { CheckAlarms(table, host); }
    void save() { SaveAlarmsIfModified(table, iniFileName); }

    QString cell(TAlarmTable::Column col, int row) const { return table.Cells(col, row); }
    void at(int h, int m, int s, int ms = 0) { time.set(QDateTime(today(), QTime(h, m, s, ms))); }
    QDate today() const { return time.now().date(); }
    void setActivation(bool on)
    {
        host.setAlarmsActivated(on);
        ActAlarmsActivateExecute(nullptr, table, host);
    }
    // Puts an alarm into row r as the alarm list window would leave it.
    void arm(int r, const QDate &d, const QTime &t, const QString &message = QStringLiteral("Réveil"),
             bool enabled = true, bool shutdown = false)
    {
        table.SetCells(ColDate, r, DateToStr(d));
        table.SetCells(ColTime, r, TimeToStr(t));
        table.SetCells(ColEnabled, r, enabled ? uRes::Yes : uRes::No);
        table.SetCells(ColMessage, r, message);
        table.SetCells(ColShutdown, r, shutdown ? uRes::Yes : uRes::No);
    }
    void writeIni(const QByteArray &content)
    {
        QFile f(iniFileName);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QByteArray readIni()
    {
        QFile f(iniFileName);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    testing_support::FakeRegional regional{QLocale(QLocale::French, QLocale::France)};
    QTemporaryDir dir;
    QString iniFileName;
    testing_support::FakeTime time{QDateTime(QDate(2026, 12, 10), QTime(7, 0))};
    testing_support::FakePump pump{time};
    TAlarmTable table;
    FakeAlarmHost host;
    testing_support::FakeSound sound{&time};
    std::vector<std::pair<quint32, quint32>> &notes = sound.notes;
};

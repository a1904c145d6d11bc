#pragma once

#include "alarms/AlarmTable.h"
#include "alarms/frmShutDown.h"
#include "alarms/uAlarms.h"
#include "app/Globals.h"
#include "platform/Regional.h"
#include "platform/Sound.h"
#include "settings/DateTimeText.h"
#include "support/Fakes.h"
#include "ui/Action.h"
#include "ui/AlertPopup.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmMain.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// The three windows, a settings file in a folder of its own, French regional settings,
// fake time starting on 10 December 2026 at 07:00, and the notes the melodies play.
class AlarmFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_previousFormats = platform::FormatSettings();
        platform::SetFormatSettings(platform::FormatSettingsFor(QLocale(QLocale::French, QLocale::France)));
        m_previousBeep = platform::SetBeepOverride([this](quint32 f, quint32 ms) {
            notes.push_back({f, ms});
            time.advance(ms);
        });
        IniFileName = dir.filePath(QStringLiteral("tempovir.ini"));
        // The clock's own readings must not run checks behind the tests' backs.
        StartingUp = true;
        Closing = false;
        main = std::make_unique<TfmMain>();
        fmMain = main.get();
        list = std::make_unique<TfmAlarmsEdit>();
        fmAlarmsEdit = list.get();
        countdown = std::make_unique<TfmShutdown>();
        fmShutdown = countdown.get();
    }

    void TearDown() override
    {
        fmShutdown = nullptr;
        countdown.reset();
        fmAlarmsEdit = nullptr;
        list.reset();
        fmMain = nullptr;
        main.reset();
        StartingUp = false;
        platform::SetBeepOverride(m_previousBeep);
        platform::SetFormatSettings(m_previousFormats);
    }

    TAlarmTable &table() { return *fmAlarmsEdit->AlarmTable; }
    QString cell(int col, int row) { return table().Cells(col, row); }
    void at(int h, int m, int s, int ms = 0) { time.set(QDateTime(today(), QTime(h, m, s, ms))); }
    QDate today() const { return time.now().date(); }
    bool activation() const { return fmMain->ActAlarmsActivate->Checked(); }
    void setActivation(bool on)
    {
        fmMain->ActAlarmsActivate->SetChecked(on);
        ActAlarmsActivateExecute(nullptr);
    }
    // Puts an alarm into row r as the alarm list window would leave it.
    void arm(int r, const QDate &d, const QTime &t, const QString &message = QStringLiteral("Réveil"),
             bool enabled = true, bool shutdown = false)
    {
        table().SetCells(1, r, DateToStr(d));
        table().SetCells(2, r, TimeToStr(t));
        table().SetCells(3, r, enabled ? QStringLiteral("Oui") : QStringLiteral("Non"));
        table().SetCells(4, r, message);
        table().SetCells(5, r, shutdown ? QStringLiteral("Oui") : QStringLiteral("Non"));
    }
    void writeIni(const QByteArray &content)
    {
        QFile f(IniFileName);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }
    QByteArray readIni()
    {
        QFile f(IniFileName);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    const QStringList &messages() const { return fmMain->AlertPopup1->AlertMessages(); }

    QTemporaryDir dir;
    testing_support::FakeTime time{QDateTime(QDate(2026, 12, 10), QTime(7, 0))};
    testing_support::FakePump pump{time};
    std::unique_ptr<TfmMain> main;
    std::unique_ptr<TfmAlarmsEdit> list;
    std::unique_ptr<TfmShutdown> countdown;
    std::vector<std::pair<quint32, quint32>> notes;

private:
    platform::TFormatSettings m_previousFormats;
    platform::BeepFunction m_previousBeep;
};

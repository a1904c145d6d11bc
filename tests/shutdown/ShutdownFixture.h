#pragma once

#include "alarms/AlarmTable.h"
#include "alarms/uAlarms.h"
#include "alarms/uShutdown.h"
#include "platform/Sound.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "support/FakeSound.h"
#include "support/Fakes.h"
#include "support/StartProgram.h"
#include "support/SystemBus.h"
#include "ui/Action.h"
#include "ui/AlertPopup.h"
#include "ui/BlockProgressBar.h"
#include "ui/frmMain.h"
#include "ui/frmShutDown.h"

#include <QEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// Every position the bar is painted with, in order, as it is painted.
class PaintRecorder : public QObject
{
public:
    explicit PaintRecorder(TBlockProgressBar *bar) : m_bar(bar) { bar->installEventFilter(this); }
    std::vector<int> positions;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_bar && event->type() == QEvent::Paint &&
            (positions.empty() || positions.back() != m_bar->Position()))
            positions.push_back(m_bar->Position());
        return false;
    }

private:
    TBlockProgressBar *m_bar;
};

// The three windows of the program, fake time from 10 December 2026 07:00 and a fake
// message pump, the notes the melodies play, and a private system bus whose stand-in
// logind records the power-off requests. No test body runs unless the system bus address
// points at that private bus.
class ShutdownFixture : public ::testing::Test
{
protected:
    virtual testing_support::PrivateSystemBus::Logind logind() const
    {
        return testing_support::PrivateSystemBus::Logind::Accepts;
    }

    void SetUp() override
    {
        bus = std::make_unique<testing_support::PrivateSystemBus>(logind());
        ASSERT_TRUE(bus->ok()) << qPrintable(bus->error());
        QString why;
        ASSERT_TRUE(testing_support::SystemBusIsPrivate(&why)) << qPrintable(why);

        sound.onNote = [this] {
            windowShownAtNote.push_back(fmShutdown->isVisible());
            callsAtNote.push_back(int(bus->calls().size()));
        };
        // No settings file: every row disarmed, at today's date.
        program = testing_support::StartProgram(dir.filePath(QStringLiteral("tempovir.ini")));
        fmMain = program->fmMain();
        fmShutdown = program->fmShutdown();
        painted = std::make_unique<PaintRecorder>(bar());
        start = time.tickCount();
    }

    void TearDown() override
    {
        pump.onPass = nullptr;
        painted.reset();
        program.reset();
        bus.reset();
    }

    TBlockProgressBar *bar() const { return fmShutdown->ProgressBar1; }
    quint32 elapsed() const { return time.tickCount() - start; }
    QImage grabBar() const { return fmShutdown->grab(bar()->geometry()).toImage(); }

    TAlarmTable &table() { return program->alarmTable(); }
    QString cell(int col, int row) { return table().Cells(col, row); }
    QDate today() const { return time.now().date(); }
    void at(int h, int m, int s) { time.set(QDateTime(today(), QTime(h, m, s))); }
    void setActivation(bool on)
    {
        fmMain->ActAlarmsActivate->SetChecked(on);
        fmMain->ActAlarmsActivate->Execute(nullptr);
    }
    void arm(int r, const QTime &t, bool shutdownSwitch)
    {
        table().SetCells(TAlarmTable::ColDate, r, DateToStr(today()));
        table().SetCells(TAlarmTable::ColTime, r, TimeToStr(t));
        table().SetCells(TAlarmTable::ColEnabled, r, uRes::Yes);
        table().SetCells(TAlarmTable::ColMessage, r, QStringLiteral("Alarme %1").arg(r));
        table().SetCells(TAlarmTable::ColShutdown, r, shutdownSwitch ? uRes::Yes : uRes::No);
    }

    testing_support::FakeRegional regional{QLocale(QLocale::French, QLocale::France)};
    std::unique_ptr<testing_support::PrivateSystemBus> bus;
    QTemporaryDir dir;
    testing_support::FakeTime time{QDateTime(QDate(2026, 12, 10), QTime(7, 0))};
    testing_support::FakePump pump{time};
    testing_support::FakeSound sound{&time};
    std::unique_ptr<TProgram> program;
    TfmMain *fmMain = nullptr;
    TfmShutdown *fmShutdown = nullptr;
    std::unique_ptr<PaintRecorder> painted;
    quint32 start = 0;
    std::vector<std::pair<quint32, quint32>> &notes = sound.notes;
    std::vector<bool> windowShownAtNote;
    std::vector<int> callsAtNote;
};

// The falling melody: three notes of 100 ms, high to low.
inline const std::vector<std::pair<quint32, quint32>> FallingMelody{{800, 100}, {600, 100}, {400, 100}};

// The 30 positions of a countdown, one per second.
inline const std::vector<int> CountdownPositions{3,  6,  9,  13, 16, 19, 23, 26, 29, 33, 36, 39, 42, 46, 49,
                                                 52, 56, 59, 62, 66, 69, 72, 75, 79, 82, 85, 89, 92, 95, 99};

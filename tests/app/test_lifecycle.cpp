#include "alarms/AlarmTable.h"
#include "platform/uMisc.h"
#include "support/Fakes.h"
#include "support/Files.h"
#include "support/StartProgram.h"
#include "ui/Action.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmMain.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

using testing_support::FakePump;
using testing_support::FakeTime;

namespace {

// The windows of a run, with the settings file in a folder of its own, or at the path a
// test gives.
class Lifecycle : public ::testing::Test
{
protected:
    void SetUp() override { start(dir.filePath(QStringLiteral("tempovir.ini"))); }
    void start(const QString &iniFileName)
    {
        program.reset();
        program = testing_support::StartProgram(iniFileName);
        window = program->fmMain();
        alarms = program->fmAlarmsEdit();
    }
    bool closing() const { return program->Closing(); }
    QString iniFileName() const { return program->IniFileName(); }

    QTemporaryDir dir;
    std::unique_ptr<TProgram> program;
    TfmMain *window = nullptr;
    TfmAlarmsEdit *alarms = nullptr;
};

} // namespace

TEST_F(Lifecycle, ClosingWithoutEditsWritesThePreferencesButNoAlarms)
{
    window->show();
    EXPECT_FALSE(closing());
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closing());
    EXPECT_FALSE(window->isVisible());
    QFile ini(iniFileName());
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    // The windows' placement first, then the preferences; no alarm section.
    const QByteArray content = ini.readAll();
    EXPECT_TRUE(content.startsWith("[fmMain]\r\n"));
    EXPECT_TRUE(
        content.endsWith("[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n[Alarms]\r\nActAlarmsSound=1\r\n"));
    EXPECT_FALSE(content.contains("[Alarm_"));
}

TEST_F(Lifecycle, ClosingTheAlarmListLeavesTheProgramRunning)
{
    window->show();
    alarms->show();
    EXPECT_TRUE(alarms->close());
    EXPECT_FALSE(closing());
    EXPECT_TRUE(window->isVisible());
}

TEST_F(Lifecycle, AnAlarmsWriteThatFailsKeepsTheWindowOpenAndTheChecksRunning)
{
    testing_support::ErrorRecorder errors;
    testing_support::WriteBytes(iniFileName(), "[Display]\r\nAppShowMenu=1\r\n");
    ASSERT_TRUE(QFile::setPermissions(iniFileName(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    start(iniFileName());
    program->alarmTable().SetAlarmsModified(true);
    window->show();
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(closing());
    ASSERT_EQ(errors.messages.size(), 1);
    EXPECT_EQ(errors.messages[0],
              QStringLiteral("Impossible d'écrire dans ") + iniFileName() + QLatin1Char('.'));
}

TEST_F(Lifecycle, APreferencesWriteThatFailsIsReportedAndTheProgramStillEnds)
{
    testing_support::ErrorRecorder errors;
    // Read-only, and without the menu preference, which must then be written.
    testing_support::WriteBytes(iniFileName(), "[Display]\r\nAppStayOnTop=0\r\n");
    ASSERT_TRUE(QFile::setPermissions(iniFileName(), QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    start(iniFileName());
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closing());
    EXPECT_EQ(errors.messages, QStringList{"Impossible d'écrire dans " + iniFileName() + "."});
}

TEST_F(Lifecycle, AUtf16SettingsFileKeepsItsAlarmsAcrossAStartAndAClose)
{
    const testing_support::FakeRegional french(QLocale(QLocale::French, QLocale::France));
    testing_support::ErrorRecorder errors;
    const QString text = "[Alarm_002]\r\nEnabled=1\r\nDate=24/12/2099\r\nTime=07:30:00\r\n"
                         "DisplayName=Réveil de Noël\r\nShutdown=0\r\n[Display]\r\nAppShowMenu=0\r\n";
    QByteArray littleEndian("\xFF\xFE");
    for (const QChar c : text)
        littleEndian.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    testing_support::WriteBytes(iniFileName(), littleEndian);
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run == 1 ? "the start on the UTF-16 file" : "the next start");
        start(iniFileName());
        const TAlarmTable &table = program->alarmTable();
        EXPECT_EQ(table.Cells(TAlarmTable::ColEnabled, 3), "Oui");
        EXPECT_EQ(table.Cells(TAlarmTable::ColDate, 3), "24/12/2099");
        EXPECT_EQ(table.Cells(TAlarmTable::ColTime, 3), "07:30:00");
        EXPECT_EQ(table.Cells(TAlarmTable::ColMessage, 3), "Réveil de Noël");
        EXPECT_FALSE(window->ActAppShowMenu->Checked());
        window->show();
        EXPECT_TRUE(window->close());
    }
    EXPECT_TRUE(testing_support::ReadBytes(iniFileName())
                    .contains("[Alarm_002]\r\nEnabled=1\r\nDate=24/12/2099\r\nTime=07:30:00\r\n"
                              "DisplayName=R\xC3\xA9veil de No\xC3\xABl\r\nShutdown=0\r\n"));
    EXPECT_TRUE(errors.messages.isEmpty()) << qPrintable(errors.messages.join(u'\n'));
}

TEST_F(Lifecycle, AFileThatCouldNotBeReadIsNeverWrittenAndTheUserIsToldOnce)
{
    testing_support::ErrorRecorder errors;
    // A missing file is a first run: nothing to say.
    start(dir.filePath(QStringLiteral("nouveau.ini")));
    EXPECT_TRUE(errors.messages.isEmpty());

    const QByteArray before = "[Alarm_000]\r\nEnabled=1\r\nDate=24/12/2099\r\nTime=07:30:00\r\n"
                              "DisplayName=Réveil\r\nShutdown=0\r\n[Display]\r\nAppShowMenu=0\r\n";
    testing_support::WriteBytes(iniFileName(), before);
    const testing_support::WholeFileLimit limit(before.size() - 1);
    start(iniFileName());
    EXPECT_EQ(errors.messages,
              QStringList{"Tempovir ne peut pas lire son fichier de réglages " + iniFileName() +
                          " : les alarmes et les préférences n'ont pas été chargées. Ce fichier ne sera pas "
                          "écrasé, et les modifications de cette session ne seront pas enregistrées."});
    EXPECT_EQ(program->alarmTable().Cells(TAlarmTable::ColEnabled, 1), "Non");
    EXPECT_TRUE(window->ActAppShowMenu->Checked());

    // Edits of every kind, and a close that ends the program without a word.
    program->alarmTable().SetCells(TAlarmTable::ColEnabled, 2, "Oui");
    program->alarmTable().SetAlarmsModified(true);
    window->show();
    window->ActAppStayOnTop->Execute(window->ActAppStayOnTop);
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closing());
    EXPECT_EQ(errors.messages.size(), 1);
    EXPECT_EQ(testing_support::ReadBytes(iniFileName()), before);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({"nouveau.ini", "tempovir.ini"}));
}

TEST_F(Lifecycle, ACloseHandledInsideDelayRunsTheSequenceAndTheWaitGoesOn)
{
    FakeTime time;
    FakePump pump(time);
    window->show();
    QTimer::singleShot(0, window, [&] { window->close(); });
    const quint32 start = time.tickCount();
    Delay(1000);
    EXPECT_TRUE(closing());
    EXPECT_EQ(time.tickCount() - start, 1000u);
}

TEST(RealDelay, WaitsOnTheRealClock)
{
    QElapsedTimer t;
    t.start();
    Delay(25);
    EXPECT_GE(t.elapsed(), 24);
}

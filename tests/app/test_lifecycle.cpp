#include "alarms/AlarmTable.h"
#include "platform/uMisc.h"
#include "support/Fakes.h"
#include "support/StartProgram.h"
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
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("dossier"))); // a folder where the file should be
    start(dir.filePath(QStringLiteral("dossier")));
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
    start(dir.path()); // a folder: nothing can be written there
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(closing());
    EXPECT_EQ(errors.messages, QStringList{"Impossible d'écrire dans " + dir.path() + "."});
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

// An alarm fires while the sound server has stalled: the program does not freeze.
#include "Desktop.h"
#include "support/SilentSoundServer.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

using e2e::Desktop;
using e2e::Program;
using testing_support::SilentSoundServer;

TEST(SoundEndToEnd, AnAlarmOnAStalledSoundServerLeavesTheClockTicking)
{
    Desktop desktop;
    if (!desktop.ok())
        GTEST_SKIP() << "no X server";
    SilentSoundServer server;
    ASSERT_FALSE(server.address().isEmpty());
    const bool hadServer = qEnvironmentVariableIsSet("PULSE_SERVER");
    const QByteArray previous = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", server.address().toUtf8());
    Program program(desktop);
    e2e::WriteFile(program.iniPath(), "[Alarm_000]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:00\r\n"
                                      "DisplayName=Réveil\r\nShutdown=0\r\n");
    const bool started = program.start({}, QStringLiteral("@2026-12-10 07:29:52"));
    if (hadServer)
        qputenv("PULSE_SERVER", previous);
    else
        qunsetenv("PULSE_SERVER");
    ASSERT_TRUE(started);
    const QString main = desktop.waitForWindow(QStringLiteral("TPV - Tempovir"));
    ASSERT_FALSE(main.isEmpty()) << qPrintable(program.output());
    ASSERT_FALSE(desktop.waitForWindow(QStringLiteral("Tempovir - Alarme"), 30000).isEmpty())
        << "the alert never appeared";

    // The melody waits for the stalled server once, briefly; then the seconds go on.
    QSet<QByteArray> faces;
    const QDeadlineTimer deadline(5000);
    while (!deadline.hasExpired() && faces.size() < 3) {
        const QImage shot = desktop.grab(main);
        if (!shot.isNull())
            faces.insert(QByteArray(reinterpret_cast<const char *>(shot.constBits()), shot.sizeInBytes()));
    }
    EXPECT_GE(faces.size(), 3) << "the clock stood still";
    EXPECT_TRUE(program.running());
}

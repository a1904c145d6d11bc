// The melodies on real sound servers: one that has stalled, and one whose output plays far
// behind.
#include "Desktop.h"
#include "alarms/uAlarms.h"
#include "support/ServerSound.h"
#include "support/SilentSoundServer.h"
#include "support/SoundServer.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QSet>
#include <gtest/gtest.h>

#include <vector>

using e2e::Desktop;
using e2e::Program;
using testing_support::FindTones;
using testing_support::MonitorRecorder;
using testing_support::SilentSoundServer;
using testing_support::SoundServer;
using testing_support::Tone;

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

// A null sink left at its own latency renders 2-second blocks: a note written just after one
// began sounds only when the next begins, long after its own length plus a second.
TEST(SoundEndToEnd, AnOutputTwoSecondsBehindPlaysTheWholeMelody)
{
    SoundServer server;
    if (server.address().isEmpty())
        GTEST_SKIP() << "pulseaudio could not be started";
    const testing_support::ServerSound sound;
    qputenv("PULSE_SERVER", server.address().toUtf8());
    MonitorRecorder recorder(server, server.dir() + QStringLiteral("/recording.raw"), 0);
    ASSERT_TRUE(recorder.isRecording());
    // The recorder gets each block as the sink starts it (the first may be a part of one):
    // right after the second, the next is nearly 2 s away and the first note waits for it.
    for (int block = 0; block < 2; ++block) {
        const qint64 before = recorder.size();
        ASSERT_TRUE(e2e::Eventually([&] { return recorder.size() > before; })) << block;
    }

    BeepRising();
    // Everything played is in the recording once 2 s more have come.
    const qint64 played = recorder.size();
    ASSERT_TRUE(e2e::Eventually([&] { return recorder.size() >= played + 2 * 44100 * 2; }));
    const std::vector<Tone> found = FindTones(recorder.stop());
    qunsetenv("PULSE_SERVER");

    ASSERT_EQ(found.size(), 3u) << testing::PrintToString(found);
    const double expected[] = {400, 600, 800};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(found[i].frequency, expected[i], expected[i] * 0.03) << i;
        EXPECT_NEAR(found[i].lengthMs, 100, 12) << i;
    }
}

// Real sound: a private PulseAudio server with a null sink, whose monitor is recorded while
// the melodies play.
#include "alarms/uAlarms.h"
#include "platform/Exception.h"
#include "platform/Sound.h"
#include "platform/uMisc.h"
#include "support/ServerSound.h"
#include "support/SilentSoundServer.h"
#include "support/SoundServer.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <csignal>
#include <vector>

using testing_support::FindTones;
using testing_support::MonitorRecorder;
using testing_support::SilentSoundServer;
using testing_support::SoundServer;
using testing_support::Tone;

namespace {

constexpr int Rate = 44100;

class ServerSoundTest : public ::testing::Test
{
private:
    testing_support::ServerSound m_sound;
};

using Sound = ServerSoundTest;
using StalledSound = ServerSoundTest;

} // namespace

TEST_F(Sound, WithoutASoundServerBeepRaisesAndTheMelodiesGoOnSilently)
{
    qputenv("PULSE_SERVER", "unix:/nonexistent/tempovir-no-server");
    EXPECT_THROW(platform::Beep(400, 100), Exception);
    EXPECT_NO_THROW(BeepRising());
    EXPECT_NO_THROW(BeepFalling());
    qunsetenv("PULSE_SERVER");
}

TEST_F(Sound, TheRisingMelodyPlaysThreeTonesFiftyMillisecondsApart)
{
    SoundServer server;
    if (server.address().isEmpty())
        GTEST_SKIP() << "pulseaudio could not be started";
    qputenv("PULSE_SERVER", server.address().toUtf8());

    MonitorRecorder recorder(server, server.dir() + QStringLiteral("/recording.raw"), 10);
    ASSERT_TRUE(recorder.isRecording());
    // Recording has begun once silence starts arriving.
    const QDeadlineTimer ready(10000);
    while (recorder.size() < Rate / 10 && !ready.hasExpired())
        Delay(20);

    BeepRising();
    Delay(300);
    const std::vector<qint16> samples = recorder.stop();
    qunsetenv("PULSE_SERVER");

    const std::vector<Tone> found = FindTones(samples);
    ASSERT_EQ(found.size(), 3u);
    const double expected[] = {400, 600, 800};
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(found[i].frequency, expected[i], expected[i] * 0.03) << i;
        EXPECT_NEAR(found[i].lengthMs, 100, 12) << i;
    }
    for (int i = 1; i < 3; ++i) {
        const double gap = found[i].startMs - (found[i - 1].startMs + found[i - 1].lengthMs);
        // 50 ms of waiting; a note that returned late would show as a longer pause.
        EXPECT_GE(gap, 40) << i;
        EXPECT_LE(gap, 100) << i;
    }
}

namespace {

// Plays a melody and says how long it took, in milliseconds.
qint64 MelodyTime()
{
    QElapsedTimer timer;
    timer.start();
    BeepRising();
    return timer.elapsed();
}

// Once the server answers again, notes sound again (the stuck note may take a moment to
// come back).
bool NotesSoundAgain()
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        try {
            platform::Beep(400, 20);
            return true;
        } catch (const Exception &) {
            Delay(50);
        }
    }
    return false;
}

} // namespace

// These come last: a note stuck on a stalled server keeps the sound output busy until the
// server lets it go.
TEST_F(StalledSound, AServerThatNeverAnswersHoldsAMelodyUpForLessThanTwoSeconds)
{
    SilentSoundServer server;
    ASSERT_FALSE(server.address().isEmpty());
    qputenv("PULSE_SERVER", server.address().toUtf8());
    QElapsedTimer note;
    note.start();
    EXPECT_THROW(platform::Beep(400, 100), Exception);
    EXPECT_LT(note.elapsed(), 1500);
    EXPECT_LT(MelodyTime(), 2000);
    // Every later alarm finds the output still stuck, and does not wait again.
    EXPECT_LT(MelodyTime(), 500);
    qunsetenv("PULSE_SERVER");
}

TEST_F(StalledSound, AStoppedServerHoldsAMelodyUpForLessThanTwoSecondsAndNotesSoundOnceItGoesOn)
{
    SoundServer server;
    if (server.address().isEmpty())
        GTEST_SKIP() << "pulseaudio could not be started";
    qputenv("PULSE_SERVER", server.address().toUtf8());
    // Someone listening, at a low latency: the null sink plays in 2-second blocks otherwise.
    MonitorRecorder listener(server, QStringLiteral("/dev/null"), 10);
    ASSERT_TRUE(listener.isRecording());
    ASSERT_TRUE(NotesSoundAgain()); // the stream is open and playing
    ::kill(pid_t(server.pid()), SIGSTOP);
    EXPECT_LT(MelodyTime(), 2000);
    EXPECT_LT(MelodyTime(), 500);
    ::kill(pid_t(server.pid()), SIGCONT);
    EXPECT_TRUE(NotesSoundAgain());
    platform::ReleaseSound();
    qunsetenv("PULSE_SERVER");
}

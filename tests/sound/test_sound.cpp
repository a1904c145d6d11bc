// Real sound: a private PulseAudio server with a null sink, whose monitor is recorded while
// the melodies play.
#include "alarms/uAlarms.h"
#include "platform/Exception.h"
#include "platform/Sound.h"
#include "platform/uMisc.h"
#include "support/SilentSoundServer.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <cmath>
#include <csignal>
#include <cstring>
#include <vector>

using testing_support::SilentSoundServer;

namespace {

constexpr int Rate = 44100;

// A pulseaudio of our own, on a private runtime folder, for the lifetime of the object.
class SoundServer
{
public:
    SoundServer()
    {
        const QString socket = m_dir.filePath(QStringLiteral("native"));
        QFile script(m_dir.filePath(QStringLiteral("server.pa")));
        if (!script.open(QIODevice::WriteOnly))
            return;
        script.write("load-module module-null-sink sink_name=tempovir_null rate=44100\n"
                     "set-default-sink tempovir_null\n"
                     "load-module module-native-protocol-unix auth-anonymous=1 socket=" +
                     socket.toUtf8() + "\n");
        script.close();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
        env.insert(QStringLiteral("HOME"), m_dir.path());
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start(QStringLiteral("pulseaudio"),
                       {QStringLiteral("-n"), QStringLiteral("-F"), script.fileName(),
                        QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                        QStringLiteral("--use-pid-file=no"), QStringLiteral("--log-level=error")});
        if (!m_server.waitForStarted(5000))
            return;
        const QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(socket) && !deadline.hasExpired())
            QThread::msleep(20);
        if (QFileInfo::exists(socket))
            m_address = QStringLiteral("unix:") + socket;
    }
    ~SoundServer()
    {
        m_server.terminate();
        if (!m_server.waitForFinished(5000)) {
            m_server.kill();
            m_server.waitForFinished(2000);
        }
    }
    QString address() const { return m_address; }
    QString dir() const { return m_dir.path(); }
    qint64 pid() const { return m_server.processId(); }

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_address;
};

struct Tone
{
    double startMs;
    double lengthMs;
    double frequency;
};

// Finds the stretches of sound in a recording and their pitch from zero crossings.
std::vector<Tone> tones(const std::vector<qint16> &samples)
{
    const int window = Rate / 1000; // 1 ms
    std::vector<Tone> found;
    int start = -1;
    auto close = [&](int end) {
        const double lengthMs = double(end - start) / window;
        if (lengthMs >= 20) {
            int crossings = 0;
            for (int i = start + 1; i < end; ++i)
                crossings += (samples[i - 1] < 0) != (samples[i] < 0);
            found.push_back(
                {double(start) / window, lengthMs, crossings / 2.0 / (double(end - start) / Rate)});
        }
        start = -1;
    };
    for (std::size_t w = 0; w + window <= samples.size(); w += window) {
        double energy = 0;
        for (int i = 0; i < window; ++i)
            energy += double(samples[w + i]) * samples[w + i];
        const bool loud = std::sqrt(energy / window) > 1000;
        if (loud && start < 0)
            start = int(w);
        else if (!loud && start >= 0)
            close(int(w));
    }
    if (start >= 0)
        close(int(samples.size()));
    return found;
}

// The notes go to the sound server's output, as in the program, for the test's lifetime.
class ServerSoundTest : public ::testing::Test
{
protected:
    ServerSoundTest() : m_previous(platform::SetSoundOutput(&platform::ServerSoundOutput())) {}
    ~ServerSoundTest() override { platform::SetSoundOutput(m_previous); }

private:
    platform::SoundOutput *m_previous;
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

    QProcess recorder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), server.address());
    recorder.setProcessEnvironment(env);
    const QString file = server.dir() + QStringLiteral("/recording.raw");
    recorder.start(QStringLiteral("parecord"),
                   {QStringLiteral("--device=tempovir_null.monitor"), QStringLiteral("--raw"),
                    QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                    QStringLiteral("--channels=1"), QStringLiteral("--latency-msec=10"), file});
    ASSERT_TRUE(recorder.waitForStarted(5000));
    // Recording has begun once silence starts arriving.
    const QDeadlineTimer ready(10000);
    while (QFileInfo(file).size() < Rate / 10 && !ready.hasExpired())
        Delay(20);

    BeepRising();
    Delay(300);
    recorder.terminate();
    ASSERT_TRUE(recorder.waitForFinished(5000));
    qunsetenv("PULSE_SERVER");

    QFile raw(file);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QByteArray bytes = raw.readAll();
    std::vector<qint16> samples(std::size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);

    const std::vector<Tone> found = tones(samples);
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
    QProcess listener;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), server.address());
    listener.setProcessEnvironment(env);
    listener.start(QStringLiteral("parecord"),
                   {QStringLiteral("--device=tempovir_null.monitor"), QStringLiteral("--raw"),
                    QStringLiteral("--latency-msec=10"), QStringLiteral("/dev/null")});
    ASSERT_TRUE(listener.waitForStarted(5000));
    ASSERT_TRUE(NotesSoundAgain()); // the stream is open and playing
    ::kill(pid_t(server.pid()), SIGSTOP);
    EXPECT_LT(MelodyTime(), 2000);
    EXPECT_LT(MelodyTime(), 500);
    ::kill(pid_t(server.pid()), SIGCONT);
    EXPECT_TRUE(NotesSoundAgain());
    platform::ReleaseSound();
    listener.terminate();
    listener.waitForFinished(5000);
    qunsetenv("PULSE_SERVER");
}

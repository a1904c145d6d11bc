#include "support/SoundServer.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <cmath>
#include <cstring>

namespace testing_support {

namespace {

constexpr int Rate = 44100;

} // namespace

SoundServer::SoundServer()
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

SoundServer::~SoundServer()
{
    m_server.terminate();
    if (!m_server.waitForFinished(5000)) {
        m_server.kill();
        m_server.waitForFinished(2000);
    }
}

MonitorRecorder::MonitorRecorder(const SoundServer &server, const QString &file, int latencyMs) : m_file(file)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PULSE_SERVER"), server.address());
    m_recorder.setProcessEnvironment(env);
    QStringList arguments{QStringLiteral("--device=tempovir_null.monitor"), QStringLiteral("--raw"),
                          QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                          QStringLiteral("--channels=1")};
    if (latencyMs > 0)
        arguments << QStringLiteral("--latency-msec=%1").arg(latencyMs);
    m_recorder.start(QStringLiteral("parecord"), arguments << file);
    m_recorder.waitForStarted(5000);
}

MonitorRecorder::~MonitorRecorder()
{
    m_recorder.terminate();
    if (!m_recorder.waitForFinished(5000)) {
        m_recorder.kill();
        m_recorder.waitForFinished(2000);
    }
}

qint64 MonitorRecorder::size() const
{
    return QFileInfo(m_file).size();
}

std::vector<qint16> MonitorRecorder::stop()
{
    m_recorder.terminate();
    QFile raw(m_file);
    if (!m_recorder.waitForFinished(5000) || !raw.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = raw.readAll();
    std::vector<qint16> samples(std::size_t(bytes.size()) / 2);
    std::memcpy(samples.data(), bytes.constData(), samples.size() * 2);
    return samples;
}

void PrintTo(const Tone &tone, std::ostream *out)
{
    *out << tone.frequency << " Hz for " << tone.lengthMs << " ms at " << tone.startMs << " ms";
}

std::vector<Tone> FindTones(const std::vector<qint16> &samples)
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

} // namespace testing_support

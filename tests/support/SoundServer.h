#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <ostream>
#include <vector>

namespace testing_support {

// A pulseaudio of our own on a private runtime folder, for the lifetime of the object. Its
// default output is a null sink, "tempovir_null", which plays at 44.1 kHz.
class SoundServer
{
public:
    SoundServer();
    ~SoundServer();
    SoundServer(const SoundServer &) = delete;
    SoundServer &operator=(const SoundServer &) = delete;

    // The server address to put in PULSE_SERVER; empty when the server could not be started.
    QString address() const { return m_address; }
    QString dir() const { return m_dir.path(); }
    qint64 pid() const { return m_server.processId(); }

private:
    QTemporaryDir m_dir;
    QProcess m_server;
    QString m_address;
};

// parecord on the null sink's monitor, into a file as mono 16-bit samples, for the lifetime of
// the object. It asks the sink to play at most latencyMs behind; 0 leaves the sink at its own
// latency, which is 2 s while nobody asks for less.
class MonitorRecorder
{
public:
    MonitorRecorder(const SoundServer &server, const QString &file, int latencyMs);
    ~MonitorRecorder();
    MonitorRecorder(const MonitorRecorder &) = delete;
    MonitorRecorder &operator=(const MonitorRecorder &) = delete;

    bool isRecording() const { return m_recorder.state() == QProcess::Running; }
    // Bytes recorded so far.
    qint64 size() const;
    // Ends the recording and returns its samples; none when parecord did not end cleanly.
    std::vector<qint16> stop();

private:
    QString m_file;
    QProcess m_recorder;
};

struct Tone
{
    double startMs;
    double lengthMs;
    double frequency;
};

// How a tone shows in a failed check.
void PrintTo(const Tone &tone, std::ostream *out);

// Finds the stretches of sound in a 44.1 kHz recording and their pitch from zero crossings.
std::vector<Tone> FindTones(const std::vector<qint16> &samples);

} // namespace testing_support

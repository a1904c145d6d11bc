#include "platform/Sound.h"

#include "platform/Exception.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <numbers>
#include <optional>
#include <thread>
#include <vector>

namespace platform {
namespace {

constexpr quint32 Rate = 44100;
// How long past a note's own length Beep waits for the server to have played it.
constexpr quint32 MarginMs = 1000;

std::vector<qint16> SineTone(quint32 frequency, quint32 milliseconds)
{
    const std::size_t count = std::size_t(Rate) * milliseconds / 1000;
    std::vector<qint16> samples(count);
    const std::size_t ramp = std::min<std::size_t>(count / 2, Rate / 500); // 2 ms, against clicks
    for (std::size_t i = 0; i < count; ++i) {
        double amplitude = 0.5;
        if (i < ramp)
            amplitude *= double(i) / double(ramp);
        else if (count - i <= ramp)
            amplitude *= double(count - i) / double(ramp);
        samples[i] = qint16(std::lround(32767.0 * amplitude *
                                        std::sin(2.0 * std::numbers::pi * frequency * double(i) / Rate)));
    }
    return samples;
}

// One playback stream, opened on first use and again after any failure. Used only on the
// sound thread.
class Stream
{
public:
    ~Stream() { close(); }

    void play(const std::vector<qint16> &samples)
    {
        const bool wasOpen = m_stream != nullptr;
        try {
            playOnce(samples);
        } catch (const Exception &) {
            // The server may have restarted since the last note: one more try on a new stream.
            if (!wasOpen)
                throw;
            playOnce(samples);
        }
    }

    void close()
    {
        if (m_stream)
            pa_simple_free(m_stream);
        m_stream = nullptr;
    }

private:
    [[noreturn]] void fail(int error)
    {
        close();
        throw Exception(QStringLiteral("Son indisponible : %1").arg(QString::fromUtf8(pa_strerror(error))));
    }

    void open()
    {
        if (m_stream)
            return;
        const pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 1};
        // Small buffers: with the server's default latency a 100 ms note would return long
        // after it was heard, and the pauses of a melody would vanish.
        pa_buffer_attr attr;
        attr.maxlength = quint32(-1);
        attr.tlength = quint32(pa_usec_to_bytes(20 * 1000, &format));
        attr.prebuf = quint32(-1);
        attr.minreq = quint32(-1);
        attr.fragsize = quint32(-1);
        int error = 0;
        m_stream = pa_simple_new(nullptr, "Tempovir", PA_STREAM_PLAYBACK, nullptr, "Alarme", &format, nullptr,
                                 &attr, &error);
        if (!m_stream)
            fail(error);
    }

    void playOnce(const std::vector<qint16> &samples)
    {
        open();
        int error = 0;
        if (!samples.empty() &&
            pa_simple_write(m_stream, samples.data(), samples.size() * sizeof(qint16), &error) < 0)
            fail(error);
        if (pa_simple_drain(m_stream, &error) < 0)
            fail(error);
    }

    pa_simple *m_stream = nullptr;
};

// The simple API only blocks, without a time limit. Its calls therefore run on a thread of
// their own, and Beep waits for that thread with a bound. A thread stuck on a stalled server
// is left alone; until it comes back every note fails at once.
class PulseOutput final : public SoundOutput
{
public:
    void beep(quint32 frequency, quint32 milliseconds) override
    {
        std::vector<qint16> samples = SineTone(frequency, milliseconds);
        std::unique_lock lock(m_shared->mutex);
        if (m_shared->busy)
            throw Exception(stalledMessage());
        startThread();
        m_shared->job = std::move(samples);
        m_shared->busy = true;
        const quint64 id = ++m_shared->submitted;
        m_shared->wake.notify_all();
        const auto bound = std::chrono::milliseconds(qint64(milliseconds) + MarginMs);
        if (!m_shared->done.wait_for(lock, bound, [&] { return m_shared->finished == id; })) {
            m_shared->abandoned = true;
            throw Exception(stalledMessage());
        }
        if (!m_shared->error.isEmpty())
            throw Exception(m_shared->error);
    }

    void release() override
    {
        const std::lock_guard lock(m_shared->mutex);
        if (!m_thread)
            return;
        m_shared->releaseRequested = true;
        m_shared->wake.notify_all();
    }

private:
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable wake; // a job or a release for the sound thread
        std::condition_variable done; // a job finished
        std::optional<std::vector<qint16>> job;
        bool releaseRequested = false;
        bool busy = false;      // a job is being played
        bool abandoned = false; // its Beep gave up waiting
        quint64 submitted = 0;
        quint64 finished = 0;
        QString error;
    };

    static QString stalledMessage()
    {
        return QStringLiteral("Son indisponible : le serveur de son ne répond pas");
    }

    void startThread()
    {
        if (m_thread)
            return;
        m_thread = true;
        // Detached, and owning what it uses: a thread stuck in the server must not hold up
        // the program's exit.
        std::thread([shared = m_shared] { run(*shared); }).detach();
    }

    static void run(Shared &shared)
    {
        Stream stream;
        std::unique_lock lock(shared.mutex);
        for (;;) {
            shared.wake.wait(lock, [&] { return shared.job || shared.releaseRequested; });
            if (!shared.job) {
                shared.releaseRequested = false;
                lock.unlock();
                stream.close();
                lock.lock();
                continue;
            }
            const std::vector<qint16> samples = std::move(*shared.job);
            shared.job.reset();
            lock.unlock();
            QString error;
            try {
                stream.play(samples);
            } catch (const Exception &e) {
                error = e.message();
            }
            lock.lock();
            if (shared.abandoned) {
                // The server stalled; the next note starts afresh.
                lock.unlock();
                stream.close();
                lock.lock();
                shared.abandoned = false;
            }
            shared.error = error;
            shared.finished = shared.submitted;
            shared.busy = false;
            shared.done.notify_all();
        }
    }

    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
    bool m_thread = false;
};

} // namespace

SoundOutput &ServerSoundOutput()
{
    static PulseOutput pulse;
    return pulse;
}

} // namespace platform

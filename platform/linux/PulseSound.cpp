#include "platform/Sound.h"

#include "platform/Exception.h"

#include <pulse/context.h>
#include <pulse/error.h>
#include <pulse/mainloop.h>
#include <pulse/stream.h>

#include <algorithm>
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
// How long Beep waits for a note past its own length and its output's latency.
constexpr std::chrono::milliseconds Margin{1000};
// The most latency believed of an output. PulseAudio's outputs play at most about 2 s behind
// (a null sink left to itself, a sound card's default buffer, an AirPlay speaker); a server
// claiming more still cannot hold a note up past its length, this and the margin.
constexpr pa_usec_t MaxLatencyUs = 3000 * 1000;

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

// One connection and playback stream, opened on first use and again after any failure. Used
// only on the sound thread: every call blocks until the server answers.
class Stream
{
public:
    ~Stream() { close(); }

    // Plays the samples and returns once the server has played them. Before writing, it hands
    // reportLatency how far behind its output plays, as the server says.
    template <typename ReportLatency>
    void play(const std::vector<qint16> &samples, ReportLatency reportLatency)
    {
        const bool wasOpen = m_stream != nullptr;
        try {
            playOnce(samples, reportLatency);
        } catch (const Exception &) {
            // The server may have restarted since the last note: one more try on a new stream.
            if (!wasOpen)
                throw;
            playOnce(samples, reportLatency);
        }
    }

    void close()
    {
        if (m_stream)
            pa_stream_unref(m_stream);
        if (m_context) {
            pa_context_disconnect(m_context);
            pa_context_unref(m_context);
        }
        if (m_loop)
            pa_mainloop_free(m_loop);
        m_stream = nullptr;
        m_context = nullptr;
        m_loop = nullptr;
    }

private:
    [[noreturn]] void fail()
    {
        const int error = m_context ? pa_context_errno(m_context) : int(PA_ERR_INTERNAL);
        close();
        throw Exception(QStringLiteral("Son indisponible : %1").arg(QString::fromUtf8(pa_strerror(error))));
    }

    // Handles the server's messages until done() holds.
    template <typename Done> void waitFor(Done done)
    {
        while (!done()) {
            if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(m_context)) ||
                (m_stream && !PA_STREAM_IS_GOOD(pa_stream_get_state(m_stream))) ||
                pa_mainloop_iterate(m_loop, 1, nullptr) < 0)
                fail();
        }
    }

    // Runs one request on the stream to its end.
    void request(pa_operation *(*send)(pa_stream *, pa_stream_success_cb_t, void *))
    {
        int success = -1;
        pa_operation *operation = send(
            m_stream, [](pa_stream *, int ok, void *result) { *static_cast<int *>(result) = ok; }, &success);
        if (!operation)
            fail();
        pa_operation_unref(operation);
        waitFor([&] { return success >= 0; });
        if (!success)
            fail();
    }

    void open()
    {
        if (m_stream)
            return;
        m_loop = pa_mainloop_new();
        m_context = pa_context_new(pa_mainloop_get_api(m_loop), "Tempovir");
        if (!m_context || pa_context_connect(m_context, nullptr, PA_CONTEXT_NOFLAGS, nullptr) < 0)
            fail();
        waitFor([&] { return pa_context_get_state(m_context) == PA_CONTEXT_READY; });
        const pa_sample_spec format{PA_SAMPLE_S16LE, Rate, 1};
        // Small buffers: with the server's default latency a 100 ms note would return long
        // after it was heard, and the pauses of a melody would vanish.
        pa_buffer_attr attr;
        attr.maxlength = quint32(-1);
        attr.tlength = quint32(pa_usec_to_bytes(20 * 1000, &format));
        attr.prebuf = quint32(-1);
        attr.minreq = quint32(-1);
        attr.fragsize = quint32(-1);
        m_stream = pa_stream_new(m_context, "Alarme", &format, nullptr);
        if (!m_stream || pa_stream_connect_playback(m_stream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY,
                                                    nullptr, nullptr) < 0)
            fail();
        waitFor([&] { return pa_stream_get_state(m_stream) == PA_STREAM_READY; });
    }

    // How far behind the output plays: a note written now starts to sound that much later
    // (on a null sink left at its own latency, up to 2 s).
    std::chrono::microseconds latency()
    {
        request(pa_stream_update_timing_info);
        const pa_timing_info *timing = pa_stream_get_timing_info(m_stream);
        if (!timing)
            fail();
        return std::chrono::microseconds(std::min<pa_usec_t>(timing->sink_usec, MaxLatencyUs));
    }

    void write(const std::vector<qint16> &samples)
    {
        const auto *data = reinterpret_cast<const char *>(samples.data());
        std::size_t left = samples.size() * sizeof(qint16);
        while (left > 0) {
            std::size_t room = 0;
            waitFor([&] { return (room = pa_stream_writable_size(m_stream)) > 0; });
            const std::size_t size = std::min(room, left);
            if (pa_stream_write(m_stream, data, size, nullptr, 0, PA_SEEK_RELATIVE) < 0)
                fail();
            data += size;
            left -= size;
        }
    }

    template <typename ReportLatency>
    void playOnce(const std::vector<qint16> &samples, ReportLatency &reportLatency)
    {
        open();
        reportLatency(latency());
        write(samples);
        request(pa_stream_drain);
    }

    pa_mainloop *m_loop = nullptr;
    pa_context *m_context = nullptr;
    pa_stream *m_stream = nullptr;
};

// The client library's calls block without a time limit. They therefore run on a thread of
// their own, and Beep waits for that thread with a bound: the note's length and the margin,
// plus the output's latency once the server has told it. A thread stuck on a stalled server
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
        m_shared->latency = {};
        const quint64 id = ++m_shared->submitted;
        m_shared->wake.notify_all();
        const auto start = std::chrono::steady_clock::now();
        const auto deadline = [&] {
            return start + std::chrono::milliseconds(milliseconds) + m_shared->latency + Margin;
        };
        while (m_shared->finished != id) {
            if (std::chrono::steady_clock::now() >= deadline()) {
                m_shared->abandoned = true;
                throw Exception(stalledMessage());
            }
            m_shared->done.wait_until(lock, deadline());
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
        std::condition_variable done; // a job finished, or its output's latency is known
        std::optional<std::vector<qint16>> job;
        std::chrono::microseconds latency{}; // of the job's output, once the server has said
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
                stream.play(samples, [&shared](std::chrono::microseconds latency) {
                    const std::lock_guard relock(shared.mutex);
                    shared.latency = latency;
                    shared.done.notify_all();
                });
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

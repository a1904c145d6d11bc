#include "platform/Sound.h"

#include "platform/Exception.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace platform {
namespace {

constexpr quint32 Rate = 44100;

// One playback stream, opened on first use and again after any failure.
pa_simple *stream = nullptr;

void closeStream()
{
    if (stream)
        pa_simple_free(stream);
    stream = nullptr;
}

[[noreturn]] void fail(int error)
{
    closeStream();
    throw Exception(QStringLiteral("Son indisponible : %1").arg(QString::fromUtf8(pa_strerror(error))));
}

void openStream()
{
    if (stream)
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
    stream = pa_simple_new(nullptr, "Tempovir", PA_STREAM_PLAYBACK, nullptr, "Alarme", &format, nullptr, &attr,
                           &error);
    if (!stream)
        fail(error);
}

void play(const std::vector<qint16> &samples)
{
    openStream();
    int error = 0;
    if (!samples.empty() &&
        pa_simple_write(stream, samples.data(), samples.size() * sizeof(qint16), &error) < 0)
        fail(error);
    if (pa_simple_drain(stream, &error) < 0)
        fail(error);
}

BeepFunction beepOverride;

} // namespace

BeepFunction SetBeepOverride(BeepFunction replacement)
{
    BeepFunction old = std::move(beepOverride);
    beepOverride = std::move(replacement);
    return old;
}

void ReleaseSound()
{
    closeStream();
}

void Beep(quint32 frequency, quint32 milliseconds)
{
    if (beepOverride) {
        beepOverride(frequency, milliseconds);
        return;
    }
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
    const bool wasOpen = stream != nullptr;
    try {
        play(samples);
    } catch (const Exception &) {
        // The server may have restarted since the last note: one more try on a new stream.
        if (!wasOpen)
            throw;
        play(samples);
    }
}

} // namespace platform

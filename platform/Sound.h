#pragma once

#include <QtGlobal>
#include <functional>

namespace platform {

// Plays a sine tone of the given frequency and length on the default audio output and
// returns once it has sounded. Throws Exception when there is no sound server.
void Beep(quint32 frequency, quint32 milliseconds);

// Lets the audio output go between melodies, so that it is not held for the whole run.
void ReleaseSound();

// Tests hear the notes instead of the sound card; returns the previous replacement.
using BeepFunction = std::function<void(quint32 frequency, quint32 milliseconds)>;
BeepFunction SetBeepOverride(BeepFunction replacement);

} // namespace platform

#pragma once

#include <QtGlobal>

namespace platform {

// Where the notes go: the sound server, or what a test installs.
class SoundOutput
{
public:
    virtual ~SoundOutput() = default;
    // Returns once the note has sounded; throws Exception when it cannot.
    virtual void beep(quint32 frequency, quint32 milliseconds) = 0;
    // Lets the output go until the next note.
    virtual void release() {}
};

// Installs a replacement output (tests); nullptr goes back to the sound server.
// Returns the replacement installed before, or nullptr.
SoundOutput *SetSoundOutput(SoundOutput *output);

// Plays a sine tone of the given frequency and length on the default audio output and
// returns once it has sounded. Throws Exception when there is no sound server, and when the
// server has not played the note within its length plus a second, so that a stalled server
// never holds the program up.
void Beep(quint32 frequency, quint32 milliseconds);

// Lets the audio output go between melodies, so that it is not held for the whole run.
void ReleaseSound();

} // namespace platform

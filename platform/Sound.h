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

// Installs the output the notes go to: the program installs the sound server's at start-up,
// tests a fake. nullptr goes back to no output at all, where every note raises. Returns the
// output installed before, or nullptr.
SoundOutput *SetSoundOutput(SoundOutput *output);

// The sound server's output: a sine tone on the default audio output, returning once it has
// sounded. It raises when there is no sound server, and when the server has not played the
// note within its length, plus the latency its output reports (3 s at most), plus a second,
// so that a stalled server never holds the program up for long.
SoundOutput &ServerSoundOutput();

// Plays a note of the given frequency and length on the installed output and returns once it
// has sounded; throws Exception when it cannot.
void Beep(quint32 frequency, quint32 milliseconds);

// Lets the audio output go between melodies, so that it is not held for the whole run.
void ReleaseSound();

} // namespace platform

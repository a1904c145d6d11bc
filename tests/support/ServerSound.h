#pragma once

#include "platform/Sound.h"

namespace testing_support {

// The notes go to the sound server's output, as in the program, for the lifetime of the object.
class ServerSound
{
public:
    ServerSound() : m_previous(platform::SetSoundOutput(&platform::ServerSoundOutput())) {}
    ~ServerSound() { platform::SetSoundOutput(m_previous); }
    ServerSound(const ServerSound &) = delete;
    ServerSound &operator=(const ServerSound &) = delete;

private:
    platform::SoundOutput *m_previous;
};

} // namespace testing_support

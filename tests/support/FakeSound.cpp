#include "support/FakeSound.h"

#include "support/Fakes.h"

namespace testing_support {

FakeSound::FakeSound(FakeTime *time) : m_time(time)
{
    platform::SetSoundOutput(this);
}

FakeSound::~FakeSound()
{
    platform::SetSoundOutput(nullptr);
}

void FakeSound::beep(quint32 frequency, quint32 milliseconds)
{
    notes.emplace_back(frequency, milliseconds);
    if (m_time)
        m_time->advance(milliseconds);
}

} // namespace testing_support

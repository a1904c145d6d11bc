#include "support/FakeSound.h"

#include "support/Fakes.h"

namespace testing_support {

FakeSound::FakeSound(FakeTime *time) : m_time(time), m_previous(platform::SetSoundOutput(this)) {}

FakeSound::~FakeSound()
{
    platform::SetSoundOutput(m_previous);
}

void FakeSound::beep(quint32 frequency, quint32 milliseconds)
{
    notes.emplace_back(frequency, milliseconds);
    if (onNote)
        onNote();
    if (m_time)
        m_time->advance(milliseconds);
}

} // namespace testing_support

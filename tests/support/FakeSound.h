#pragma once

#include "platform/Sound.h"

#include <functional>
#include <utility>
#include <vector>

namespace testing_support {

class FakeTime;

// Hears the notes instead of the sound card: records each one and, given a fake clock,
// lets the note's length pass on it. Installed for its lifetime.
class FakeSound final : public platform::SoundOutput
{
public:
    explicit FakeSound(FakeTime *time = nullptr);
    ~FakeSound() override;
    void beep(quint32 frequency, quint32 milliseconds) override;
    void release() override { ++releases; }

    std::vector<std::pair<quint32, quint32>> notes; // frequency, milliseconds
    int releases = 0;
    std::function<void()> onNote; // runs as each note starts

private:
    FakeTime *m_time;
    platform::SoundOutput *m_previous;
};

} // namespace testing_support

#pragma once

#include "platform/Sound.h"

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

private:
    FakeTime *m_time;
};

} // namespace testing_support

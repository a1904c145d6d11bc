#include "platform/Sound.h"

#include "platform/Exception.h"
#include "platform/Seam.h"

namespace platform {
namespace {

// Until the program installs the sound server's output, nothing sounds: the logic below the
// windows, and a test without a fake, never reaches the machine's speakers.
class NoSound final : public SoundOutput
{
public:
    void beep(quint32, quint32) override { throw Exception(QStringLiteral("Son indisponible")); }
};

NoSound noSound;
Seam<SoundOutput> seam(noSound);

} // namespace

SoundOutput *SetSoundOutput(SoundOutput *output)
{
    return seam.install(output);
}

void Beep(quint32 frequency, quint32 milliseconds)
{
    seam.get().beep(frequency, milliseconds);
}

void ReleaseSound()
{
    seam.get().release();
}

} // namespace platform

#include "platform/PowerOff.h"

#include "platform/Seam.h"

namespace platform {
namespace {

// Until the program installs the real request, every request is refused: a test that forgets
// its stand-in can never switch the machine off.
class NoPowerControl final : public PowerControl
{
public:
    bool exitWindows(quint32) override { return false; }
};

NoPowerControl refusal;
Seam<PowerControl> seam(refusal);

} // namespace

PowerControl *SetPowerControl(PowerControl *control)
{
    return seam.install(control);
}

bool ExitWindowsPrivileged(quint32 flags)
{
    return seam.get().exitWindows(flags);
}

} // namespace platform

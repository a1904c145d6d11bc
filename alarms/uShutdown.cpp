#include "alarms/uShutdown.h"

#include "alarms/ShutdownHost.h"
#include "alarms/uAlarms.h"
#include "platform/PowerOff.h"
#include "platform/uMisc.h"

void RunShutdownCountdown(TShutdownHost &Host)
{
    Host.setShutdownPending(true);
    Host.setShutdownPosition(0);
    Host.showShutdownWindow();
    for (int i = 1; i <= 30; ++i) {
        // A cancel, here or in a countdown nested in this one, ends the loop at once.
        if (!Host.ShutdownPending())
            break;
        // The whole part of i × 3.3: 3, 6, 9, 13 ... 33 at step 10, 99 at step 30.
        Host.setShutdownPosition(i * 33 / 10);
        Delay(1000);
    }
    if (Host.ShutdownPending()) {
        Host.hideShutdownWindow();
        BeepFalling();
        PowerOffComputer();
    }
}

void PowerOffComputer()
{
    platform::ExitWindowsPrivileged(platform::EWX_POWEROFF | platform::EWX_FORCE);
}

#include "alarms/uShutdown.h"

#include "alarms/BlockProgressBar.h"
#include "alarms/frmShutDown.h"
#include "alarms/uAlarms.h"
#include "app/Globals.h"
#include "app/uMisc.h"
#include "platform/PowerOff.h"

bool ShutdownPending = false;

void RunShutdownCountdown()
{
    ShutdownPending = true;
    fmShutdown->ProgressBar1->SetPosition(0);
    fmShutdown->show();
    fmShutdown->raise();
    fmShutdown->activateWindow();
    for (int i = 1; i <= 30; ++i) {
        // A cancel, here or in a countdown nested in this one, ends the loop at once.
        if (!ShutdownPending)
            break;
        // The whole part of i × 3.3: 3, 6, 9, 13 ... 33 at step 10, 99 at step 30.
        fmShutdown->ProgressBar1->SetPosition(i * 33 / 10);
        Delay(1000);
    }
    if (ShutdownPending) {
        fmShutdown->hide();
        BeepFalling();
        PowerOffComputer();
    }
}

void PowerOffComputer()
{
    platform::ExitWindowsPrivileged(platform::EWX_POWEROFF | platform::EWX_FORCE);
}

#pragma once

#include <QtGlobal>

namespace platform {

// The request flags the program's callers use, with their Windows values.
constexpr quint32 EWX_LOGOFF = 0;
constexpr quint32 EWX_SHUTDOWN = 1;
constexpr quint32 EWX_REBOOT = 2;
constexpr quint32 EWX_FORCE = 4;
constexpr quint32 EWX_POWEROFF = 8;

// Who carries out a request to end the session or switch the machine off.
class PowerControl
{
public:
    virtual ~PowerControl() = default;
    // Makes the request the flags ask for; true when the system accepted it.
    virtual bool exitWindows(quint32 flags) = 0;
};

// The real one: systemd-logind's Manager.PowerOff, non-interactive, on the system bus
// (DBUS_SYSTEM_BUS_ADDRESS when set, else the system's own). Only a power-off is offered;
// any request without EWX_POWEROFF is refused without asking anything.
PowerControl &LogindPowerControl();

// Installs who carries the requests out: the program installs logind at start-up, tests a
// stand-in. nullptr goes back to refusing every request. Returns the one installed before,
// or nullptr.
PowerControl *SetPowerControl(PowerControl *control);

// Asks the system to power off as flags say; true when the request was accepted. Shows nothing.
bool ExitWindowsPrivileged(quint32 flags);

} // namespace platform

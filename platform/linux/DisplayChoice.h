#pragma once

#include <QString>

// The program places its own windows (the popup, restored placements), which native
// Wayland does not allow, so it runs on X11 (XWayland included) unless another non-Wayland
// platform is asked for (offscreen, for instance).
enum class TDisplayChoice {
    AsAsked, // QT_QPA_PLATFORM names a platform that needs no X display
    Xcb,     // run on the X display
    None,    // no X display to run on
};

TDisplayChoice ChooseDisplay(const QString &qpaPlatform, bool xDisplayReachable);

// Whether an X server answers at $DISPLAY.
bool XDisplayReachable();

// Sets QT_QPA_PLATFORM for the choice. An X display named by DISPLAY that does not answer
// yet is waited for up to waitMs; with no display, prints one line on standard error and
// returns false.
bool PrepareDisplay(int waitMs = 0);

#pragma once

#include <QRect>
#include <QSize>
#include <optional>

namespace platform {

// What the program needs to know of the primary screen.
struct ScreenMetrics
{
    QSize resolution;    // pixels
    QSize physicalMm;    // millimetres as the device reports them (may be 0)
    QRect workArea;      // the part not taken by panels
    int logicalDpi = 96; // logical pixels per inch
};

// The primary screen now, or the override a test installed.
ScreenMetrics Screen();
void SetScreenOverride(std::optional<ScreenMetrics> metrics);

} // namespace platform

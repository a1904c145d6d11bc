#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace platform {

// What the program needs to know of the primary screen.
struct ScreenMetrics
{
    QSize resolution;    // pixels
    QSize physicalMm;    // millimetres as the device reports them (may be 0)
    QRect workArea;      // the part not taken by panels
    int logicalDpi = 96; // logical pixels per inch
};

// Where the program reads the screen's metrics, so tests can set them.
class ScreenSource
{
public:
    virtual ~ScreenSource() = default;
    virtual ScreenMetrics metrics() const = 0;
};

// Installs a replacement screen (tests); nullptr goes back to the primary screen.
// Returns the replacement installed before, or nullptr.
ScreenSource *SetScreenSource(ScreenSource *source);

// The primary screen now, or what the installed replacement says.
ScreenMetrics Screen();

// The work areas of all the screens, the primary screen's first, as Screen() gives it.
QList<QRect> WorkAreas();

} // namespace platform

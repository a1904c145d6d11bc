#include "platform/Screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {
namespace {
std::optional<ScreenMetrics> screenOverride;
}

void SetScreenOverride(std::optional<ScreenMetrics> metrics)
{
    screenOverride = metrics;
}

ScreenMetrics Screen()
{
    if (screenOverride)
        return *screenOverride;
    ScreenMetrics m;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        m.resolution = QSize(1024, 768);
        m.workArea = QRect(QPoint(0, 0), m.resolution);
        return m;
    }
    m.resolution = screen->geometry().size();
    const QSizeF mm = screen->physicalSize();
    m.physicalMm = QSize(int(mm.width()), int(mm.height()));
    m.workArea = screen->availableGeometry();
    m.logicalDpi = qRound(screen->logicalDotsPerInchX());
    return m;
}

} // namespace platform

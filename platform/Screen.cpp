#include "platform/Screen.h"

#include "platform/Seam.h"

#include <QGuiApplication>
#include <QScreen>

namespace platform {
namespace {

class PrimaryScreen final : public ScreenSource
{
public:
    ScreenMetrics metrics() const override;
};

PrimaryScreen primaryScreen;
Seam<ScreenSource> seam(primaryScreen);

ScreenMetrics PrimaryScreen::metrics() const
{
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

} // namespace

ScreenSource *SetScreenSource(ScreenSource *source)
{
    return seam.install(source);
}

ScreenMetrics Screen()
{
    return seam.get().metrics();
}

QList<QRect> WorkAreas()
{
    QList<QRect> areas{Screen().workArea};
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            areas << screen->availableGeometry();
    }
    return areas;
}

} // namespace platform

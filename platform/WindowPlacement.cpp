#include "platform/WindowPlacement.h"

namespace platform {

QRect FitOntoScreens(const QRect &rect, const QList<QRect> &screens, const QRect &workArea)
{
    // A window on a screen stays where it is, no larger than all the screens together.
    QRect all;
    for (const QRect &screen : screens)
        all |= screen;
    for (const QRect &screen : screens) {
        if (screen.intersects(rect))
            return QRect(rect.topLeft(), rect.size().boundedTo(all.size()));
    }
    QRect fitted(rect.topLeft(), rect.size().boundedTo(workArea.size()));
    fitted.moveLeft(
        qBound(workArea.left(), fitted.left(), workArea.left() + workArea.width() - fitted.width()));
    fitted.moveTop(
        qBound(workArea.top(), fitted.top(), workArea.top() + workArea.height() - fitted.height()));
    return fitted;
}

} // namespace platform

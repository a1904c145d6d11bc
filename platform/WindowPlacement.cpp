#include "platform/WindowPlacement.h"

#include <algorithm>

namespace platform {

QRect KeepOnScreen(const QRect &frame, const QRect &workArea)
{
    // Where the frame is larger, its left or top edge wins: the title bar stays reachable.
    QRect kept = frame;
    kept.moveLeft(std::max(workArea.left(),
                           std::min(frame.left(), workArea.left() + workArea.width() - frame.width())));
    kept.moveTop(
        std::max(workArea.top(), std::min(frame.top(), workArea.top() + workArea.height() - frame.height())));
    return kept;
}

QRect KeepClearOf(const QRect &frame, const QRect &other, const QRect &workArea)
{
    if (!frame.intersects(other))
        return frame;
    const QRect above = frame.translated(0, other.top() - 1 - frame.bottom());
    if (above.top() >= workArea.top())
        return above;
    const QRect left = frame.translated(other.left() - 1 - frame.right(), 0);
    if (left.left() >= workArea.left())
        return left;
    return frame;
}

QRect WorkAreaOf(const QRect &frame, const QList<QRect> &workAreas)
{
    QRect best = workAreas.value(0);
    qint64 most = 0;
    for (const QRect &area : workAreas) {
        const QRect common = area & frame;
        const qint64 size = qint64(common.width()) * common.height();
        if (size > most) {
            most = size;
            best = area;
        }
    }
    return best;
}

} // namespace platform

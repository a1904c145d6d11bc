#include "ui/MarkupRender.h"

#include "ui/MarkupLayout.h"
#include "ui/MarkupPaint.h"

#include <QPainter>

#include <optional>

bool RenderMarkup(QPainter &surface, const QString &text, const QRect &rect, const TMarkupOptions &options,
                  TMarkupResult *result)
{
    TMarkupResult local;
    TMarkupResult &res = result ? *result : local;
    // The painter's font, pen, brush and clipping come back as they were.
    const bool active = surface.isActive();
    if (active)
        surface.save();
    {
        markup::Layout layout(surface.device(), surface.font(), surface.pen().color(), text, rect, options);
        std::optional<markup::Painter> painter;
        if (active && !options.MeasureOnly)
            painter.emplace(surface, rect, options);
        markup::Line line;
        while (layout.nextLine(line)) {
            if (!painter)
                continue;
            painter->paintLine(line, layout.hoveredLink());
            // The first line is always drawn; text below the rectangle is not.
            if (layout.reachedBottom(line))
                break;
        }
        res = layout.result();
    }
    if (active) {
        surface.restore();
        surface.setBackgroundMode(Qt::TransparentMode);
    }
    return res.LinkHit;
}

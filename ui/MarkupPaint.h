#pragma once

#include "ui/MarkupLayout.h"

#include <QFont>
#include <QFontMetrics>
#include <QRect>

class QPainter;

namespace markup {

// Draws laid-out lines on the surface.
class Painter
{
public:
    // Clips the surface at the rectangle's right edge and makes its background transparent.
    Painter(QPainter &surface, const QRect &rect, const TMarkupOptions &options);

    // Draws the line's backgrounds, pieces and rule; hoveredLink is the link under the test point.
    void paintLine(const Line &line, int hoveredLink);

private:
    void paintBackgrounds(const Line &line);
    void paintPiece(const Piece &piece, int x, int normalBottom, int hoveredLink);
    void drawText(int x, int baseline, const QString &text);

    QPainter &m_surface;
    const TMarkupOptions &m_options;
    const QRect m_rect;
    const Area m_area;
    // The metrics of the font last drawn with, kept while the pieces share it.
    QFont m_font;
    QFontMetrics m_metrics;
};

} // namespace markup

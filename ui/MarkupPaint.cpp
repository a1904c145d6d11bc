#include "ui/MarkupPaint.h"

#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

namespace markup {

namespace {

// Fills rect with color, or with a gradient from color to colorTo along the given direction.
void FillBand(QPainter &surface, const QRect &rect, const QColor &color, const QColor &colorTo, bool vertical)
{
    if (!colorTo.isValid()) {
        surface.fillRect(rect, color);
        return;
    }
    QLinearGradient g(rect.topLeft(), vertical ? rect.bottomLeft() : rect.topRight());
    g.setColorAt(0, color);
    g.setColorAt(1, colorTo);
    surface.fillRect(rect, g);
}

} // namespace

Painter::Painter(QPainter &surface, const QRect &rect, const TMarkupOptions &options)
    : m_surface(surface), m_options(options), m_rect(rect), m_area(rect), m_font(surface.font()),
      m_metrics(QFontMetrics(surface.font(), surface.device()))
{
    // Only the right edge clips; lines may reach below the rectangle.
    m_surface.setClipRect(QRect(m_rect.left(), m_area.top - 4096, std::max(0, m_area.right - m_rect.left()),
                                std::max(0, m_area.bottom - m_area.top) + 8192),
                          Qt::IntersectClip);
    m_surface.setBackgroundMode(Qt::TransparentMode);
}

void Painter::paintLine(const Line &line, int hoveredLink)
{
    paintBackgrounds(line);
    const int normalBottom = line.top + line.height - line.subAllowance;
    for (const Piece &piece : line.pieces) {
        const int x = line.start + piece.x;
        if (x < m_area.right)
            paintPiece(piece, x, normalBottom, hoveredLink);
    }
    if (line.rule) {
        m_surface.setPen(QPen(QColor(0, 0, 0), 1));
        const int y = line.top + line.height + 1;
        m_surface.drawLine(line.start, y, m_area.right - 1, y);
    }
}

void Painter::paintBackgrounds(const Line &line)
{
    if (line.fill.isValid())
        FillBand(m_surface, m_rect, line.fill, line.fillTo, true);
    if (line.band.isValid())
        FillBand(m_surface, QRect(m_area.left, line.top, m_area.right - m_area.left, line.height), line.band,
                 line.bandTo, false);
}

void Painter::paintPiece(const Piece &piece, int x, int normalBottom, int hoveredLink)
{
    const int cellTop = normalBottom + piece.shift - piece.height;
    QColor color = piece.color;
    QColor background = piece.background;
    if (piece.highlight) {
        const QPalette pal = QGuiApplication::palette();
        color = pal.color(QPalette::HighlightedText);
        background = pal.color(QPalette::Highlight);
    }
    if (piece.link >= 0) {
        const bool hovered = m_options.Hover && piece.link == hoveredLink;
        color =
            hovered && m_options.HoverFontColor.isValid() ? m_options.HoverFontColor : m_options.LinkColor;
        if (hovered && m_options.HoverColor.isValid())
            background = m_options.HoverColor;
    }
    if (background.isValid())
        m_surface.fillRect(QRect(x, cellTop, piece.width, piece.height), background);
    m_surface.setFont(piece.font);
    if (!(piece.font == m_font)) {
        m_font = piece.font;
        m_metrics = QFontMetrics(piece.font, m_surface.device());
    }
    QString text = piece.text;
    if (m_options.Ellipsis && x + piece.width > m_area.right)
        text = m_metrics.elidedText(text, Qt::ElideRight, m_area.right - x);
    const int baseline = cellTop + piece.ascent;
    if (piece.shadow) {
        m_surface.setPen(m_options.ShadowColor);
        drawText(x + m_options.ShadowOffset, baseline + m_options.ShadowOffset, text);
    }
    m_surface.setPen(color);
    drawText(x, baseline, text);
    if (piece.error && piece.width > 0) {
        // A zigzag in 2-pixel steps along the bottom of the text cell.
        QPolygon zigzag;
        const int y = cellTop + piece.height - 1;
        for (int i = 0; i <= piece.width; i += 2)
            zigzag << QPoint(x + i, (i / 2) % 2 ? y - 2 : y);
        m_surface.setPen(QColor(255, 0, 0));
        m_surface.drawPolyline(zigzag);
    }
}

void Painter::drawText(int x, int baseline, const QString &text)
{
    ForEachTabRun(m_metrics, text, [&](int dx, const QString &run, bool) {
        m_surface.drawText(QPoint(x + dx, baseline), run);
    });
}

} // namespace markup

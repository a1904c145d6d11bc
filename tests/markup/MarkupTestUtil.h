#pragma once

#include "ui/MarkupRender.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

namespace markup_test {

// Fonts without antialiasing, so that every drawn pixel has the exact text colour.
inline QFont TestFont(const QString &family = QStringLiteral("MS Sans Serif"), int points = 8)
{
    QFont f(family, points);
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

inline QFont Styled(QFont f, bool bold, bool italic = false, bool underline = false, bool strike = false)
{
    f.setBold(bold);
    f.setItalic(italic);
    f.setUnderline(underline);
    f.setStrikeOut(strike);
    return f;
}

// Metrics on the same kind of device the tests draw on.
inline QFontMetrics Metrics(const QFont &f)
{
    static const QImage device(1, 1, QImage::Format_RGB32);
    return QFontMetrics(f, &device);
}
inline int Width(const QFont &f, const QString &t)
{
    return Metrics(f).horizontalAdvance(t);
}
inline int Height(const QFont &f)
{
    return Metrics(f).height();
}

inline QImage Blank(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

struct Drawn
{
    QImage image;
    TMarkupResult result;
};

inline Drawn Draw(const QString &text, QSize size, const QFont &font, TMarkupOptions options = {},
                  QColor pen = Qt::black, QRect rect = QRect())
{
    Drawn d{Blank(size), {}};
    QPainter p(&d.image);
    p.setFont(font);
    p.setPen(pen);
    RenderMarkup(p, text, rect.isNull() ? QRect(QPoint(0, 0), size) : rect, options, &d.result);
    return d;
}

inline TMarkupResult Measure(const QString &text, QSize size, const QFont &font, TMarkupOptions options = {})
{
    options.MeasureOnly = true;
    return Draw(text, size, font, options).result;
}

// The expected picture, drawn piece by piece with plain text calls.
class Reference
{
public:
    explicit Reference(QSize size) : m_image(Blank(size)) { m_painter.begin(&m_image); }
    // Draws pieces one after another from x with their text cell at top; returns the end.
    int pieces(int x, int top, const QFont &f, QColor color, const QStringList &parts)
    {
        m_painter.setFont(f);
        m_painter.setPen(color);
        const QFontMetrics fm = Metrics(f);
        for (const QString &part : parts) {
            m_painter.drawText(QPoint(x, top + fm.ascent()), part);
            x += fm.horizontalAdvance(part);
        }
        return x;
    }
    void clipRight(int right) { m_painter.setClipRect(QRect(0, 0, right + 1, m_image.height())); }
    void line(int x1, int x2, int y, QColor color = Qt::black)
    {
        m_painter.setPen(color);
        m_painter.drawLine(x1, y, x2, y);
    }
    QPainter &painter() { return m_painter; }
    QImage image()
    {
        m_painter.end();
        return m_image;
    }

private:
    QImage m_image;
    QPainter m_painter;
};

// The colours other than white found in an area.
inline QSet<QRgb> Colours(const QImage &image, const QRect &area)
{
    QSet<QRgb> found;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                found.insert(image.pixel(x, y) | 0xFF000000);
    return found;
}

// Equal images, or the first pixel that differs.
inline ::testing::AssertionResult SameImage(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "sizes differ";
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (actual.pixel(x, y) != expected.pixel(x, y))
                return ::testing::AssertionFailure()
                       << "pixel " << x << "," << y << ": " << std::hex << actual.pixel(x, y)
                       << " instead of " << expected.pixel(x, y);
    return ::testing::AssertionSuccess();
}

inline bool Empty(const QImage &image, const QRect &area)
{
    return Colours(image, area).isEmpty();
}

} // namespace markup_test

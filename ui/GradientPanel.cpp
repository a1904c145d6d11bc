#include "ui/GradientPanel.h"

#include "platform/ErrorReport.h"

#include <QPainter>
#include <algorithm>

TGradientPanel::TGradientPanel(QWidget *parent) : QWidget(parent)
{
    // Every pixel is painted here; Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGradientPanel::setStartColor(const QColor &color)
{
    m_startColor = color;
    invalidate();
}

void TGradientPanel::setEndColor(const QColor &color)
{
    m_endColor = color;
    invalidate();
}

void TGradientPanel::setDirection(TGradientDirection direction)
{
    m_direction = direction;
    invalidate();
}

void TGradientPanel::setColorWidth(int pixels)
{
    m_colorWidth = std::max(1, pixels);
    invalidate();
}

void TGradientPanel::setSwapColors(bool on)
{
    m_swapColors = on;
    invalidate();
}

void TGradientPanel::invalidate()
{
    m_buffer = QPixmap();
    update();
}

void TGradientPanel::resizeEvent(QResizeEvent *)
{
    m_buffer = QPixmap();
}

void TGradientPanel::paintGradient()
{
    const QSize size = this->size();
    m_buffer = QPixmap(size);
    if (size.isEmpty())
        return;
    const QColor from = m_swapColors ? m_endColor : m_startColor;
    const QColor to = m_swapColors ? m_startColor : m_endColor;
    const int length = m_direction == gdUpDown ? size.height() : size.width();
    // Integer division truncates toward zero, as the gradient's steps must.
    const auto channel = [length](int start, int end, int at) { return start + at * (end - start) / length; };
    QPainter p(&m_buffer);
    for (int at = 0; at < length; at += m_colorWidth) {
        const QColor color(channel(from.red(), to.red(), at), channel(from.green(), to.green(), at),
                           channel(from.blue(), to.blue(), at));
        const int band = std::min(m_colorWidth, length - at);
        if (m_direction == gdUpDown)
            p.fillRect(0, at, size.width(), band, color);
        else
            p.fillRect(at, 0, band, size.height(), color);
    }
}

void TGradientPanel::paintEvent(QPaintEvent *)
{
    platform::Guarded([this] {
        if (m_buffer.size() != size())
            paintGradient();
        QPainter p(this);
        p.drawPixmap(0, 0, m_buffer);
    });
}

#include "ui/ScrollText.h"

#include "platform/ErrorReport.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>

namespace {

// A line's share of the inner area: a non-empty line counts once per control width it spans.
int LineHeight(const QFontMetrics &metrics, const QString &line, int controlWidth)
{
    if (line.isEmpty())
        return metrics.lineSpacing();
    return metrics.height() * (metrics.horizontalAdvance(line) / std::max(1, controlWidth) + 1);
}

} // namespace

TScrollText::TScrollText(QWidget *parent) : QWidget(parent), m_timer(new QTimer(this))
{
    // Armed again after each step, so a slow step never piles up steps behind it.
    m_timer->setSingleShot(true);
    m_timer->setInterval(m_delay);
    connect(m_timer, &QTimer::timeout, this, [this] { platform::Guarded([this] { tick(); }); });
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TScrollText::setItems(const QStringList &items)
{
    m_items = items;
    update();
}

void TScrollText::setDelay(int ms)
{
    m_delay = std::max(1, ms);
    m_timer->setInterval(m_delay);
}

void TScrollText::setScrollPixels(int pixels)
{
    m_scrollPixels = pixels;
}

void TScrollText::setBackgroundColor(const QColor &color)
{
    m_backgroundColor = color;
    update();
}

void TScrollText::setActive(bool on)
{
    if (on == m_active)
        return;
    m_active = on;
    if (on) {
        m_top = -textAreaHeight();
        update();
        arm();
    } else {
        m_timer->stop();
    }
}

int TScrollText::textAreaHeight() const
{
    const QFontMetrics metrics(font());
    int total = 0;
    for (const QString &line : m_items)
        total += LineHeight(metrics, line, width());
    return std::max(total, height());
}

void TScrollText::step()
{
    if (textAreaHeight() < -m_top)
        m_top = height();
    else
        m_top -= m_scrollPixels;
    update();
}

void TScrollText::tick()
{
    if (!m_active || m_dragging)
        return;
    step();
    arm();
}

void TScrollText::arm()
{
    if (m_active && !m_dragging)
        m_timer->start();
}

void TScrollText::drag(int dy)
{
    const int areaHeight = textAreaHeight();
    int top = m_top + dy;
    if (top < -areaHeight)
        top = height();
    else if (top > height())
        top = -areaHeight;
    m_top = top;
    update();
}

void TScrollText::mousePressEvent(QMouseEvent *event)
{
    platform::Guarded([&] {
        m_dragging = true;
        m_timer->stop();
        m_dragY = qRound(event->globalPosition().y());
    });
}

void TScrollText::mouseMoveEvent(QMouseEvent *event)
{
    platform::Guarded([&] {
        if (!m_dragging)
            return;
        const int y = qRound(event->globalPosition().y());
        const int dy = y - m_dragY;
        m_dragY = y;
        if (dy != 0)
            drag(dy);
    });
}

void TScrollText::mouseReleaseEvent(QMouseEvent *event)
{
    platform::Guarded([&] {
        if (!m_dragging || event->buttons() != Qt::NoButton)
            return; // another button is still down
        m_dragging = false;
        arm();
    });
}

void TScrollText::paintEvent(QPaintEvent *)
{
    platform::Guarded([this] {
        QPainter p(this);
        p.fillRect(rect(), m_backgroundColor);
        p.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics metrics(font());
        int y = m_top;
        for (const QString &line : m_items) {
            const int lineHeight = LineHeight(metrics, line, width());
            // Left-aligned on one line; what passes the right edge is cut.
            if (!line.isEmpty() && y < height() && y + lineHeight > 0)
                p.drawText(QRect(0, y, width(), lineHeight),
                           Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, line);
            y += lineHeight;
        }
    });
}

#include "ui/MarkupLabel.h"

#include "platform/ErrorReport.h"
#include "ui/MarkupRender.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPointer>
#include <QTimer>

TMarkupLabel::TMarkupLabel(QWidget *parent) : QWidget(parent) {}

void TMarkupLabel::setMarkupText(const QString &text)
{
    QString joined = text;
    joined.remove(u'\r');
    joined.remove(u'\n');
    if (joined == m_markupText)
        return;
    m_markupText = joined;
    update();
}

void TMarkupLabel::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void TMarkupLabel::setColorTo(const QColor &color)
{
    m_colorTo = color;
    update();
}

void TMarkupLabel::setTransparent(bool on)
{
    m_transparent = on;
    update();
}

void TMarkupLabel::setVAlignment(TVAlignment alignment)
{
    m_vAlignment = alignment;
    update();
}

void TMarkupLabel::setAutoSizing(bool on)
{
    m_autoSizing = on;
    update();
}

void TMarkupLabel::setEllipsis(bool on)
{
    m_ellipsis = on;
    update();
}

void TMarkupLabel::setLinkColor(const QColor &color)
{
    m_linkColor = color;
    update();
}

void TMarkupLabel::setShadowColor(const QColor &color)
{
    m_shadowColor = color;
    update();
}

void TMarkupLabel::setShadowOffset(int offset)
{
    m_shadowOffset = offset;
    update();
}

void TMarkupLabel::paintEvent(QPaintEvent *)
{
    platform::Guarded([this] { paintLabel(); });
}

void TMarkupLabel::paintLabel()
{
    QPainter p(this);
    QRect area = rect();
    if (!m_transparent) {
        const QColor fill = m_color.isValid() ? m_color : palette().color(QPalette::Window);
        if (m_colorTo.isValid()) {
            QLinearGradient g(area.topLeft(), area.bottomLeft());
            g.setColorAt(0, fill);
            g.setColorAt(1, m_colorTo);
            p.fillRect(area, g);
        } else {
            p.fillRect(area, fill);
        }
    }
    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));

    TMarkupOptions options;
    options.WordWrap = !m_ellipsis;
    options.Ellipsis = m_ellipsis;
    options.LinkColor = m_linkColor;
    options.ShadowColor = m_shadowColor;
    options.ShadowOffset = m_shadowOffset;

    TMarkupResult measured;
    if (m_vAlignment != tvaTop || m_autoSizing) {
        TMarkupOptions measure = options;
        measure.MeasureOnly = true;
        RenderMarkup(p, m_markupText, area, measure, &measured);
    }
    if (m_vAlignment != tvaTop) {
        const int free = area.height() - measured.Height;
        if (free > 0)
            area.translate(0, m_vAlignment == tvaCenter ? free / 2 : free);
    }
    RenderMarkup(p, m_markupText, area, options);

    if (m_autoSizing) {
        // Without word wrap the text grows sideways, with it downwards.
        const QSize wanted =
            m_ellipsis ? QSize(measured.Width + 6, height()) : QSize(width(), measured.Height + 6);
        if (wanted != size()) {
            // Not from inside the paint event itself.
            QPointer<TMarkupLabel> self(this);
            QTimer::singleShot(0, this, [self, wanted] {
                if (self)
                    self->resize(wanted);
            });
        }
    }
}

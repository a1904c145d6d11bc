#include "ui/RichTextLabel.h"

#include "platform/ErrorReport.h"

#include <QFontMetricsF>
#include <QPainter>

TRichTextLabel::TRichTextLabel(QWidget *parent) : QWidget(parent) {}

void TRichTextLabel::setRuns(const QList<Run> &runs)
{
    m_runs = runs;
    update();
}

void TRichTextLabel::paintEvent(QPaintEvent *)
{
    platform::Guarded([this] {
        QPainter p(this);
        // Measured on this device: points become pixels at its density.
        const QFontMetricsF metrics(font(), this);
        const qreal baseline = 1 + metrics.ascent();
        // From the right edge leftwards, the last run first.
        qreal right = width();
        for (auto run = m_runs.crbegin(); run != m_runs.crend(); ++run) {
            right -= metrics.horizontalAdvance(run->text);
            p.setPen(run->color.isValid() ? run->color : palette().color(QPalette::WindowText));
            p.drawText(QPointF(right, baseline), run->text);
        }
    });
}

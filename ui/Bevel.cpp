#include "ui/Bevel.h"

#include "platform/ErrorReport.h"

#include <QPainter>

TBevel::TBevel(QWidget *parent) : QWidget(parent) {}

void TBevel::paintEvent(QPaintEvent *)
{
    platform::Guarded([this] {
        QPainter p(this);
        p.setPen(palette().color(QPalette::Dark));
        p.drawLine(0, 0, width() - 1, 0);
        p.setPen(palette().color(QPalette::Light));
        p.drawLine(0, 1, width() - 1, 1);
    });
}

#include "ui/TrackBar.h"

#include <QPainter>
#include <QProxyStyle>
#include <QStyleOptionSlider>

namespace {

// The style's slider with a thumb 11 pixels wide and 21 high, drawn as a pointer. The thumb's
// size goes through the style, so that dragging picks up the thumb where it is drawn.
class PointerThumbStyle final : public QProxyStyle
{
public:
    int pixelMetric(PixelMetric metric, const QStyleOption *option, const QWidget *widget) const override
    {
        if (metric == PM_SliderLength)
            return 11;
        if (metric == PM_SliderThickness)
            return 21;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override
    {
        const auto *slider = qstyleoption_cast<const QStyleOptionSlider *>(option);
        if (control != CC_Slider || !slider) {
            QProxyStyle::drawComplexControl(control, option, painter, widget);
            return;
        }
        QStyleOptionSlider rest = *slider;
        rest.subControls &= ~SC_SliderHandle;
        rest.state &= ~State_HasFocus; // marked around the whole control below
        QProxyStyle::drawComplexControl(control, &rest, painter, widget);
        if (slider->subControls & SC_SliderHandle)
            drawPointer(subControlRect(control, slider, SC_SliderHandle, widget), slider->palette, painter);
        // The style marks the focus on its own thumb only: here it goes around the whole control.
        if (slider->state & State_HasFocus) {
            QStyleOptionFocusRect focus;
            focus.QStyleOption::operator=(*slider);
            drawPrimitive(PE_FrameFocusRect, &focus, painter, widget);
        }
    }

private:
    // A flat top and sides, then a point as deep as half the width, lit from the top left.
    static void drawPointer(const QRect &r, const QPalette &palette, QPainter *painter)
    {
        const int tip = r.width() / 2;
        const QPoint topLeft = r.topLeft();
        const QPoint topRight = r.topRight();
        const QPoint sideLeft(r.left(), r.bottom() - tip);
        const QPoint sideRight(r.right(), r.bottom() - tip);
        const QPoint point(r.left() + tip, r.bottom());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing, false);
        painter->setPen(Qt::NoPen);
        painter->setBrush(palette.button());
        painter->drawPolygon(QPolygon{topLeft, topRight, sideRight, point, sideLeft});
        painter->setPen(palette.color(QPalette::Light));
        painter->drawPolyline(QPolygon{sideLeft, topLeft, topRight});
        painter->drawLine(sideLeft, point);
        painter->setPen(palette.color(QPalette::Shadow));
        painter->drawPolyline(QPolygon{topRight, sideRight, point});
        painter->setPen(palette.color(QPalette::Dark));
        painter->drawPolyline(
            QPolygon{topRight + QPoint(-1, 1), sideRight + QPoint(-1, 0), point + QPoint(0, -1)});
        painter->restore();
    }
};

} // namespace

TTrackBar::TTrackBar(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    auto *style = new PointerThumbStyle;
    style->setParent(this);
    setStyle(style);
}

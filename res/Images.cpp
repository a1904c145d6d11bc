#include "res/Images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

using Draw = void (*)(QPainter &);

void Bell(QPainter &p, const QColor &body)
{
    QPainterPath path;
    path.moveTo(3, 12);
    path.cubicTo(4, 10, 4, 8, 4.5, 6);
    path.cubicTo(5, 3, 11, 3, 11.5, 6);
    path.cubicTo(12, 8, 12, 10, 13, 12);
    path.closeSubpath();
    p.setPen(QPen(QColor(90, 60, 0), 1));
    p.setBrush(body);
    p.drawPath(path);
    p.setBrush(QColor(90, 60, 0));
    p.drawEllipse(QRectF(6.5, 12, 3, 2.5));
    p.drawLine(QPointF(8, 2), QPointF(8, 3.5));
}

void ClockFace(QPainter &p, const QColor &rim)
{
    p.setPen(QPen(rim, 1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    p.setPen(QPen(Qt::black, 1.2));
    p.drawLine(QPointF(8, 8), QPointF(8, 4));
    p.drawLine(QPointF(8, 8), QPointF(11, 9.5));
}

void Page(QPainter &p)
{
    p.setPen(QColor(80, 80, 80));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 1.5, 10, 13));
    p.setPen(QColor(0, 0, 160));
    for (int y = 4; y <= 12; y += 2)
        p.drawLine(4, y, 11, y);
}

// A black-edged box with a white sheet at its top: the floppy's label, the printer's paper.
void BoxWithSheet(QPainter &p, const QColor &fill, const QRectF &box)
{
    p.setPen(Qt::black);
    p.setBrush(fill);
    p.drawRect(box);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 2.5, 7, 4));
}

const Draw pictures[22] = {
    [](QPainter &p) { ClockFace(p, QColor(0, 128, 128)); }, // 0 clock
    [](QPainter &p) { Page(p); },                           // 1 page
    [](QPainter &p) {                                       // 2 open folder
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(250, 210, 90));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
    },
    [](QPainter &p) { BoxWithSheet(p, QColor(40, 70, 160), QRectF(2.5, 2.5, 11, 11)); },  // 3 floppy
    [](QPainter &p) { BoxWithSheet(p, QColor(200, 200, 200), QRectF(1.5, 6.5, 13, 6)); }, // 4 printer
    [](QPainter &p) {                                                                     // 5 cut
        p.setPen(QPen(Qt::black, 1.3));
        p.drawLine(4, 2, 11, 11);
        p.drawLine(12, 2, 5, 11);
        p.drawEllipse(QRectF(2, 11, 4, 4));
        p.drawEllipse(QRectF(10, 11, 4, 4));
    },
    [](QPainter &p) { // 6 copy
        Page(p);
        p.translate(-1, -1);
        p.setOpacity(0.6);
        Page(p);
    },
    [](QPainter &p) { // 7 paste
        p.setPen(QColor(120, 80, 0));
        p.setBrush(QColor(200, 150, 80));
        p.drawRect(QRectF(2.5, 2.5, 11, 12));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 6.5, 7, 8));
    },
    [](QPainter &p) { // 8 undo
        p.setPen(QPen(QColor(0, 90, 180), 2));
        p.drawArc(QRectF(3, 4, 10, 9), 90 * 16, -220 * 16);
        p.drawLine(3, 5, 7, 5);
    },
    [](QPainter &p) { // 9 find
        p.setPen(QPen(Qt::black, 1.5));
        p.setBrush(QColor(200, 230, 255));
        p.drawEllipse(QRectF(2, 2, 8, 8));
        p.setPen(QPen(QColor(120, 60, 0), 2.5));
        p.drawLine(9, 9, 14, 14);
    },
    [](QPainter &p) { // 10 options
        p.setPen(QPen(QColor(90, 90, 90), 3));
        p.drawEllipse(QRectF(4, 4, 8, 8));
    },
    [](QPainter &p) { // 11 quit: door and arrow
        p.setPen(QColor(90, 50, 10));
        p.setBrush(QColor(170, 110, 50));
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        p.setBrush(QColor(250, 220, 60));
        p.drawEllipse(QRectF(7, 8, 1.5, 1.5));
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawLine(9, 8, 15, 8);
        p.drawLine(12, 5, 15, 8);
        p.drawLine(12, 11, 15, 8);
    },
    [](QPainter &p) { // 12 information
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 80, 200));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(8, 7, 8, 12);
        p.drawPoint(8, 4);
    },
    [](QPainter &p) { // 13 warning
        p.setPen(QColor(120, 90, 0));
        p.setBrush(QColor(255, 210, 0));
        p.drawPolygon(QPolygonF({QPointF(8, 1.5), QPointF(15, 14.5), QPointF(1, 14.5)}));
        p.setPen(QPen(Qt::black, 2));
        p.drawLine(8, 6, 8, 10);
        p.drawPoint(8, 12);
    },
    [](QPainter &p) { Bell(p, QColor(180, 180, 180)); }, // 14 alarms off
    [](QPainter &p) {                                    // 15 alarms on
        Bell(p, QColor(250, 200, 40));
        p.setPen(QPen(QColor(220, 0, 0), 1.2));
        p.drawArc(QRectF(0.5, 3, 4, 7), 120 * 16, 120 * 16);
        p.drawArc(QRectF(11.5, 3, 4, 7), -60 * 16, 120 * 16);
    },
    [](QPainter &p) { Bell(p, QColor(120, 200, 120)); }, // 16 sound
    [](QPainter &p) {                                    // 17 alarm list
        Page(p);
        p.scale(0.55, 0.55);
        p.translate(12, 12);
        ClockFace(p, QColor(200, 0, 0));
    },
    [](QPainter &p) { // 18 help
        p.setPen(QColor(0, 60, 150));
        p.setBrush(QColor(60, 130, 230));
        p.drawEllipse(QRectF(1, 1, 14, 14));
        p.setPen(Qt::white);
        QFont f(QStringLiteral("Liberation Sans"));
        f.setPixelSize(12);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("?"));
    },
    [](QPainter &p) { // 19 about
        ClockFace(p, QColor(0, 0, 160));
    },
    [](QPainter &p) { // 20 power off
        p.setPen(QPen(QColor(200, 0, 0), 2));
        p.drawArc(QRectF(2.5, 3, 11, 11), 120 * 16, 300 * 16);
        p.drawLine(8, 1, 8, 8);
    },
    [](QPainter &p) { // 21 check
        p.setPen(QPen(QColor(0, 140, 0), 2.5));
        p.drawLine(2, 8, 6, 12);
        p.drawLine(6, 12, 14, 3);
    },
};

} // namespace

const QList<QIcon> &ImageList1()
{
    static const QList<QIcon> images = [] {
        QList<QIcon> list;
        for (const Draw draw : pictures) {
            QPixmap pixmap(16, 16);
            pixmap.fill(Qt::transparent);
            QPainter p(&pixmap);
            p.setRenderHint(QPainter::Antialiasing);
            draw(p);
            p.end();
            list << QIcon(pixmap);
        }
        return list;
    }();
    return images;
}

// The pictures are compiled into this static library, whose resources are registered only
// when something asks for them. (Q_INIT_RESOURCE must not be used inside a namespace.)
static void InitImageResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(images);
        return true;
    }();
    (void)done;
}

namespace {

QIcon IconFromFiles(const char *name, std::initializer_list<int> sizes)
{
    InitImageResources();
    QIcon icon;
    for (const int size : sizes)
        icon.addFile(QStringLiteral(":/icons/%1-%2.png").arg(QLatin1String(name)).arg(size),
                     QSize(size, size));
    return icon;
}

} // namespace

QIcon ProgramIcon()
{
    return IconFromFiles("tempovir", {16, 32, 48, 128});
}

QIcon BulletPicture()
{
    return IconFromFiles("bullet", {12, 24});
}

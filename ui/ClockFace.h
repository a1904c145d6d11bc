#pragma once

// Display-free geometry of the clock: the minute directions, the density scaling between the
// screen's axes, the face rectangle, the marks and the hands. Rectangles here are
// (left, top, right, bottom) with right and bottom excluded, as the drawing code fills them.

#include "platform/Screen.h"

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <array>

namespace clockface {

// One minute mark's direction, clockwise from 12 o'clock, in 1/8000 of the radius, y down.
struct TDirection
{
    int x = 0;
    int y = 0;
};
using TDirectionTable = std::array<TDirection, 60>;

// The directions as stored before any scaling.
const TDirectionTable &BaseDirectionTable();

// Pixels per 100 mm on each axis, the screen width, and the direction table scaled to them.
struct TClockMetrics
{
    int HorzDensity = 100;
    int VertDensity = 100;
    int ScreenWidth = 1024;
    TDirectionTable DirectionTable{};

    // a × VertDensity div HorzDensity.
    int scaleToVert(int a) const;
    // a × HorzDensity div VertDensity.
    int scaleToHorz(int a) const;
};

// The metrics of a screen; a physical size of 0 mm on either axis gives equal densities.
TClockMetrics ClockMetricsFor(const platform::ScreenMetrics &screen);

// The process-wide metrics, computed from platform::Screen() at the first call.
const TClockMetrics &ClockMetrics();
// Makes the next ClockMetrics() call read the screen again (tests).
void ResetClockMetrics();

// Left, top, right and bottom edges; right and bottom are outside the rectangle.
struct TEdges
{
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int width() const { return Right - Left; }
    int height() const { return Bottom - Top; }
    QRect toRect() const { return QRect(Left, Top, Right - Left, Bottom - Top); }
    static TEdges from(const QRect &r)
    {
        return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
    }
    bool operator==(const TEdges &) const = default;
};

// The face: the client area less one pixel on every side, narrowed to equal physical width
// and height and centred on the long axis.
TEdges FitFaceRect(const TEdges &client, const TClockMetrics &metrics);

// Position 0..59 of the hour hand: five per hour, one more every 12 minutes.
int HourHandPosition(int hour, int minute);

// The lighter edge colour of a mark: channels of 0 stay, 192 become 255, others gain 127
// (at most 255); any channel at 255 gives the highlight colour.
QColor LighterColor(const QColor &c, const QColor &highlight);

// Size of the marks, radius and centre of a face.
struct TFaceLayout
{
    int DotWidth = 0;
    int DotHeight = 0;
    int HalfW = 0;
    int HalfH = 0;
    int FaceRadius = 0;
    QPoint FaceCenter;
    // Marks large enough for the 3D look and the minute dots.
    bool Fine = false;
};
TFaceLayout LayoutFace(const TEdges &faceRect, const TClockMetrics &metrics);

// The centre of mark i (0..59).
QPoint MarkPoint(int i, int faceRadius, QPoint faceCenter, const TDirectionTable &table);
// The rectangle of an hour mark centred on its point.
TEdges HourMarkRect(QPoint p, const TFaceLayout &face);

// Centre plus direction pos scaled to length (each component value × length div 8000).
QPoint HandPoint(int pos, int length, QPoint center, const TDirectionTable &table);

struct TLine
{
    QPoint From;
    QPoint To;
    bool operator==(const TLine &) const = default;
};

// The pixels of a line from From up to, not including, To; none for a line without length.
QList<QPoint> LinePixels(const TLine &line);

// The second hand: 80 % of the radius.
TLine SecondHand(int pos, int faceRadius, QPoint faceCenter, const TDirectionTable &table);

enum class THandKind { Hour, Minute };
// The four outline lines of a broad hand, in drawing order: side to tip, other side to tip,
// side to tail, other side to tail.
std::array<TLine, 4> BroadHand(int pos, THandKind kind, int faceRadius, QPoint faceCenter,
                               const TDirectionTable &table);

} // namespace clockface

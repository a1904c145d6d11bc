#include "ui/ClockFace.h"

#include <cstdlib>
#include <optional>

namespace clockface {
namespace {

// sin/cos of 6i° times 8000, truncated; a few entries sit one unit inside the circle.
constexpr TDirectionTable baseTable = {{
    {0, -7999},     {836, -7956},   {1663, -7825},  {2472, -7608},  {3253, -7308},  {3999, -6928},
    {4702, -6472},  {5353, -5945},  {5945, -5353},  {6472, -4702},  {6928, -4000},  {7308, -3253},
    {7608, -2472},  {7825, -1663},  {7956, -836},   {8000, 0},      {7956, 836},    {7825, 1663},
    {7608, 2472},   {7308, 3253},   {6928, 4000},   {6472, 4702},   {5945, 5353},   {5353, 5945},
    {4702, 6472},   {3999, 6928},   {3253, 7308},   {2472, 7608},   {1663, 7825},   {836, 7956},
    {0, 7999},      {-836, 7956},   {-1663, 7825},  {-2472, 7608},  {-3253, 7308},  {-4000, 6928},
    {-4702, 6472},  {-5353, 5945},  {-5945, 5353},  {-6472, 4702},  {-6928, 3999},  {-7308, 3253},
    {-7608, 2472},  {-7825, 1663},  {-7956, 836},   {-7999, 0},     {-7956, -836},  {-7825, -1663},
    {-7608, -2472}, {-7308, -3253}, {-6928, -4000}, {-6472, -4702}, {-5945, -5353}, {-5353, -5945},
    {-4702, -6472}, {-3999, -6928}, {-3253, -7308}, {-2472, -7608}, {-1663, -7825}, {-836, -7956},
}};

std::optional<TClockMetrics> processMetrics;

// Products first, then the division, which truncates toward zero.
int MulDiv(qint64 a, qint64 b, qint64 c)
{
    return c == 0 ? 0 : int(a * b / c);
}

} // namespace

const TDirectionTable &BaseDirectionTable()
{
    return baseTable;
}

int TClockMetrics::scaleToVert(int a) const
{
    return MulDiv(a, VertDensity, HorzDensity);
}

int TClockMetrics::scaleToHorz(int a) const
{
    return MulDiv(a, HorzDensity, VertDensity);
}

TClockMetrics ClockMetricsFor(const platform::ScreenMetrics &screen)
{
    TClockMetrics m;
    m.ScreenWidth = screen.resolution.width();
    if (screen.physicalMm.width() > 0 && screen.physicalMm.height() > 0) {
        m.HorzDensity = MulDiv(screen.resolution.width(), 100, screen.physicalMm.width());
        m.VertDensity = MulDiv(screen.resolution.height(), 100, screen.physicalMm.height());
    }
    // A screen too small for one pixel per 100 mm would make the scalings divide by zero.
    if (m.HorzDensity <= 0 || m.VertDensity <= 0)
        m.HorzDensity = m.VertDensity = 100;
    for (int i = 0; i < 60; ++i)
        m.DirectionTable[i] = {baseTable[i].x, m.scaleToVert(baseTable[i].y)};
    return m;
}

const TClockMetrics &ClockMetrics()
{
    if (!processMetrics)
        processMetrics = ClockMetricsFor(platform::Screen());
    return *processMetrics;
}

void ResetClockMetrics()
{
    processMetrics.reset();
}

TEdges FitFaceRect(const TEdges &client, const TClockMetrics &metrics)
{
    TEdges r{client.Left + 1, client.Top + 1, client.Right - 1, client.Bottom - 1};
    const int w = r.width();
    const int h = r.height();
    if (w > metrics.scaleToHorz(h)) {
        const int newWidth = metrics.scaleToHorz(h);
        r.Left += (w - newWidth) / 2;
        r.Right = r.Left + newWidth;
    } else {
        const int newHeight = metrics.scaleToVert(w);
        r.Top += (h - newHeight) / 2;
        r.Bottom = r.Top + newHeight;
    }
    return r;
}

int HourHandPosition(int hour, int minute)
{
    return (hour % 12) * 5 + minute / 12;
}

QColor LighterColor(const QColor &c, const QColor &highlight)
{
    int channels[3] = {c.red(), c.green(), c.blue()};
    for (int &ch : channels) {
        if (ch == 255)
            return highlight;
        if (ch == 192)
            ch = 255;
        else if (ch != 0)
            ch = qMin(ch + 127, 255);
    }
    return QColor(channels[0], channels[1], channels[2]);
}

TFaceLayout LayoutFace(const TEdges &faceRect, const TClockMetrics &metrics)
{
    TFaceLayout f;
    f.DotWidth = metrics.ScreenWidth > 0 ? faceRect.width() * 25 / metrics.ScreenWidth : 0;
    f.DotHeight = qMax(metrics.scaleToVert(f.DotWidth), 1);
    f.DotWidth = qMax(f.DotWidth, 2);
    f.HalfW = f.DotWidth / 2;
    f.HalfH = f.DotHeight / 2;
    // The horizontal inset is the half height and the vertical one the half width.
    const TEdges inner{faceRect.Left + f.HalfH, faceRect.Top + f.HalfW, faceRect.Right - f.HalfH,
                       faceRect.Bottom - f.HalfW};
    f.FaceRadius = inner.width() / 2;
    f.FaceCenter = QPoint(inner.Left + f.FaceRadius, inner.Top + inner.height() / 2);
    f.Fine = f.DotWidth > 2 && f.DotHeight > 1;
    return f;
}

QPoint HandPoint(int pos, int length, QPoint center, const TDirectionTable &table)
{
    const TDirection &d = table[((pos % 60) + 60) % 60];
    return QPoint(center.x() + MulDiv(d.x, length, 8000), center.y() + MulDiv(d.y, length, 8000));
}

QPoint MarkPoint(int i, int faceRadius, QPoint faceCenter, const TDirectionTable &table)
{
    return HandPoint(i, faceRadius, faceCenter, table);
}

TEdges HourMarkRect(QPoint p, const TFaceLayout &face)
{
    const int left = p.x() - face.HalfW;
    const int top = p.y() - face.HalfH;
    return {left, top, left + face.DotWidth, top + face.DotHeight};
}

QList<QPoint> LinePixels(const TLine &line)
{
    QList<QPoint> pixels;
    int x = line.From.x();
    int y = line.From.y();
    const int x1 = line.To.x();
    const int y1 = line.To.y();
    const int dx = std::abs(x1 - x);
    const int dy = -std::abs(y1 - y);
    const int sx = x < x1 ? 1 : -1;
    const int sy = y < y1 ? 1 : -1;
    pixels.reserve(qMax(dx, -dy));
    int err = dx + dy;
    while (x != x1 || y != y1) {
        pixels.append(QPoint(x, y));
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
    return pixels;
}

TLine SecondHand(int pos, int faceRadius, QPoint faceCenter, const TDirectionTable &table)
{
    return {faceCenter, HandPoint(pos, faceRadius * 80 / 100, faceCenter, table)};
}

std::array<TLine, 4> BroadHand(int pos, THandKind kind, int faceRadius, QPoint faceCenter,
                               const TDirectionTable &table)
{
    const bool hour = kind == THandKind::Hour;
    const int halfWidth = faceRadius * (hour ? 7 : 5) / 100;
    const int tipLength = faceRadius * (hour ? 60 : 80) / 100;
    const int tailLength = faceRadius * (hour ? 15 : 20) / 100;
    const QPoint side = HandPoint(pos + 15, halfWidth, QPoint(), table);
    const QPoint tip = HandPoint(pos, tipLength, faceCenter, table);
    const QPoint tail = HandPoint(pos + 30, tailLength, faceCenter, table);
    return {{{faceCenter + side, tip},
             {faceCenter - side, tip},
             {faceCenter + side, tail},
             {faceCenter - side, tail}}};
}

} // namespace clockface

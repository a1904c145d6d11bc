#include "ui/BlockProgressBar.h"

#include "platform/ErrorReport.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int BlockWidth = 7;
constexpr int BlockGap = 2;
constexpr int BlockStride = BlockWidth + BlockGap;
constexpr int BandsPerHalf = 8;
constexpr int CornerEllipse = 6;

// value × numerator / 100, rounded half to even as the rest of the program rounds.
int ScaledRounded(int value, int numerator)
{
    const long long n = static_cast<long long>(value) * numerator;
    long long q = n / 100;
    const long long r = n % 100;
    if (r > 50 || (r == 50 && (q & 1)))
        ++q;
    return static_cast<int>(q);
}

QColor Step(const QColor &from, const QColor &to, int i, int steps)
{
    auto mix = [&](int a, int b) { return a + (b - a) * i / steps; };
    return QColor(mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue()));
}

// Rows top..top+height-1 in BandsPerHalf bands going from one colour to the other.
void FillBands(QPainter &p, int left, int width, int top, int height, const QColor &from, const QColor &to)
{
    for (int i = 0; i < BandsPerHalf; ++i) {
        const int y0 = top + i * height / BandsPerHalf;
        const int y1 = top + (i + 1) * height / BandsPerHalf;
        if (y1 > y0)
            p.fillRect(left, y0, width, y1 - y0, Step(from, to, i, BandsPerHalf - 1));
    }
}

} // namespace

TBlockProgressBar::TBlockProgressBar(QWidget *parent) : QWidget(parent)
{
    QFont f(QStringLiteral("Verdana"));
    f.setPixelSize(13); // 10 points at 96 dots per inch
    setFont(f);
}

void TBlockProgressBar::setPosition(int value)
{
    m_position = std::clamp(value, m_min, m_max);
    // The countdown waits right after setting the position: the new state must be on
    // screen before that, not whenever the queue gets to it.
    repaint();
}

int TBlockProgressBar::percent() const
{
    if (m_max == m_min)
        return 0;
    return static_cast<int>(std::nearbyint(double(m_position) / double(m_max - m_min) * 100.0));
}

int TBlockProgressBar::level(int percent)
{
    if (percent < 70)
        return 0;
    if (percent < 90)
        return 1;
    if (percent > 99)
        return 3;
    return 2;
}

QColor TBlockProgressBar::levelColor1(int level)
{
    static const QColor colors[] = {QColor(0, 255, 0), QColor(255, 255, 0), QColor(255, 169, 83),
                                    QColor(255, 0, 0)};
    return colors[std::clamp(level, 0, 3)];
}

QColor TBlockProgressBar::levelColor2(int level)
{
    static const QColor colors[] = {QColor(225, 255, 225), QColor(255, 255, 202), QColor(255, 211, 168),
                                    QColor(255, 202, 202)};
    return colors[std::clamp(level, 0, 3)];
}

void TBlockProgressBar::paintBlock(QPainter &p, int left, int width, int level) const
{
    const int top = 2;
    const int height = this->height() - 4;
    if (width <= 0 || height <= 0)
        return;
    const int upper = height / 2;
    const QColor c1 = levelColor1(level);
    const QColor c2 = levelColor2(level);
    FillBands(p, left, width, top, upper, c2, c1);
    FillBands(p, left, width, top + upper, height - upper, c1, c2);
}

QImage TBlockProgressBar::Paint() const
{
    QImage image(size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    if (image.isNull())
        return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(128, 128, 128));
    p.setBrush(QColor(255, 255, 255));
    // The outline runs through the centres of the outermost pixels, as on the original.
    p.drawRoundedRect(QRectF(0.5, 0.5, width() - 1, height() - 1), CornerEllipse / 2, CornerEllipse / 2,
                      Qt::AbsoluteSize);

    const int shownPercent = percent();
    if (shownPercent > 0) {
        const int barLevel = level(shownPercent);
        const int length = ScaledRounded(width() - 2, shownPercent);
        if (length < 10) {
            if (length > 1)
                paintBlock(p, 2, length - 1, barLevel);
        } else {
            const int blocks = length / BlockStride;
            for (int i = 0; i < blocks; ++i)
                paintBlock(p, 2 + i * BlockStride, BlockWidth, barLevel);
            const int rest = length % BlockStride;
            if (rest > 2)
                paintBlock(p, 2 + blocks * BlockStride, rest - 1, barLevel);
        }
    }

    p.setFont(font());
    p.setPen(palette().color(QPalette::WindowText));
    p.setBrush(Qt::NoBrush);
    p.drawText(QRect(QPoint(0, 0), size()), Qt::AlignCenter,
               QString::number(shownPercent) + QLatin1Char('%'));
    return image;
}

void TBlockProgressBar::paintEvent(QPaintEvent *)
{
    platform::Guarded([this] {
        QPainter p(this);
        p.drawImage(0, 0, Paint());
    });
}

// The block progress bar on its own: clamping, the frame, the blocks and their colours.
#include "BarCheck.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A window of an unmistakable colour behind the bar, so its transparent corners show.
class BarOnBackground
{
public:
    BarOnBackground()
    {
        QPalette pal = window.palette();
        pal.setColor(QPalette::Window, Behind);
        window.setPalette(pal);
        window.setAutoFillBackground(true);
        window.resize(473 + 20, 25 + 20);
        bar = new TBlockProgressBar(&window);
        bar->setGeometry(10, 10, 473, 25);
    }
    QImage grab() { return window.grab(bar->geometry()).toImage(); }

    static inline const QColor Behind{10, 20, 30};
    QWidget window;
    TBlockProgressBar *bar;
};

struct Case
{
    int set;         // position asked for
    int stored;      // position kept
    int level;       // colour level
    int filledTo;    // one past the last block column, 0 without blocks
    int partialFrom; // first column of a partial last block, 0 without one
};

class BarAt : public ::testing::TestWithParam<Case>
{
};

TEST_P(BarAt, ShowsItsBlocksAtTheirColumnsInTheLevelsColours)
{
    const Case c = GetParam();
    BarOnBackground b;
    b.bar->setPosition(c.set);
    EXPECT_EQ(b.bar->Position(), c.stored);
    EXPECT_EQ(b.bar->percent(), c.stored);
    EXPECT_EQ(TBlockProgressBar::level(c.stored), c.level);
    const QImage image = b.grab();
    barcheck::ExpectBar(image, c.stored, BarOnBackground::Behind);

    // The exact end of the fill, and where a partial block starts (two pixels after the
    // last whole block) or, for a short fill, the single block from column 2.
    const QColor edge = barcheck::LevelFor(c.stored).edge;
    if (c.filledTo > 0) {
        EXPECT_EQ(image.pixelColor(c.filledTo - 1, 2), edge);
        // Past the fill: white, or the frame when the fill reaches it.
        if (c.filledTo < 472)
            EXPECT_EQ(image.pixelColor(c.filledTo, 22), barcheck::White);
        else
            EXPECT_EQ(image.pixelColor(472, 12), barcheck::Gray);
        EXPECT_EQ(image.pixelColor(2, 2), edge);
        EXPECT_EQ(image.pixelColor(1, 12), barcheck::White);
    } else {
        for (int x = 2; x < 471; ++x)
            ASSERT_EQ(image.pixelColor(x, 2), barcheck::White) << x;
    }
    if (c.partialFrom > 0) {
        EXPECT_EQ(image.pixelColor(c.partialFrom, 22), edge);
        EXPECT_EQ(image.pixelColor(c.partialFrom - 1, 22), barcheck::White);
        EXPECT_EQ(image.pixelColor(c.partialFrom - 2, 22), barcheck::White);
        EXPECT_EQ(image.pixelColor(c.partialFrom - 3, 22), edge);
    }
}

// The fill length is 471 × percent / 100 rounded: 1 % fills 5 (one short block of 4),
// 9 % 42 (4 blocks and one of 5), 10 % 47 (5 blocks, the 2 left over too few for a block),
// 11 % 52 (5 blocks and one of 6), 50 % 235.5 to 236 (26 blocks), 100 % 471 (52 blocks
// and one of 2, in red).
INSTANTIATE_TEST_SUITE_P(Positions, BarAt,
                         ::testing::Values(Case{-5, 0, 0, 0, 0}, Case{0, 0, 0, 0, 0}, Case{1, 1, 0, 6, 0},
                                           Case{9, 9, 0, 43, 38}, Case{10, 10, 0, 45, 0},
                                           Case{11, 11, 0, 53, 47}, Case{50, 50, 0, 234, 0},
                                           Case{100, 100, 3, 472, 470}, Case{250, 100, 3, 472, 470}),
                         [](const auto &param) {
                             const int v = param.param.set;
                             return v < 0 ? "minus" + std::to_string(-v) : std::to_string(v);
                         });

TEST(BlockProgressBar, EachBlockIsAGradientOfEightBandsPerHalfFromTheEdgesToTheMiddle)
{
    BarOnBackground b;
    b.bar->setPosition(30);
    const QImage image = b.grab();
    // Column 5, inside the first block; rows 2 to 11 the upper half, 12 to 22 the lower.
    std::vector<QColor> upper, lower;
    for (int y = 2; y <= 11; ++y)
        if (upper.empty() || upper.back() != image.pixelColor(5, y))
            upper.push_back(image.pixelColor(5, y));
    for (int y = 12; y <= 22; ++y)
        if (lower.empty() || lower.back() != image.pixelColor(5, y))
            lower.push_back(image.pixelColor(5, y));
    ASSERT_EQ(upper.size(), 8u);
    ASSERT_EQ(lower.size(), 8u);
    EXPECT_EQ(upper.front(), QColor(225, 255, 225));
    EXPECT_EQ(upper.back(), QColor(0, 255, 0));
    EXPECT_EQ(lower.front(), QColor(0, 255, 0));
    EXPECT_EQ(lower.back(), QColor(225, 255, 225));
    for (size_t i = 1; i < 8; ++i) {
        // Evenly stepped: 225 / 7 apart, give or take the rounding.
        const int upStep = upper[i - 1].red() - upper[i].red();
        const int downStep = lower[i].red() - lower[i - 1].red();
        EXPECT_GE(upStep, 32);
        EXPECT_LE(upStep, 33);
        EXPECT_GE(downStep, 32);
        EXPECT_LE(downStep, 33);
        EXPECT_EQ(upper[i].green(), 255);
        EXPECT_EQ(upper[i].red(), upper[i].blue());
    }
}

TEST(BlockProgressBar, ThePercentageIsWrittenInTheMiddleInWindowText)
{
    BarOnBackground b;
    for (int position : {0, 42, 100}) {
        b.bar->setPosition(position);
        const QImage image = b.grab();
        int left = 473, right = -1, top = 25, bottom = -1;
        for (int y = 2; y < 23; ++y)
            for (int x = 2; x < 471; ++x)
                if (std::max({qRed(image.pixel(x, y)), qGreen(image.pixel(x, y)), qBlue(image.pixel(x, y))}) <
                    100) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                    top = std::min(top, y);
                    bottom = std::max(bottom, y);
                }
        ASSERT_GE(right, left) << "no text at " << position;
        QFont f(QStringLiteral("Verdana"));
        f.setPixelSize(13);
        const QRect ink = QFontMetrics(f).tightBoundingRect(QString::number(position) + QLatin1Char('%'));
        EXPECT_NEAR(right - left + 1, ink.width(), 2) << position;
        EXPECT_NEAR(left + right, 472, 3) << "centred across, at " << position;
        EXPECT_NEAR(top + bottom, 24, 4) << "centred down, at " << position;
    }
}

TEST(BlockProgressBar, SettingAPositionRepaintsBeforeReturning)
{
    BarOnBackground b;
    b.window.show();
    QApplication::processEvents();
    int paints = 0;
    struct Counter : QObject
    {
        int *n;
        explicit Counter(int *count) : n(count) {}
        bool eventFilter(QObject *, QEvent *e) override
        {
            *n += e->type() == QEvent::Paint;
            return false;
        }
    } counter(&paints);
    b.bar->installEventFilter(&counter);
    for (int position : {3, 250, -1}) {
        const int before = paints;
        b.bar->setPosition(position);
        EXPECT_EQ(paints, before + 1) << position;
    }
    EXPECT_EQ(b.bar->Position(), 0);
}

} // namespace

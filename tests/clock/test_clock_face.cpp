#include "support/Fakes.h"
#include "ui/ClockFace.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace clockface;

namespace {

platform::ScreenMetrics ScreenOf(QSize pixels, QSize mm)
{
    platform::ScreenMetrics s;
    s.resolution = pixels;
    s.physicalMm = mm;
    s.workArea = QRect(QPoint(0, 0), pixels);
    return s;
}

const TClockMetrics equal1920 = ClockMetricsFor(ScreenOf({1920, 1080}, {0, 0}));

} // namespace

TEST(DirectionTable, FollowsTheCircleWithinOneUnitAndKeepsTheStoredValues)
{
    const TDirectionTable &t = BaseDirectionTable();
    for (int i = 0; i < 60; ++i) {
        const double a = i * 6.0 * M_PI / 180.0;
        EXPECT_LE(std::abs(t[i].x - std::trunc(8000 * std::sin(a))), 1) << i;
        EXPECT_LE(std::abs(t[i].y - std::trunc(-8000 * std::cos(a))), 1) << i;
    }
    // The entries stored one unit inside the circle, and their exact neighbours.
    const struct
    {
        int i, x, y;
    } stored[] = {
        {0, 0, -7999},      {5, 3999, -6928},   {10, 6928, -4000}, {15, 8000, 0},      {20, 6928, 4000},
        {25, 3999, 6928},   {30, 0, 7999},      {35, -4000, 6928}, {40, -6928, 3999},  {45, -7999, 0},
        {50, -6928, -4000}, {55, -3999, -6928}, {7, 5353, -5945},  {53, -5353, -5945},
    };
    for (const auto &s : stored) {
        EXPECT_EQ(t[s.i].x, s.x) << s.i;
        EXPECT_EQ(t[s.i].y, s.y) << s.i;
    }
}

TEST(ClockMetrics, DensitiesPerHundredMillimetresAndTheScaledTable)
{
    // 1920 × 100 div 520 = 369, 1200 × 100 div 290 = 413.
    const TClockMetrics m = ClockMetricsFor(ScreenOf({1920, 1200}, {520, 290}));
    EXPECT_EQ(m.HorzDensity, 369);
    EXPECT_EQ(m.VertDensity, 413);
    EXPECT_EQ(m.ScreenWidth, 1920);
    EXPECT_EQ(m.scaleToVert(100), 111);   // 41300 / 369 = 111.9
    EXPECT_EQ(m.scaleToHorz(100), 89);    // 36900 / 413 = 89.3
    EXPECT_EQ(m.scaleToVert(-100), -111); // toward zero
    // Only y is scaled: -7999 × 413 / 369 = -8952.8.
    EXPECT_EQ(m.DirectionTable[0].x, 0);
    EXPECT_EQ(m.DirectionTable[0].y, -8952);
    EXPECT_EQ(m.DirectionTable[15].x, 8000);
    EXPECT_EQ(m.DirectionTable[15].y, 0);
    EXPECT_EQ(m.DirectionTable[20].x, 6928);
    EXPECT_EQ(m.DirectionTable[20].y, 4476); // 4000 × 413 / 369 = 4476.9
}

TEST(ClockMetrics, AScreenWithoutPhysicalSizeGetsEqualDensities)
{
    for (const QSize mm : {QSize(0, 0), QSize(0, 300), QSize(500, 0)}) {
        const TClockMetrics m = ClockMetricsFor(ScreenOf({1920, 1080}, mm));
        EXPECT_EQ(m.HorzDensity, m.VertDensity) << mm.width() << "x" << mm.height();
        EXPECT_EQ(m.scaleToVert(1234), 1234);
        EXPECT_EQ(m.ScreenWidth, 1920);
        for (int i = 0; i < 60; ++i)
            EXPECT_EQ(m.DirectionTable[i].y, BaseDirectionTable()[i].y);
    }
}

TEST(ClockMetrics, ProcessWideMetricsComeFromTheScreenOnceUntilReset)
{
    {
        testing_support::FakeScreen screen(ScreenOf({1000, 500}, {250, 250}));
        ResetClockMetrics();
        EXPECT_EQ(ClockMetrics().HorzDensity, 400);
        EXPECT_EQ(ClockMetrics().VertDensity, 200);
        screen.set(ScreenOf({1920, 1080}, {0, 0}));
        EXPECT_EQ(ClockMetrics().VertDensity, 200); // kept for the process
        ResetClockMetrics();
        EXPECT_EQ(ClockMetrics().VertDensity, ClockMetrics().HorzDensity);
    }
    ResetClockMetrics();
}

TEST(FitFaceRect, CentresASquareFaceOnTheLongAxis)
{
    const TClockMetrics tallPixels = ClockMetricsFor(ScreenOf({1000, 1000}, {250, 125})); // 400, 800
    const struct
    {
        const TClockMetrics &metrics;
        TEdges client;
        TEdges face;
    } cases[] = {
        // Wide: inner 398 × 198, the face 198 wide, moved right by 100.
        {equal1920, {0, 0, 400, 200}, {101, 1, 299, 199}},
        // Tall: inner 198 × 398, the face 198 high, moved down by 100.
        {equal1920, {0, 0, 200, 400}, {1, 101, 199, 299}},
        // Square: nothing to centre.
        {equal1920, {0, 0, 100, 100}, {1, 1, 99, 99}},
        // Odd leftover: (399 - 198) div 2 = 100.
        {equal1920, {0, 0, 401, 200}, {101, 1, 299, 199}},
        // Pixels twice as high as wide: 198 × 400 div 800 = 99 wide.
        {tallPixels, {0, 0, 400, 200}, {150, 1, 249, 199}},
        // The same client elsewhere: the offsets carry over.
        {tallPixels, {10, 20, 410, 220}, {160, 21, 259, 219}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FitFaceRect(c.client, c.metrics), c.face) << c.client.Right << "x" << c.client.Bottom;
}

TEST(HourHandPosition, FiveStepsPerHourAndOneEveryTwelveMinutes)
{
    const struct
    {
        int h, m, pos;
    } cases[] = {
        {3, 24, 17}, {3, 36, 18}, {3, 35, 17},  {15, 36, 18},
        {0, 0, 0},   {12, 0, 0},  {11, 59, 59}, {23, 48, 59},
    };
    for (const auto &c : cases)
        EXPECT_EQ(HourHandPosition(c.h, c.m), c.pos) << c.h << ":" << c.m;
}

TEST(LighterColor, ChannelRules)
{
    const QColor highlight(250, 251, 252);
    const struct
    {
        QColor in, out;
    } cases[] = {
        {QColor(0, 128, 128), QColor(0, 255, 255)}, // teal gives aqua
        {QColor(192, 0, 64), QColor(255, 0, 191)},
        {QColor(128, 128, 128), QColor(255, 255, 255)},
        {QColor(0, 255, 0), highlight}, // any channel at 255
        {QColor(10, 20, 255), highlight},
        {QColor(200, 0, 1), QColor(255, 0, 128)}, // past 8 bits stays at 255
    };
    for (const auto &c : cases)
        EXPECT_EQ(LighterColor(c.in, highlight), c.out) << c.in.name().toStdString();
}

TEST(LayoutFace, MarksAreFineFromThreeTwentyFifthsOfTheScreenWidth)
{
    const struct
    {
        int width;
        int dotWidth, dotHeight;
        bool fine;
    } cases[] = {
        {141, 2, 1, false}, // 141 × 25 div 1920 = 1: 1 high (taken before), then 2 wide
        {230, 2, 2, false}, // 2.99
        {231, 3, 3, true},  // 3.007
        {384, 5, 5, true},
    };
    for (const auto &c : cases) {
        const TFaceLayout f = LayoutFace({10, 20, 10 + c.width, 20 + c.width}, equal1920);
        EXPECT_EQ(f.DotWidth, c.dotWidth) << c.width;
        EXPECT_EQ(f.DotHeight, c.dotHeight) << c.width;
        EXPECT_EQ(f.Fine, c.fine) << c.width;
    }
}

TEST(LayoutFace, RadiusAndCentreInsideTheHalfMarks)
{
    // 384 wide: DotWidth = DotHeight = 5, halves 2; inner (102, 52, 482, 432).
    const TFaceLayout f = LayoutFace({100, 50, 484, 434}, equal1920);
    EXPECT_EQ(f.HalfW, 2);
    EXPECT_EQ(f.HalfH, 2);
    EXPECT_EQ(f.FaceRadius, 190);
    EXPECT_EQ(f.FaceCenter, QPoint(292, 242));
    // Hour mark at 3 o'clock: P = (292 + 190, 242), the mark 5 × 5 from P − (2, 2).
    const QPoint p = MarkPoint(15, f.FaceRadius, f.FaceCenter, equal1920.DirectionTable);
    EXPECT_EQ(p, QPoint(482, 242));
    EXPECT_EQ(HourMarkRect(p, f), (TEdges{480, 240, 485, 245}));
    // 12 o'clock: -7999 × 190 div 8000 = -189.
    EXPECT_EQ(MarkPoint(0, f.FaceRadius, f.FaceCenter, equal1920.DirectionTable), QPoint(292, 53));
}

TEST(Hands, EndPointsAndKiteVertices)
{
    const QPoint c(200, 150);
    const TDirectionTable &t = equal1920.DirectionTable;
    // Second hand: 80 of a radius of 100; -7999 × 80 div 8000 = -79.
    EXPECT_EQ(SecondHand(0, 100, c, t), (TLine{c, {200, 71}}));
    EXPECT_EQ(SecondHand(15, 100, c, t), (TLine{c, {280, 150}}));
    // 7608 × 80 div 8000 = 76, 2472 × 80 div 8000 = 24.
    EXPECT_EQ(SecondHand(18, 100, c, t), (TLine{c, {276, 174}}));

    // Hour hand at 03:24 (position 17), radius 100: half-width 7, tip 60, tail 15.
    // Side: entry 32 (-1663, 7825) × 7 → (-1, 6); tip: entry 17 (7825, 1663) × 60 → (58, 12);
    // tail: entry 47 (-7825, -1663) × 15 → (-14, -3).
    const auto hour = BroadHand(HourHandPosition(3, 24), THandKind::Hour, 100, c, t);
    const std::array<TLine, 4> hourExpected = {{
        {{199, 156}, {258, 162}},
        {{201, 144}, {258, 162}},
        {{199, 156}, {186, 147}},
        {{201, 144}, {186, 147}},
    }};
    EXPECT_EQ(hour, hourExpected);

    // Minute hand at 36 minutes, radius 100: half-width 5, tip 80, tail 20.
    // Side: entry 51 (-6472, -4702) × 5 → (-4, -2); tip: entry 36 (-4702, 6472) × 80 → (-47, 64);
    // tail: entry 6 (4702, -6472) × 20 → (11, -16).
    const auto minute = BroadHand(36, THandKind::Minute, 100, c, t);
    const std::array<TLine, 4> minuteExpected = {{
        {{196, 148}, {153, 214}},
        {{204, 152}, {153, 214}},
        {{196, 148}, {211, 134}},
        {{204, 152}, {211, 134}},
    }};
    EXPECT_EQ(minute, minuteExpected);
}

TEST(LinePixels, FromTheStartUpToButNotIncludingTheEnd)
{
    const struct
    {
        TLine line;
        QList<QPoint> pixels;
    } cases[] = {
        {{{2, 2}, {6, 2}}, {{2, 2}, {3, 2}, {4, 2}, {5, 2}}},
        {{{6, 2}, {2, 2}}, {{6, 2}, {5, 2}, {4, 2}, {3, 2}}},
        {{{5, 9}, {5, 6}}, {{5, 9}, {5, 8}, {5, 7}}},
        {{{0, 0}, {3, 3}}, {{0, 0}, {1, 1}, {2, 2}}},
        {{{0, 0}, {4, -2}}, {{0, 0}, {1, -1}, {2, -1}, {3, -2}}},
        {{{7, 7}, {7, 7}}, {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LinePixels(c.line), c.pixels) << c.line.To.x() << "," << c.line.To.y();
    // Steep and shallow lines: one pixel per step of the longer axis, each step by one.
    for (const TLine l : {TLine{{10, 10}, {13, 40}}, TLine{{10, 10}, {-30, 1}}}) {
        const QList<QPoint> px = LinePixels(l);
        EXPECT_EQ(px.size(), qMax(std::abs(l.To.x() - l.From.x()), std::abs(l.To.y() - l.From.y())));
        for (int i = 1; i < px.size(); ++i)
            EXPECT_LE(qMax(std::abs(px[i].x() - px[i - 1].x()), std::abs(px[i].y() - px[i - 1].y())), 1);
        const QPoint last = px.back();
        EXPECT_LE(qMax(std::abs(l.To.x() - last.x()), std::abs(l.To.y() - last.y())), 1);
    }
}

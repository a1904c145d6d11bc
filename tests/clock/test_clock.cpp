#include "platform/Exception.h"
#include "platform/Regional.h"
#include "platform/Screen.h"
#include "platform/uMisc.h"
#include "support/Fakes.h"
#include "ui/Clock.h"
#include "ui/ClockFace.h"
#include "ui/ClockTimer.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>

using testing_support::ErrorRecorder;
using testing_support::FakePump;
using testing_support::FakeTime;
using namespace clockface;

namespace {

const QColor Black(0, 0, 0);
const QColor Aqua(0, 255, 255);
const QColor Purple(128, 0, 128);
const QColor Teal(0, 128, 128);
const QDate Day(2026, 12, 10);

// The clock as the main window sets it up, without ticking: the test issues the ticks.
class TestClock : public TClock
{
public:
    TestClock() : TClock(nullptr, false)
    {
        QPalette pal = palette();
        pal.setColor(QPalette::Window, Black);
        pal.setColor(QPalette::WindowText, Aqua);
        setPalette(pal);
        QFont f(QStringLiteral("Tahoma"));
        f.setPixelSize(64);
        setFont(f);
        setHoursHandColor(Aqua);
        setMinutesHandColor(Aqua);
        setSecondsHandColor(Purple);
        OnGetTime = [this](QObject *sender, QTime &t) {
            EXPECT_EQ(sender, this);
            ++reads;
            if (onRead)
                onRead(t);
        };
    }
    int reads = 0;
    std::function<void(QTime &)> onRead;
};

void Drain()
{
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
}

QImage Rgb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_RGB32);
}

struct TCells
{
    int width, height, left, top;
    QRect cell(int i) const { return QRect(left + i * width, top, width, height); }
};

TCells CellsFor(const QFont &font, QSize area)
{
    const QFontMetrics fm(font);
    const int w = fm.horizontalAdvance(QLatin1Char('8'));
    const int h = fm.height();
    return {w, h, (area.width() - 8 * w) / 2, (area.height() - h) / 2};
}

// The digital text drawn independently of the control: each character's cell filled, then
// the character centred in it, unclipped.
QImage DigitalImage(const QFont &font, QSize area, const QString &text)
{
    QImage image(area, QImage::Format_RGB32);
    image.fill(Black);
    QPainter p(&image);
    p.setFont(font);
    p.setPen(Aqua);
    const TCells cells = CellsFor(font, area);
    for (int i = 0; i < text.size(); ++i) {
        p.fillRect(cells.cell(i), Black);
        p.drawText(cells.cell(i), Qt::AlignCenter | Qt::TextDontClip, QString(text[i]));
    }
    return image;
}

class ClockTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        platform::ScreenMetrics screen;
        screen.resolution = QSize(1920, 1080);
        screen.physicalMm = QSize(0, 0); // equal densities
        screen.workArea = QRect(0, 0, 1920, 1040);
        m_screen.emplace(screen);
        ResetClockMetrics();
    }
    void TearDown() override
    {
        m_screen.reset();
        ResetClockMetrics();
    }

    std::optional<testing_support::FakeScreen> m_screen;

    void At(const QTime &t) { time.set(QDateTime(Day, t)); }

    // A clock of the given size, fully drawn at the given time, with its reads counted afresh.
    std::unique_ptr<TestClock> MakeClock(const QTime &t, QSize size, TShowClock mode = scDigital)
    {
        At(t);
        auto clock = std::make_unique<TestClock>();
        clock->setShowMode(mode);
        clock->resize(size);
        clock->show();
        clock->requestFullRepaint();
        Drain();
        clock->reads = 0;
        return clock;
    }

    FakeTime time{QDateTime(Day, QTime(12, 0))};
    FakePump pump{time};
    testing_support::FakeRegional regional{platform::FormatSettings()};
};

} // namespace

// ---------------------------------------------------------------- readings

TEST_F(ClockTest, TimeReadingsPerDrawing)
{
    const struct
    {
        const char *what;
        TShowClock mode;
        QTime from, to;
        std::function<void(TestClock &)> act;
        int reads;
    } cases[] = {
        {"analog tick", scAnalog, {10, 0, 0}, {10, 0, 1}, [](TestClock &c) { c.HandleTick(); }, 2},
        {"analog tick, same second",
         scAnalog,
         {10, 0, 0},
         {10, 0, 0},
         [](TestClock &c) { c.HandleTick(); },
         2},
        {"digital tick", scDigital, {10, 0, 0}, {10, 0, 1}, [](TestClock &c) { c.HandleTick(); }, 3},
        {"digital tick, same second",
         scDigital,
         {10, 0, 0},
         {10, 0, 0},
         [](TestClock &c) { c.HandleTick(); },
         3},
        {"digital tick, new hour",
         scDigital,
         {9, 59, 59},
         {10, 0, 0},
         [](TestClock &c) { c.HandleTick(); },
         4},
        {"digital tick, noon", scDigital, {11, 59, 59}, {12, 0, 0}, [](TestClock &c) { c.HandleTick(); }, 4},
        {"digital full repaint",
         scDigital,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             c.requestFullRepaint();
             Drain();
         },
         2},
        {"analog full repaint",
         scAnalog,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             c.requestFullRepaint();
             Drain();
         },
         0},
        {"switch to analog",
         scDigital,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             c.setShowMode(scAnalog);
             Drain();
         },
         0},
        {"switch to digital",
         scAnalog,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             c.setShowMode(scDigital);
             Drain();
         },
         2},
        {"font change, digital",
         scDigital,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             QFont f = c.font();
             f.setPixelSize(40);
             c.setFont(f);
             Drain();
         },
         2},
        {"resize, digital",
         scDigital,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             c.resize(500, 300);
             Drain();
         },
         2},
        {"colour change, analog",
         scAnalog,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             c.setDotsColor(Purple);
             c.setColor(Teal);
             Drain();
         },
         0},
        {"several requests at once",
         scDigital,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             c.setDotsColor(Purple);
             c.setShowSeconds(false);
             c.requestFullRepaint();
             Drain();
         },
         2},
        {"loading finished", scDigital, {10, 0, 0}, {10, 0, 5}, [](TestClock &c) { c.loaded(); }, 1},
        {"system time changed",
         scDigital,
         {10, 0, 0},
         {10, 0, 5},
         [](TestClock &c) {
             c.timeChanged();
             Drain();
         },
         3},
    };
    for (const auto &c : cases) {
        auto clock = MakeClock(c.from, QSize(400, 200), c.mode);
        At(c.to);
        c.act(*clock);
        EXPECT_EQ(clock->reads, c.reads) << c.what;
    }
}

TEST_F(ClockTest, TheHandlerCanReplaceTheTimeShown)
{
    auto clock = MakeClock(QTime(10, 0, 0), QSize(400, 200));
    clock->onRead = [](QTime &t) { t = QTime(21, 30, 15); };
    clock->requestFullRepaint();
    Drain();
    EXPECT_EQ(Rgb(clock->surface()), DigitalImage(clock->font(), clock->size(), "21:30:15"));
    EXPECT_EQ(clock->DisplayedTime(), (TClock::TDisplayedTime{9, 30, 15})); // hour modulo 12
}

// ---------------------------------------------------------------- digital

TEST_F(ClockTest, DigitalTicksRedrawOnlyTheCellsThatChanged)
{
    const QSize area(400, 200);
    auto clock = MakeClock(QTime(9, 59, 59), area);
    const TCells cells = CellsFor(clock->font(), area);
    ASSERT_GT(cells.width, 10);
    EXPECT_EQ(Rgb(clock->surface()), DigitalImage(clock->font(), area, "09:59:59"));

    const struct
    {
        QTime to;
        QList<QRect> drawn;
        const char *text;
    } steps[] = {
        {{10, 0, 0}, {clock->rect()}, "10:00:00"}, // new hour: the whole control
        {{10, 0, 58}, {cells.cell(6), cells.cell(7)}, "10:00:58"},
        {{10, 0, 59}, {cells.cell(6), cells.cell(7)}, "10:00:59"},
        {{10, 0, 59, 400}, {}, "10:00:59"}, // the second did not change
        {{10, 1, 0}, {cells.cell(3), cells.cell(4), cells.cell(6), cells.cell(7)}, "10:01:00"},
        {{10, 1, 0, 800}, {}, "10:01:00"},
        {{23, 59, 59}, {clock->rect()}, "23:59:59"},
        {{0, 0, 0}, {clock->rect()}, "00:00:00"}, // 11 to 0
    };
    for (const auto &s : steps) {
        At(s.to);
        clock->HandleTick();
        EXPECT_EQ(clock->lastDrawn(), s.drawn) << s.text;
        EXPECT_EQ(Rgb(clock->surface()), DigitalImage(clock->font(), area, s.text)) << s.text;
    }
}

TEST_F(ClockTest, EveryDigitInEveryCellLooksAsIfDrawnDirectly)
{
    // Ticks copy the cells they drew once; glyphs that come close to the edges of their cell
    // must look the same as where they are drawn directly, and so must the neighbours.
    const QSize area(400, 200);
    auto clock = MakeClock(QTime(10, 8, 0), area);
    for (int s = 1; s < 60; ++s) {
        const QTime t(10, 8 + s % 2, s);
        At(t);
        clock->HandleTick();
        const QString text = t.toString(QStringLiteral("HH:mm:ss"));
        ASSERT_EQ(Rgb(clock->surface()), DigitalImage(clock->font(), area, text)) << text.toStdString();
    }
}

TEST_F(ClockTest, TheTextIsCentredInCellsAsWideAsADigit)
{
    const QSize area(700, 300);
    auto clock = MakeClock(QTime(14, 5, 9), area);
    const QImage image = Rgb(clock->surface());
    const TCells cells = CellsFor(clock->font(), area);
    // The cells are centred: the line's left and right margins differ by at most a pixel.
    EXPECT_LE(std::abs(cells.left - (area.width() - cells.left - 8 * cells.width)), 1);
    // Every pixel of the text lies inside the line of cells, and the colon cells carry ink.
    int inkLeft = area.width(), inkRight = -1;
    for (int y = 0; y < area.height(); ++y)
        for (int x = 0; x < area.width(); ++x)
            if (image.pixelColor(x, y) != Black) {
                inkLeft = qMin(inkLeft, x);
                inkRight = qMax(inkRight, x);
                EXPECT_TRUE(QRect(cells.left, cells.top, 8 * cells.width, cells.height).contains(x, y))
                    << x << "," << y;
            }
    EXPECT_LT(inkLeft, cells.cell(0).right());
    EXPECT_GT(inkRight, cells.cell(7).left());
    for (int i : {2, 5}) {
        bool ink = false;
        for (int y = cells.top; y < cells.top + cells.height; ++y)
            for (int x = cells.cell(i).left(); x <= cells.cell(i).right(); ++x)
                ink = ink || image.pixelColor(x, y) == Aqua;
        EXPECT_TRUE(ink) << i;
    }
}

TEST_F(ClockTest, TheSeparatorComesFromTheRegionalSettingsAndAChangeRepaintsAtOnce)
{
    auto clock = MakeClock(QTime(14, 5, 9), QSize(400, 200));
    platform::TFormatSettings dotted = platform::FormatSettings();
    dotted.TimeSeparator = QLatin1Char('.');
    regional.set(dotted);
    Drain();
    EXPECT_EQ(clock->reads, 2);
    EXPECT_EQ(Rgb(clock->surface()), DigitalImage(clock->font(), clock->size(), "14.05.09"));

    platform::TFormatSettings colon = dotted;
    colon.TimeSeparator = QLatin1Char(':');
    regional.set(colon);
    Drain();
    EXPECT_EQ(Rgb(clock->surface()), DigitalImage(clock->font(), clock->size(), "14:05:09"));

    // A separator wider than a digit reaches into the cells beside it.
    platform::TFormatSettings wide = dotted;
    wide.TimeSeparator = QChar(0x2014); // em dash
    regional.set(wide);
    Drain();
    EXPECT_EQ(Rgb(clock->surface()),
              DigitalImage(clock->font(), clock->size(), QStringLiteral("14\u201405\u201409")));
}

TEST_F(ClockTest, AFontChangeRepaintsInFull)
{
    auto clock = MakeClock(QTime(14, 5, 9), QSize(400, 200));
    QFont f = clock->font();
    f.setPixelSize(30);
    clock->setFont(f);
    Drain();
    EXPECT_EQ(clock->lastDrawn(), QList<QRect>{clock->rect()});
    EXPECT_EQ(Rgb(clock->surface()), DigitalImage(f, clock->size(), "14:05:09"));
}

// ---------------------------------------------------------------- analog

TEST_F(ClockTest, TheFaceIsCentredOnTheLongAxis)
{
    const struct
    {
        QSize area;
        QRect face;
    } cases[] = {
        {{300, 233}, {34, 1, 231, 231}},
        {{233, 400}, {1, 84, 231, 231}},
    };
    for (const auto &c : cases) {
        auto clock = MakeClock(QTime(3, 24, 0), c.area, scAnalog);
        EXPECT_EQ(clock->FaceRect(), c.face);
    }
    auto clock = MakeClock(QTime(3, 24, 0), QSize(300, 233), scAnalog);
    // 231 wide: marks 3 × 3, inset 1: radius 229 div 2, centre (35 + 114, 2 + 114).
    EXPECT_EQ(clock->FaceRadius(), 114);
    EXPECT_EQ(clock->FaceCenter(), QPoint(149, 116));
}

TEST_F(ClockTest, SmallFacesHaveTwelveFlatMarksLargerOnes3DMarksAndMinuteDots)
{
    // Face widths 141 (DotWidth 1, so 2 × 1) and 230 (DotWidth 2) are flat; 231 is fine.
    for (const int faceWidth : {141, 230, 231, 300}) {
        auto clock = MakeClock(QTime(6, 30, 0), QSize(faceWidth + 100, faceWidth + 2), scAnalog);
        ASSERT_EQ(clock->FaceRect().width(), faceWidth);
        const QImage image = Rgb(clock->surface());
        const TFaceLayout f = LayoutFace(TEdges::from(clock->FaceRect()), ClockMetrics());
        const bool fine = faceWidth >= 231;
        ASSERT_EQ(f.Fine, fine);
        const QPalette &pal = clock->palette();
        // As the 8-bit image holds them.
        const QColor highlight(pal.color(QPalette::Light).rgb());
        const QColor shadow(pal.color(QPalette::Dark).rgb());
        const QColor frame(pal.color(QPalette::Shadow).rgb());
        for (int i = 0; i < 60; ++i) {
            const QPoint p =
                MarkPoint(i, clock->FaceRadius(), clock->FaceCenter(), ClockMetrics().DirectionTable);
            if (i % 5 == 0) {
                const QRect r(p - QPoint(f.HalfW, f.HalfH), QSize(f.DotWidth, f.DotHeight));
                for (int y = r.top(); y <= r.bottom(); ++y)
                    for (int x = r.left(); x <= r.right(); ++x) {
                        QColor want = Aqua;
                        if (fine) {
                            if (x == r.right() || y == r.bottom())
                                want = frame;
                            else if (x == r.left() || y == r.top())
                                want = Aqua; // LighterColor(teal)
                            else
                                want = Teal;
                        }
                        EXPECT_EQ(image.pixelColor(x, y), want)
                            << faceWidth << " mark " << i << " at " << x << "," << y;
                    }
                // Nothing of the mark outside its rectangle.
                EXPECT_EQ(image.pixelColor(r.right() + 1, r.bottom() + 1), Black)
                    << faceWidth << " mark " << i;
                EXPECT_EQ(image.pixelColor(r.left() - 1, r.top() - 1), Black) << faceWidth << " mark " << i;
            } else if (fine) {
                EXPECT_EQ(image.pixelColor(p), Black) << i;
                EXPECT_EQ(image.pixelColor(p - QPoint(1, 1)), shadow) << i;
                EXPECT_EQ(image.pixelColor(p + QPoint(0, -1)), shadow) << i;
                EXPECT_EQ(image.pixelColor(p + QPoint(-1, 0)), shadow) << i;
                EXPECT_EQ(image.pixelColor(p + QPoint(1, 0)), highlight) << i;
                EXPECT_EQ(image.pixelColor(p + QPoint(0, 1)), highlight) << i;
                EXPECT_EQ(image.pixelColor(p + QPoint(1, 1)), highlight) << i;
            } else {
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx)
                        EXPECT_EQ(image.pixelColor(p + QPoint(dx, dy)), Black) << faceWidth << " dot " << i;
            }
        }
        if (!fine) {
            bool teal = false;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    teal = teal || image.pixelColor(x, y) == Teal;
            EXPECT_FALSE(teal) << faceWidth;
        }
    }
}

TEST_F(ClockTest, WithoutThe3DLookFineFacesHaveFlatMarksAndSingleDots)
{
    auto clock = MakeClock(QTime(6, 30, 0), QSize(400, 302), scAnalog);
    clock->setCtl3D(false);
    const QImage image = Rgb(clock->surface());
    const TFaceLayout f = LayoutFace(TEdges::from(clock->FaceRect()), ClockMetrics());
    ASSERT_TRUE(f.Fine);
    const QPoint hourMark =
        MarkPoint(10, clock->FaceRadius(), clock->FaceCenter(), ClockMetrics().DirectionTable);
    EXPECT_EQ(image.pixelColor(hourMark - QPoint(f.HalfW, f.HalfH)), Aqua);
    const QPoint dot = MarkPoint(12, clock->FaceRadius(), clock->FaceCenter(), ClockMetrics().DirectionTable);
    EXPECT_EQ(image.pixelColor(dot), Aqua);
    EXPECT_EQ(image.pixelColor(dot + QPoint(1, 1)), Black);
}

TEST_F(ClockTest, HandsAreOutlinedKitesAndALineWithoutItsEndPixel)
{
    auto clock = MakeClock(QTime(3, 24, 0), QSize(300, 233), scAnalog);
    const QImage image = Rgb(clock->surface());
    const QPoint c = clock->FaceCenter();
    const TDirectionTable &table = ClockMetrics().DirectionTable;
    // Second hand straight up: L = 91, end 90 pixels up, not drawn itself.
    for (int y = c.y() - 89; y <= c.y(); ++y)
        EXPECT_EQ(image.pixelColor(c.x(), y), Purple) << y;
    EXPECT_EQ(image.pixelColor(c.x(), c.y() - 90), Black);
    EXPECT_EQ(SecondHand(0, clock->FaceRadius(), c, table).To, QPoint(c.x(), c.y() - 90));

    for (const auto &[pos, kind] :
         {std::pair{HourHandPosition(3, 24), THandKind::Hour}, std::pair{24, THandKind::Minute}}) {
        const auto lines = BroadHand(pos, kind, clock->FaceRadius(), c, table);
        // The sides start lines and are drawn; tip and tail only end lines and stay empty.
        EXPECT_EQ(image.pixelColor(lines[0].From), Aqua) << pos;
        EXPECT_EQ(image.pixelColor(lines[1].From), Aqua) << pos;
        EXPECT_EQ(image.pixelColor(lines[0].To), Black) << pos;
        EXPECT_EQ(image.pixelColor(lines[2].To), Black) << pos;
        // A point along each outline, away from its ends, is drawn; the middle is not filled.
        for (const TLine &l : lines) {
            const QPoint mid = (l.From * 3 + l.To) / 4;
            bool near = false;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    near = near || image.pixelColor(mid + QPoint(dx, dy)) == Aqua;
            EXPECT_TRUE(near) << pos;
        }
    }
    // Between the sides of the hour hand, half way to its tip: not filled.
    const auto hour = BroadHand(17, THandKind::Hour, clock->FaceRadius(), c, table);
    EXPECT_EQ(image.pixelColor((c + hour[0].To) / 2), Black);
}

// The bounding rectangle of the pixels that differ between two images of the same size.
QRect ChangedPixels(const QImage &a, const QImage &b)
{
    QRect changed;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                changed |= QRect(x, y, 1, 1);
    return changed;
}

// A tick sends only a part of the surface to the screen: that part must hold every pixel the
// tick changed, or the window would keep stale pixels; and it stays small, since every byte
// of it travels to the window system once a second.
TEST_F(ClockTest, WhatATickShowsHoldsEveryPixelItChangedAndLittleMore)
{
    const QSize area(400, 200);
    QFont leaning(QStringLiteral("Liberation Serif"));
    leaning.setItalic(true);
    leaning.setPixelSize(110); // glyphs that reach out of their cells
    const struct
    {
        TShowClock mode;
        bool leaningFont, showSeconds;
    } cases[] = {
        {scDigital, false, true},
        {scDigital, true, true},
        {scAnalog, false, true},
        {scAnalog, false, false},
    };
    for (const auto &c : cases) {
        const QTime start(10, 58, 50);
        auto clock = MakeClock(start, area, c.mode);
        clock->setShowSeconds(c.showSeconds);
        if (c.leaningFont)
            clock->setFont(leaning);
        Drain();
        const TCells cells = CellsFor(clock->font(), area);
        bool beyondCells = false;
        for (int s = 1; s <= 75; ++s) { // through a minute and an hour
            const QImage before = clock->surface().copy();
            const QTime t = start.addSecs(s);
            At(t);
            clock->HandleTick();
            const QRect changed = ChangedPixels(before, clock->surface());
            const QRect shown = clock->lastShown();
            const std::string what = t.toString().toStdString() +
                                     (c.mode == scDigital ? " digital" : " analog") +
                                     (c.leaningFont ? " leaning" : "") + (c.showSeconds ? "" : " no seconds");
            ASSERT_TRUE(changed.isEmpty() || shown.contains(changed)) << what;
            beyondCells |= !cells.cell(6).united(cells.cell(7)).contains(shown);
            if (c.mode == scDigital && !c.leaningFont && t.second() % 10 != 0) {
                EXPECT_TRUE(cells.cell(7).contains(shown)) << what; // only the last digit
            }
            if (c.mode == scAnalog && t.second() != 0) {
                const QRect face = clock->FaceRect();
                EXPECT_LE(4 * shown.width() * shown.height(), face.width() * face.height()) << what;
            }
            if (!c.showSeconds && t.second() != 0) {
                EXPECT_TRUE(shown.isEmpty()) << what;
            }
        }
        if (c.leaningFont) { // drawn as text, with the margin a glyph may overhang
            EXPECT_TRUE(beyondCells);
        }
    }
}

TEST_F(ClockTest, AnalogTicksEraseAndRedrawTheHandsAsAFullDrawingWould)
{
    const QSize area(300, 233);
    const struct
    {
        QTime from, to;
    } steps[] = {
        {{3, 24, 0}, {3, 24, 1}},   // second hand only
        {{3, 24, 59}, {3, 25, 0}},  // minute hand too
        {{3, 35, 59}, {3, 36, 0}},  // the hour hand moves from 17 to 18
        {{11, 59, 59}, {12, 0, 0}}, // 11 to 0
    };
    for (const auto &s : steps) {
        auto clock = MakeClock(s.from, area, scAnalog);
        At(s.to);
        clock->HandleTick();
        EXPECT_FALSE(clock->lastDrawn().isEmpty());
        const auto fresh = MakeClock(s.to, area, scAnalog);
        EXPECT_EQ(Rgb(clock->surface()), Rgb(fresh->surface())) << s.to.toString().toStdString();
        const QTime shown(clock->DisplayedTime().Hour, clock->DisplayedTime().Minute,
                          clock->DisplayedTime().Second);
        EXPECT_EQ(shown, QTime(s.to.hour() % 12, s.to.minute(), s.to.second()));
    }
}

TEST_F(ClockTest, ATickInTheSameSecondDrawsNothing)
{
    for (const TShowClock mode : {scDigital, scAnalog}) {
        auto clock = MakeClock(QTime(3, 24, 0, 100), QSize(300, 233), mode);
        const QImage before = clock->surface().copy();
        At(QTime(3, 24, 0, 550));
        clock->HandleTick();
        EXPECT_TRUE(clock->lastDrawn().isEmpty()) << mode;
        EXPECT_EQ(clock->surface(), before) << mode;
    }
}

TEST_F(ClockTest, AnAnalogRepaintAfterDigitalShowsTheTimeLastDrawn)
{
    const QSize area(300, 233);
    auto clock = MakeClock(QTime(14, 5, 9), area, scDigital);
    At(QTime(14, 7, 30));
    clock->setShowMode(scAnalog);
    EXPECT_EQ(clock->reads, 0);
    EXPECT_EQ(Rgb(clock->surface()), Rgb(MakeClock(QTime(2, 5, 9), area, scAnalog)->surface()));
    At(QTime(14, 7, 30));
    clock->HandleTick();
    EXPECT_EQ(Rgb(clock->surface()), Rgb(MakeClock(QTime(14, 7, 30), area, scAnalog)->surface()));
}

// ---------------------------------------------------------------- failures and nesting

TEST_F(ClockTest, AFailingTickIsReportedOnceAndTheClockGoesOn)
{
    ErrorRecorder errors;
    auto clock = MakeClock(QTime(10, 0, 0), QSize(400, 200));
    bool fail = true;
    clock->onRead = [&](QTime &) {
        if (fail)
            throw EConvertError(QStringLiteral("'x' n'est pas une heure correcte"));
    };
    for (int s = 1; s <= 3; ++s) {
        At(QTime(10, 0, s));
        clock->HandleTick();
    }
    EXPECT_EQ(errors.messages, QStringList{"'x' n'est pas une heure correcte."});
    fail = false;
    At(QTime(10, 0, 4));
    clock->HandleTick();
    EXPECT_EQ(Rgb(clock->surface()), DigitalImage(clock->font(), clock->size(), "10:00:04"));
    fail = true;
    At(QTime(10, 0, 5));
    clock->HandleTick();
    EXPECT_EQ(errors.messages.size(), 2);
}

namespace {
QStringList paintWarnings;
void CollectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        paintWarnings << message;
}
} // namespace

TEST_F(ClockTest, AHandlerThatWaitsRunsNestedTicksAndRepaintsAndTheDrawingStaysRight)
{
    for (const TShowClock mode : {scDigital, scAnalog}) {
        const QSize area(400, 233);
        auto clock = MakeClock(QTime(10, 0, 4), area, mode);
        int depth = 0;
        int nestedReads = 0;
        bool posted = false;
        clock->onRead = [&](QTime &) {
            if (depth > 0) {
                ++nestedReads;
                return;
            }
            if (posted)
                return;
            posted = true;
            // What the alarm check does: wait in Delay, during which a tick and a repaint arrive.
            time.advance(1000);
            QMetaObject::invokeMethod(
                clock.get(), [&] { clock->HandleTick(); }, Qt::QueuedConnection);
            clock->requestFullRepaint();
            clock->setDotsColor(Purple);
            ++depth;
            Delay(10);
            --depth;
        };
        paintWarnings.clear();
        const QtMessageHandler previous = qInstallMessageHandler(CollectWarnings);
        At(QTime(10, 0, 5));
        clock->HandleTick();
        Drain();
        qInstallMessageHandler(previous);
        EXPECT_TRUE(paintWarnings.isEmpty()) << paintWarnings.join('\n').toStdString();
        EXPECT_GE(nestedReads, mode == scDigital ? 5 : 2) << mode;
        if (mode == scDigital) {
            EXPECT_EQ(Rgb(clock->surface()), DigitalImage(clock->font(), area, "10:00:06"));
        } else {
            // The outer tick drew last, with the time it had read before the wait.
            const auto fresh = MakeClock(QTime(10, 0, 5), area, scAnalog);
            fresh->setDotsColor(Purple);
            EXPECT_EQ(Rgb(clock->surface()), Rgb(fresh->surface()));
        }
    }
}

TEST_F(ClockTest, AClockDestroyedBeforeItsFirstTickIsDispatchedNeverTicks)
{
    int reads = 0;
    {
        TClock clock;
        clock.OnGetTime = [&](QObject *, QTime &) { ++reads; };
        // Its first tick is due at once; nobody dispatches it before the clock goes.
    }
    Drain();
    EXPECT_EQ(reads, 0);
}

TEST_F(ClockTest, ItsTimerDrivesTheClockThroughTheEventQueue)
{
    int reads = 0;
    TClock clock;
    clock.resize(300, 150);
    clock.OnGetTime = [&](QObject *, QTime &) { ++reads; };
    QTimer guard;
    guard.setSingleShot(true);
    guard.start(20000);
    // The first tick (3 readings) comes without waiting for a period; the next one is due a
    // period after it.
    while (reads < 3 && guard.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_GE(reads, 3);
    EXPECT_EQ(clock.timer()->Interval(), 450);
    EXPECT_GE(clock.timer()->remainingTime(), 0);
    EXPECT_LE(clock.timer()->remainingTime(), 450);
}

// A power-off alarm in the real program: the countdown window as the user sees it, the
// cancel button, and the request that follows when nobody cancels. The program is given a
// private system bus whose stand-in logind records the request and switches nothing off.
#include "Desktop.h"
#include "support/SystemBus.h"

#include <QElapsedTimer>
#include <QImage>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

using e2e::Desktop;
using e2e::Program;
using testing_support::PowerOffCall;
using testing_support::PrivateSystemBus;

namespace {

const QString CountdownCaption = QStringLiteral("Tempovir - Extinction automatique du PC");

QImage shot(const Desktop &desktop, const QString &window)
{
    return desktop.grab(window).convertToFormat(QImage::Format_RGB32);
}

// Lines of dark text in the notice's area (left 16, top 16, 473 × 65).
int noticeLines(const QImage &window)
{
    int lines = 0;
    bool inLine = false;
    for (int y = 16; y < 81 && y < window.height(); ++y) {
        int dark = 0;
        for (int x = 16; x < 489 && x < window.width(); ++x) {
            const QRgb c = window.pixel(x, y);
            dark += qRed(c) < 90 && qGreen(c) < 90 && qBlue(c) < 90;
        }
        if (dark > 0 && !inLine)
            ++lines;
        inLine = dark > 0;
    }
    return lines;
}

// Columns of the bar (left 16, top 88, 473 wide) whose middle row shows a filled block.
int filledColumns(const QImage &window)
{
    int filled = 0;
    const int y = 88 + 12;
    for (int x = 16; x < 16 + 473 && x < window.width(); ++x) {
        const QRgb c = window.pixel(x, y);
        // Lime, yellow, orange or red at a block's middle; not the white of the empty bar.
        filled += qBlue(c) < 100 && std::max(qRed(c), qGreen(c)) == 255;
    }
    return filled;
}

void pause(int ms)
{
    QThread::msleep(ms);
}

class ShutdownEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!desktop.ok())
            GTEST_SKIP() << "no X server";
        bus = std::make_unique<PrivateSystemBus>();
        ASSERT_TRUE(bus->ok()) << qPrintable(bus->error());
        QString why;
        ASSERT_TRUE(testing_support::SystemBusIsPrivate(&why)) << qPrintable(why);
        program = std::make_unique<Program>(desktop);
        program->setSystemBus(bus->address());
        e2e::WriteFile(program->iniPath(), "[Alarm_000]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:00\r\n"
                                           "DisplayName=Extinction du soir\r\nShutdown=1\r\n");
        // Far enough ahead that a slow start on a busy machine does not find the alarm past.
        ASSERT_TRUE(program->start({}, QStringLiteral("@2026-12-10 07:29:52")));
    }

    // Waits for the countdown window and checks what it shows: the notice, and a bar that
    // moves from one second to the next. Returns the window's id.
    QString countdownShowsAndMoves()
    {
        const QString window = desktop.waitForWindow(CountdownCaption, 30000);
        shownAt.start();
        if (window.isEmpty()) {
            ADD_FAILURE() << "the countdown window never appeared\n" << qPrintable(program->output());
            return {};
        }
        pause(1500);
        const QImage first = shot(desktop, window);
        pause(2200);
        const QImage second = shot(desktop, window);
        EXPECT_EQ(first.size(), QSize(505, 194));
        // Two lines, an empty one, and the last: at least three bands of text (accents may
        // stand apart from their line).
        EXPECT_GE(noticeLines(first), 3) << "the notice is missing";
        EXPECT_LE(noticeLines(first), 5);
        EXPECT_GT(filledColumns(first), 0);
        EXPECT_GT(filledColumns(second), filledColumns(first)) << "the bar does not move";
        return window;
    }

    bool countdownVisible() const { return !desktop.waitForWindow(CountdownCaption, 1).isEmpty(); }

    Desktop desktop;
    std::unique_ptr<PrivateSystemBus> bus;
    std::unique_ptr<Program> program;
    QElapsedTimer shownAt;
};

TEST_F(ShutdownEndToEnd, CancelledWithTheButtonNoRequestIsMade)
{
    const QString window = countdownShowsAndMoves();
    ASSERT_FALSE(window.isEmpty());
    // The button's middle: left 184 + 64, top 136 + 16.
    desktop.run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("248"),
                 QStringLiteral("152"), QStringLiteral("click"), QStringLiteral("1")});
    QElapsedTimer gone;
    gone.start();
    while (countdownVisible() && gone.elapsed() < 5000)
        pause(100);
    EXPECT_FALSE(countdownVisible()) << "the window stayed up after the click";
    // Past the moment the request would have come.
    while (shownAt.elapsed() < 34000)
        pause(250);
    EXPECT_TRUE(bus->calls().isEmpty()) << qPrintable(bus->calls().join(QLatin1Char('\n')));
    EXPECT_TRUE(program->running());
}

TEST_F(ShutdownEndToEnd, LeftAloneOneRequestComesAfterThirtySecondsAndTheProgramGoesOn)
{
    const QString window = countdownShowsAndMoves();
    ASSERT_FALSE(window.isEmpty());
    while (bus->calls().isEmpty() && shownAt.elapsed() < 45000)
        pause(50);
    const qint64 callAt = shownAt.elapsed();
    ASSERT_EQ(bus->calls(), QStringList{PowerOffCall}) << "no request within 45 s";
    // About 30 s after the window was seen; it may have been seen late on a loaded machine,
    // and the countdown's seconds are never shortened, only lengthened.
    EXPECT_GE(callAt, 20000);
    EXPECT_LE(callAt, 45000);
    EXPECT_FALSE(countdownVisible()) << "the window is still up after the request";
    pause(2000);
    EXPECT_EQ(bus->calls(), QStringList{PowerOffCall}) << "more than one request";
    EXPECT_TRUE(program->running()) << "the stand-in switches nothing off: the program must go on";
}

} // namespace

// Two alarms fire in the real program: the popup at the bottom right, stepping back,
// deleting, closing, and the keyboard staying with the window the user was typing in.
#include "Desktop.h"
#include "ui/AlertPopup.h"

#include <QDeadlineTimer>
#include <QImage>
#include <QThread>
#include <gtest/gtest.h>

using e2e::Desktop;
using e2e::Program;

namespace {

const QString MainCaption = QStringLiteral("TPV - Tempovir");
const QString PopupPattern = QStringLiteral("^Tempovir - Alarme$");

QString Alert(int number, const QString &message)
{
    return QStringLiteral("<B>Tem<FONT color=\"#FF0000\">po</FONT>vir</B> - Alarme Num. %1<hr><br>%2")
        .arg(number, 3, 10, QLatin1Char('0'))
        .arg(message);
}

QImage Grab(const Desktop &desktop, const QString &window)
{
    return desktop.grab(window).convertToFormat(QImage::Format_RGB32);
}

// The popup as this build draws it for a given message list and current message, drawn
// here offscreen, to be compared with what the screen shows.
QImage Expected(const QStringList &messages, int current)
{
    TAlertPopup popup(nullptr);
    for (const QString &m : messages)
        popup.addMessage(m);
    popup.selectNewest();
    for (int i = int(messages.size()); i > current; --i)
        popup.previous();
    popup.show();
    return popup.window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

// Mean absolute difference per channel; large when a different text or layout is shown.
double Distance(const QImage &a, const QImage &b)
{
    if (a.size() != b.size())
        return 1e9;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += qAbs(qRed(p) - qRed(q)) + qAbs(qGreen(p) - qGreen(q)) + qAbs(qBlue(p) - qBlue(q));
        }
    return sum / (a.width() * a.height() * 3.0);
}

struct Geometry
{
    QPoint pos;
    QSize size;
};

Geometry WindowGeometry(const Desktop &desktop, const QString &window)
{
    const QString out = desktop.run(QStringLiteral("xdotool"),
                                    {QStringLiteral("getwindowgeometry"), QStringLiteral("--shell"), window});
    Geometry g;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        const QString value = line.section(QLatin1Char('='), 1);
        if (line.startsWith(QLatin1String("X=")))
            g.pos.setX(value.toInt());
        else if (line.startsWith(QLatin1String("Y=")))
            g.pos.setY(value.toInt());
        else if (line.startsWith(QLatin1String("WIDTH=")))
            g.size.setWidth(value.toInt());
        else if (line.startsWith(QLatin1String("HEIGHT=")))
            g.size.setHeight(value.toInt());
    }
    return g;
}

QString ActiveWindow(const Desktop &desktop)
{
    return desktop.run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}).trimmed();
}

class PopupEndToEnd : public ::testing::Test
{
protected:
    void click(QPoint at)
    {
        desktop.run(QStringLiteral("xdotool"),
                    {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                     QStringLiteral("click"), QStringLiteral("1")});
        // Away again, so that no hover highlight stays on the popup.
        desktop.run(QStringLiteral("xdotool"),
                    {QStringLiteral("mousemove"), QStringLiteral("600"), QStringLiteral("300")});
    }

    // Waits until the popup shows the expected state, closer to it than to any other state.
    ::testing::AssertionResult shows(const QString &popup, const QImage &expected,
                                     const QList<QImage> &others)
    {
        const QDeadlineTimer deadline(20000);
        double d = 0;
        QImage shot;
        while (!deadline.hasExpired()) {
            shot = Grab(desktop, popup);
            d = Distance(shot, expected);
            // The same drawing code on the same fonts: equal but for rounding; another state
            // differs by about 1 on average.
            bool closest = d < 0.4;
            for (const QImage &o : others)
                closest = closest && d < Distance(shot, o);
            if (closest)
                return ::testing::AssertionSuccess();
            QThread::msleep(200);
        }
        return ::testing::AssertionFailure()
               << "distance " << d << ", screen shot size " << shot.width() << "x" << shot.height();
    }

    Desktop desktop;
};

} // namespace

TEST_F(PopupEndToEnd, TwoAlarmsBrowseDeleteCloseWhileTheKeyboardStaysPut)
{
    if (!desktop.ok())
        GTEST_SKIP() << "no X server";
    // The window the user is typing in.
    QProcess typing;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), desktop.display());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    typing.setProcessEnvironment(env);
    typing.start(QStringLiteral(TEXT_WINDOW_EXE), {});
    ASSERT_TRUE(typing.waitForStarted(10000));
    const QString saisie = desktop.waitForWindow(QStringLiteral("Saisie"), 30000);
    ASSERT_FALSE(saisie.isEmpty());

    Program program(desktop);
    e2e::WriteFile(program.iniPath(), "[Alarm_000]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:00\r\n"
                                      "DisplayName=Premier rendez-vous\r\nShutdown=0\r\n"
                                      "[Alarm_005]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:04\r\n"
                                      "DisplayName=Second <B>rendez-vous</B>\r\nShutdown=0\r\n"
                                      "[Alarms]\r\nActAlarmsSound=0\r\n");
    ASSERT_TRUE(program.start({}, QStringLiteral("@2026-12-10 07:29:45")));
    ASSERT_FALSE(desktop.waitForWindow(MainCaption).isEmpty()) << qPrintable(program.output());
    // The user goes back to typing before the alarms.
    desktop.run(QStringLiteral("xdotool"),
                {QStringLiteral("windowactivate"), QStringLiteral("--sync"), saisie});
    ASSERT_EQ(ActiveWindow(desktop), saisie);

    const QString popup = desktop.waitForWindow(QStringLiteral("Tempovir - Alarme"), 30000);
    ASSERT_FALSE(popup.isEmpty()) << "no alert appeared";
    const QString first = Alert(1, QStringLiteral("Premier rendez-vous"));
    const QString second = Alert(6, QStringLiteral("Second <B>rendez-vous</B>"));
    const QImage twoOfTwo = Expected({first, second}, 2);
    const QImage oneOfTwo = Expected({first, second}, 1);
    const QImage secondAlone = Expected({second}, 1);
    const QImage firstAlone = Expected({first}, 1);

    ASSERT_TRUE(shows(popup, twoOfTwo, {oneOfTwo, secondAlone, firstAlone})) << "2 of 2 never showed";
    // Bottom right of the screen (1280 by 1024, no panel): 2 pixels from the right edge.
    const Geometry g = WindowGeometry(desktop, popup);
    EXPECT_EQ(g.pos, QPoint(1280 - 302, 1024 - 100));
    EXPECT_EQ(g.size, QSize(300, 100));
    EXPECT_EQ(ActiveWindow(desktop), saisie) << "the alarms took the keyboard";

    // Where the buttons are, as this build lays them out.
    TAlertPopup layout(nullptr);
    layout.addMessage(first);
    layout.addMessage(second);
    layout.selectNewest();
    layout.show();
    const QPoint previous = g.pos + layout.window()->previousRect().center();
    const QPoint del = g.pos + layout.window()->deleteRect().center();

    click(previous);
    EXPECT_TRUE(shows(popup, oneOfTwo, {twoOfTwo, secondAlone, firstAlone})) << "\"<\" did not go to 1 of 2";
    click(del);
    EXPECT_TRUE(shows(popup, secondAlone, {twoOfTwo, oneOfTwo, firstAlone}))
        << "deleting message 1 did not leave message 2 alone";
    EXPECT_EQ(WindowGeometry(desktop, popup).pos, g.pos) << "the popup moved";
    EXPECT_EQ(ActiveWindow(desktop), saisie) << "clicking the popup took the keyboard";

    click(g.pos + TAlertPopupWindow::closeRect().center());
    const auto visiblePopups = [this] {
        return desktop
            .run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                             QStringLiteral("--name"), PopupPattern})
            .trimmed();
    };
    const QDeadlineTimer hidden(10000);
    while (!hidden.hasExpired() && !visiblePopups().isEmpty())
        QThread::msleep(100);
    EXPECT_TRUE(visiblePopups().isEmpty()) << "still visible after close";
    EXPECT_TRUE(program.running());

    // What the user types now still lands in their window.
    EXPECT_EQ(ActiveWindow(desktop), saisie);
    desktop.run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("abc")});
    desktop.run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), QStringLiteral("Saisie")});
    ASSERT_TRUE(typing.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(typing.readAllStandardOutput()).trimmed(), QStringLiteral("abc"));

    desktop.run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), MainCaption});
    ASSERT_TRUE(program.waitForExit()) << "still running after its main window closed";
    EXPECT_EQ(program.exitCode(), 0);
}

// The real program on the X display of a headless Wayland compositor, as GNOME and Plasma users
// run it: mutter here, kwin when kwin-checks.sh beside this file names it. An alarm's popup
// shows above the window the user works in without taking the keyboard, and showing and hiding
// the menus leaves the clock's window where it was.
#include "Desktop.h"

#include <QRect>
#include <QRegularExpression>
#include <gtest/gtest.h>

using e2e::Desktop;
using e2e::Eventually;
using e2e::Program;

namespace {

const QString MainCaption = QStringLiteral("TPV - Tempovir");
const QString PopupCaption = QStringLiteral("Tempovir - Alarme");

// mutter unless TEMPOVIR_COMPOSITOR names kwin, or openbox for comparison.
e2e::TSession SessionAsked()
{
    const QString asked = qEnvironmentVariable("TEMPOVIR_COMPOSITOR");
    if (asked == QLatin1String("kwin"))
        return e2e::TSession::KWin;
    return asked == QLatin1String("openbox") ? e2e::TSession::Openbox : e2e::TSession::Mutter;
}

class Compositor : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { desktop = new Desktop(SessionAsked()); }
    static void TearDownTestSuite()
    {
        delete desktop;
        desktop = nullptr;
    }
    void SetUp() override
    {
        if (desktop->error().endsWith(QLatin1String("is not installed")))
            GTEST_SKIP() << qPrintable(desktop->error());
        ASSERT_TRUE(desktop->ok()) << qPrintable(desktop->error());
    }

    static QString run(const QString &program, const QStringList &args)
    {
        return desktop->run(program, args);
    }
    static QString property(const QString &window, const QString &name)
    {
        return desktop->property(window, name);
    }
    // Window ids as numbers: xdotool names them in decimal, xprop in hexadecimal.
    static qulonglong id(const QString &window) { return window.trimmed().toULongLong(nullptr, 0); }
    static qulonglong active()
    {
        return id(run(QStringLiteral("xdotool"), {QStringLiteral("getactivewindow")}));
    }
    // The managed windows, bottom to top.
    static QList<qulonglong> stacking()
    {
        QList<qulonglong> ids;
        const QString list = run(QStringLiteral("xprop"),
                                 {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
        const QRegularExpression hex(QStringLiteral("0x[0-9a-f]+"));
        for (const QRegularExpressionMatch &m : hex.globalMatch(list))
            ids << id(m.captured());
        return ids;
    }
    static bool above(const QString &upper, const QString &lower)
    {
        const QList<qulonglong> ids = stacking();
        return ids.indexOf(id(upper)) > ids.indexOf(id(lower)) && ids.contains(id(lower));
    }
    // Framed by the window manager and shown.
    static bool framed(const QString &window)
    {
        return property(window, QStringLiteral("WM_STATE")).contains(QLatin1String("Normal")) &&
               property(window, QStringLiteral("_NET_FRAME_EXTENTS")).contains(QLatin1Char('='));
    }
    static QString describe(const QRect &r)
    {
        return QStringLiteral("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
    }

    static Desktop *desktop;
};
Desktop *Compositor::desktop = nullptr;

} // namespace

TEST_F(Compositor, AnAlarmShowsAboveTheActiveMaximisedWindowWithoutTakingIt)
{
    // The window the user types in.
    QProcess typing;
    QProcessEnvironment env = desktop->environment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    typing.setProcessEnvironment(env);
    typing.start(QStringLiteral(TEXT_WINDOW_EXE), {});
    ASSERT_TRUE(typing.waitForStarted(10000));
    const QString saisie = desktop->waitForWindow(QStringLiteral("Saisie"), 30000);
    ASSERT_FALSE(saisie.isEmpty());

    // The moment stands still until the test moves it past the alarm.
    Program program(*desktop);
    const QString moment = program.dir() + QStringLiteral("/moment");
    e2e::WriteFile(moment, "2026-12-10 07:29:00\n");
    program.setFakeTimeFile(moment);
    e2e::WriteFile(program.iniPath(), "[Alarm_000]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:00\r\n"
                                      "DisplayName=Premier rendez-vous\r\nShutdown=0\r\n"
                                      "[Alarms]\r\nActAlarmsSound=0\r\n");
    ASSERT_TRUE(program.start());
    const QString main = desktop->waitForWindow(MainCaption, 30000);
    ASSERT_FALSE(main.isEmpty()) << qPrintable(program.output());

    // The user works in the maximised window, in front of the clock.
    // Asked again until it holds: a window manager may pass over a request that comes while
    // it is still mapping a window.
    ASSERT_TRUE(Eventually(
        [&] {
            if (!property(saisie, QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("MAXIMIZED_HORZ")))
                run(QStringLiteral("wmctrl"),
                    {QStringLiteral("-i"), QStringLiteral("-r"), saisie, QStringLiteral("-b"),
                     QStringLiteral("add,maximized_vert,maximized_horz")});
            else if (active() != id(saisie) || !above(saisie, main))
                run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-a"), saisie});
            else
                return true;
            return false;
        },
        20000));

    e2e::WriteFile(moment, "2026-12-10 07:30:01\n");
    const QString popup = desktop->waitForWindow(PopupCaption, 30000);
    if (popup.isEmpty()) {
        const QString hidden =
            run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--name"),
                                            QLatin1Char('^') + PopupCaption + QLatin1Char('$')})
                .trimmed();
        FAIL() << "the alarm's popup is not shown; "
               << (hidden.isEmpty() ? std::string("there is none")
                                    : property(hidden, QStringLiteral("_NET_WM_STATE")).toStdString())
               << qPrintable(program.output());
    }
    // At the bottom right of the 1280 x 1024 screen, 2 pixels from its right edge, and on top.
    EXPECT_EQ(describe(desktop->clientRect(popup)), describe(QRect(1280 - 302, 1024 - 100, 300, 100)));
    EXPECT_TRUE(Eventually([&] { return !stacking().isEmpty() && stacking().last() == id(popup); }))
        << "the popup is not at the top of the stacking order";
    EXPECT_TRUE(above(saisie, main)) << "the clock's window was raised";
    EXPECT_EQ(active(), id(saisie)) << "the alarm took the keyboard";
    EXPECT_FALSE(property(popup, QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("HIDDEN")));
    // A notification owned by no window, 220 of 255 opaque.
    EXPECT_TRUE(property(popup, QStringLiteral("_NET_WM_WINDOW_TYPE"))
                    .contains(QLatin1String("= _NET_WM_WINDOW_TYPE_NOTIFICATION")));
    EXPECT_TRUE(property(popup, QStringLiteral("WM_TRANSIENT_FOR")).contains(QLatin1String("not found")));
    EXPECT_TRUE(
        property(popup, QStringLiteral("_NET_WM_WINDOW_OPACITY")).contains(QLatin1String("= 3705461980")));

    // What the user types meanwhile lands in their window.
    run(QStringLiteral("xdotool"), {QStringLiteral("type"), QStringLiteral("abc")});
    run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), saisie});
    ASSERT_TRUE(typing.waitForFinished(10000));
    EXPECT_EQ(QString::fromUtf8(typing.readAllStandardOutput()).trimmed(), QStringLiteral("abc"));

    // "Toujours en premier plan" makes the clock's window anew: no window of the program may
    // still name the old one as its owner, and the popup stays.
    ASSERT_TRUE(desktop->clockMenuCommand(main, 8));
    QString again;
    ASSERT_TRUE(Eventually([&] {
        again = desktop->waitForWindow(MainCaption, 1000);
        return !again.isEmpty() && again != main &&
               property(again, QStringLiteral("_NET_WM_STATE"))
                   .contains(QLatin1String("_NET_WM_STATE_ABOVE"));
    }));
    const QString oldId = QStringLiteral("0x%1").arg(id(main), 0, 16);
    const QStringList windows =
        run(QStringLiteral("xdotool"),
            {QStringLiteral("search"), QStringLiteral("--pid"), QString::number(program.pid())})
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    EXPECT_FALSE(windows.isEmpty());
    for (const QString &w : windows)
        EXPECT_FALSE(property(w, QStringLiteral("WM_TRANSIENT_FOR")).contains(oldId))
            << "window " << w.toStdString();
    EXPECT_EQ(desktop->waitForWindow(PopupCaption, 1000), popup);

    e2e::CloseAndWait(*desktop, program);
}

TEST_F(Compositor, ShowingAndHidingTheMenusKeepsTheWindowInPlace)
{
    Program program(*desktop);
    ASSERT_TRUE(program.start());
    QString main = desktop->waitForWindow(MainCaption, 30000);
    ASSERT_FALSE(main.isEmpty()) << qPrintable(program.output());
    // Framed, with the designed outer size centred on the screen.
    ASSERT_TRUE(Eventually([&] { return desktop->outerRect(main) == QRect(455, 413, 370, 197); }, 20000))
        << qPrintable(describe(desktop->outerRect(main)));
    const QRect client = desktop->clientRect(main);

    for (int toggle = 1; toggle <= 3; ++toggle) {
        ASSERT_TRUE(desktop->clockMenuCommand(main, 7)) << "toggle " << toggle; // "Montrer les menus"
        // Odd toggles hide the menus and make it a tool window.
        const bool tool = toggle % 2 == 1;
        EXPECT_TRUE(Eventually([&] {
            main = desktop->waitForWindow(MainCaption, 1000);
            return !main.isEmpty() && framed(main) &&
                   property(main, QStringLiteral("_NET_WM_WINDOW_TYPE")).contains(QLatin1String("UTILITY")) ==
                       tool &&
                   desktop->clientRect(main) == client;
        })) << "toggle "
            << toggle << ": " << qPrintable(describe(desktop->clientRect(main))) << " instead of "
            << qPrintable(describe(client));
    }
    e2e::CloseAndWait(*desktop, program);
}

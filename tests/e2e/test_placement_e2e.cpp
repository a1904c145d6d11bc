// Both windows come back where the user left them, driven from outside as a user would.
#include "Desktop.h"

#include <QDeadlineTimer>
#include <QRect>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

using e2e::Desktop;
using e2e::Program;

namespace {

const QString MainCaption = QStringLiteral("TPV - Tempovir");
const QString ListCaption = QStringLiteral("Liste des alarmes");

// Polls until check holds or 10 s have passed.
template <class F> bool Eventually(F check)
{
    const QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        if (check())
            return true;
        QThread::msleep(50);
    }
    return check();
}

class Placement : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { desktop = new Desktop; }
    static void TearDownTestSuite()
    {
        delete desktop;
        desktop = nullptr;
    }
    void SetUp() override
    {
        if (!desktop->ok())
            GTEST_SKIP() << "no X server";
    }

    QString Run(const QString &program, const QStringList &args) const { return desktop->run(program, args); }
    QString Property(const QString &id, const QString &name) const
    {
        return Run(QStringLiteral("xprop"), {QStringLiteral("-id"), id, name});
    }
    // The window's outer frame: its client area and the frame the window manager puts around it.
    QRect Outer(const QString &id) const
    {
        const QString info = Run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
        auto number = [&](const char *label) {
            const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
            return re.match(info).captured(1).toInt();
        };
        const QRegularExpression extentsRe(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"));
        const QRegularExpressionMatch m = extentsRe.match(Property(id, QStringLiteral("_NET_FRAME_EXTENTS")));
        const int left = m.captured(1).toInt(), right = m.captured(2).toInt();
        const int top = m.captured(3).toInt(), bottom = m.captured(4).toInt();
        return QRect(number("Absolute upper-left X") - left, number("Absolute upper-left Y") - top,
                     number("Width") + left + right, number("Height") + top + bottom);
    }
    // A start on a loaded machine may take a while.
    QString Visible(const QString &caption) const { return desktop->waitForWindow(caption, 30000); }
    bool ShownNow(const QString &caption) const
    {
        return !Run(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                     QLatin1Char('^') + caption + QLatin1Char('$')})
                    .trimmed()
                    .isEmpty();
    }
    // The clock's pop-up menu, then the n-th of its commands. A click that comes while the
    // window is still being mapped opens nothing, so it is repeated.
    bool PopupCommand(const QString &id, int n) const
    {
        const auto menus = [&] {
            return Run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                   QStringLiteral("--class"), QStringLiteral("tempovir")})
                .trimmed()
                .split(u'\n', Qt::SkipEmptyParts)
                .size();
        };
        const int before = menus();
        bool opened = false;
        for (int attempt = 0; attempt < 5 && !opened; ++attempt) {
            Run(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QStringLiteral("--window"), id, QStringLiteral("60"),
                 QStringLiteral("80"), QStringLiteral("click"), QStringLiteral("3")});
            const QDeadlineTimer deadline(1000);
            while (!(opened = menus() > before) && !deadline.hasExpired())
                QThread::msleep(50);
        }
        if (!opened)
            return false;
        QStringList keys;
        for (int i = 0; i < n; ++i)
            keys << QStringLiteral("Down");
        keys << QStringLiteral("Return");
        Run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys);
        return true;
    }
    void MoveAndResize(const QString &id, int x, int y, int w, int h) const
    {
        Run(QStringLiteral("xdotool"),
            {QStringLiteral("windowmove"), id, QString::number(x), QString::number(y)});
        Run(QStringLiteral("xdotool"),
            {QStringLiteral("windowsize"), id, QString::number(w), QString::number(h)});
        ASSERT_TRUE(Eventually([&] { return Outer(id).size() == QSize(w + 2, h + 25); }))
            << Outer(id).width() << "x" << Outer(id).height();
    }
    void CloseAndWait(Program &program) const
    {
        Run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), MainCaption});
        ASSERT_TRUE(program.waitForExit()) << qPrintable(program.output());
        EXPECT_EQ(program.exitCode(), 0);
    }

    static Desktop *desktop;
};
Desktop *Placement::desktop = nullptr;

} // namespace

TEST_F(Placement, BothWindowsComeBackAtTheirPlaceAndTheMainOneAboveWithoutMenus)
{
    Program program(*desktop);
    ASSERT_TRUE(program.start());
    QString main = Visible(MainCaption);
    ASSERT_FALSE(main.isEmpty()) << qPrintable(program.output());
    // The designed outer size, centred on the 1280 x 1024 screen.
    EXPECT_EQ(Outer(main), QRect(455, 413, 370, 197));

    MoveAndResize(main, 100, 120, 500, 300);
    ASSERT_TRUE(PopupCommand(main, 8)); // "Toujours en premier plan"
    ASSERT_TRUE(Eventually([&] {
        main = Visible(MainCaption);
        return Property(main, QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("_NET_WM_STATE_ABOVE"));
    }));
    ASSERT_TRUE(PopupCommand(main, 7)); // "Montrer les menus", off
    ASSERT_TRUE(Eventually([&] {
        main = Visible(MainCaption);
        return Property(main, QStringLiteral("_NET_WM_WINDOW_TYPE")).contains(QLatin1String("UTILITY"));
    }));
    const QRect mainOuter = Outer(main);

    ASSERT_TRUE(PopupCommand(main, 4)); // "Liste des alarmes..."
    const QString list = Visible(ListCaption);
    ASSERT_FALSE(list.isEmpty());
    EXPECT_EQ(Outer(list), QRect(332, 351, 615, 322));
    MoveAndResize(list, 300, 200, 700, 400);
    const QRect listOuter = Outer(list);
    Run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), ListCaption});
    ASSERT_TRUE(Eventually([&] { return !ShownNow(ListCaption); }));
    CloseAndWait(program);
    const QByteArray firstRun = e2e::ReadFile(program.iniPath());
    EXPECT_TRUE(firstRun.contains("AppStayOnTop=1\r\nAppShowMenu=0\r\n")) << firstRun.constData();

    ASSERT_TRUE(program.start());
    main = Visible(MainCaption);
    ASSERT_FALSE(main.isEmpty());
    EXPECT_TRUE(Eventually([&] { return Outer(main) == mainOuter; }))
        << Outer(main).x() << "," << Outer(main).y() << " " << Outer(main).width() << "x"
        << Outer(main).height();
    EXPECT_TRUE(
        Property(main, QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("_NET_WM_STATE_ABOVE")));
    EXPECT_TRUE(Property(main, QStringLiteral("_NET_WM_WINDOW_TYPE")).contains(QLatin1String("UTILITY")));
    ASSERT_TRUE(PopupCommand(main, 4));
    const QString listAgain = Visible(ListCaption);
    ASSERT_FALSE(listAgain.isEmpty());
    EXPECT_TRUE(Eventually([&] { return Outer(listAgain) == listOuter; }))
        << Outer(listAgain).x() << "," << Outer(listAgain).y();
    CloseAndWait(program);
    // Nothing moved: the second run writes the same placement.
    const QByteArray secondRun = e2e::ReadFile(program.iniPath());
    EXPECT_EQ(secondRun.left(secondRun.indexOf("[Display]")), firstRun.left(firstRun.indexOf("[Display]")));
}

TEST_F(Placement, ClosedWhileMinimisedItStartsMinimised)
{
    Program program(*desktop);
    ASSERT_TRUE(program.start());
    const QString main = Visible(MainCaption);
    ASSERT_FALSE(main.isEmpty());
    Run(QStringLiteral("xdotool"), {QStringLiteral("windowminimize"), main});
    ASSERT_TRUE(Eventually(
        [&] { return Property(main, QStringLiteral("WM_STATE")).contains(QLatin1String("Iconic")); }));
    CloseAndWait(program);
    EXPECT_TRUE(e2e::ReadFile(program.iniPath()).contains("[fmMain]\r\nFormVersion=0\r\nShowCmd=2\r\n"));

    // Started again by the user, then, still minimised, by the session at log-in.
    QString again;
    for (const QStringList &args : {QStringList(), QStringList(QStringLiteral("--autostart"))}) {
        SCOPED_TRACE(qPrintable(args.join(u' ')));
        if (!again.isEmpty())
            CloseAndWait(program);
        ASSERT_TRUE(program.start(args));
        EXPECT_TRUE(Eventually([&] {
            const QString ids =
                Run(QStringLiteral("xdotool"),
                    {QStringLiteral("search"), QStringLiteral("--name"), QStringLiteral("^TPV - Tempovir$")})
                    .trimmed();
            again = ids.split(u'\n').first();
            return !ids.isEmpty() &&
                   Property(again, QStringLiteral("WM_STATE")).contains(QLatin1String("Iconic"));
        }));
    }
    // Brought back by the user, it is where it was.
    Run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-a"), again});
    EXPECT_TRUE(Eventually([&] { return Outer(again) == QRect(455, 413, 370, 197); }));
    CloseAndWait(program);
}

TEST_F(Placement, APlaceOffTheScreenComesBackOnIt)
{
    Program program(*desktop);
    e2e::WriteFile(program.iniPath(), "[fmMain]\r\nFormVersion=0\r\nShowCmd=1\r\nPixelsPerInch=96\r\n"
                                      "NormPos=3000,3000,3400,3300\r\n");
    ASSERT_TRUE(program.start());
    const QString main = Visible(MainCaption);
    ASSERT_FALSE(main.isEmpty());
    EXPECT_TRUE(Eventually([&] {
        const QRect outer = Outer(main);
        return QRect(0, 0, 1280, 1024).contains(outer) && outer.size() == QSize(400, 300);
    })) << Outer(main).x()
        << "," << Outer(main).y();
    CloseAndWait(program);
}

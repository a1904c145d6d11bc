// Both windows come back where the user left them, driven from outside as a user would.
#include "Desktop.h"

#include <QRect>
#include <gtest/gtest.h>

using e2e::Desktop;
using e2e::Eventually;
using e2e::Program;

namespace {

const QString MainCaption = QStringLiteral("TPV - Tempovir");
const QString ListCaption = QStringLiteral("Liste des alarmes");

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
    QString Property(const QString &id, const QString &name) const { return desktop->property(id, name); }
    QRect Outer(const QString &id) const { return desktop->outerRect(id); }
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
    void MoveAndResize(const QString &id, int x, int y, int w, int h) const
    {
        Run(QStringLiteral("xdotool"),
            {QStringLiteral("windowmove"), id, QString::number(x), QString::number(y)});
        Run(QStringLiteral("xdotool"),
            {QStringLiteral("windowsize"), id, QString::number(w), QString::number(h)});
        ASSERT_TRUE(Eventually([&] { return Outer(id).size() == QSize(w + 2, h + 25); }))
            << Outer(id).width() << "x" << Outer(id).height();
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
    ASSERT_TRUE(desktop->clockMenuCommand(main, 8)); // "Toujours en premier plan"
    ASSERT_TRUE(Eventually([&] {
        main = Visible(MainCaption);
        return Property(main, QStringLiteral("_NET_WM_STATE")).contains(QLatin1String("_NET_WM_STATE_ABOVE"));
    }));
    ASSERT_TRUE(desktop->clockMenuCommand(main, 7)); // "Montrer les menus", off
    ASSERT_TRUE(Eventually([&] {
        main = Visible(MainCaption);
        return Property(main, QStringLiteral("_NET_WM_WINDOW_TYPE")).contains(QLatin1String("UTILITY"));
    }));
    const QRect mainOuter = Outer(main);

    ASSERT_TRUE(desktop->clockMenuCommand(main, 4)); // "Liste des alarmes..."
    const QString list = Visible(ListCaption);
    ASSERT_FALSE(list.isEmpty());
    EXPECT_EQ(Outer(list), QRect(332, 351, 615, 322));
    MoveAndResize(list, 300, 200, 700, 400);
    const QRect listOuter = Outer(list);
    Run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), ListCaption});
    ASSERT_TRUE(Eventually([&] { return !ShownNow(ListCaption); }));
    e2e::CloseAndWait(*desktop, program);
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
    ASSERT_TRUE(desktop->clockMenuCommand(main, 4));
    const QString listAgain = Visible(ListCaption);
    ASSERT_FALSE(listAgain.isEmpty());
    EXPECT_TRUE(Eventually([&] { return Outer(listAgain) == listOuter; }))
        << Outer(listAgain).x() << "," << Outer(listAgain).y();
    e2e::CloseAndWait(*desktop, program);
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
    e2e::CloseAndWait(*desktop, program);
    EXPECT_TRUE(e2e::ReadFile(program.iniPath()).contains("[fmMain]\r\nFormVersion=0\r\nShowCmd=2\r\n"));

    // Started again by the user, then, still minimised, by the session at log-in.
    QString again;
    for (const QStringList &args : {QStringList(), QStringList(QStringLiteral("--autostart"))}) {
        SCOPED_TRACE(qPrintable(args.join(u' ')));
        if (!again.isEmpty())
            e2e::CloseAndWait(*desktop, program);
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
    e2e::CloseAndWait(*desktop, program);
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
    e2e::CloseAndWait(*desktop, program);
}

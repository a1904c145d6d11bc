// The real program on a private X display, driven from outside as a user would.
#include "Desktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>

using e2e::DesktopTest;
using e2e::Program;

namespace {

const QString MainCaption = QStringLiteral("TPV - Tempovir");

class EndToEnd : public DesktopTest
{
};

} // namespace

TEST_F(EndToEnd, StartsIgnoringItsArgumentsAndEndsWhenTheMainWindowCloses)
{
    Program program(*desktop);
    // Qt's own options would move it off this display: they must be ignored too.
    ASSERT_TRUE(
        program.start({QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--x")}));
    ASSERT_FALSE(desktop->waitForWindow(MainCaption).isEmpty()) << qPrintable(program.output());
    desktop->run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), MainCaption});
    ASSERT_TRUE(program.waitForExit()) << "still running after its main window closed";
    EXPECT_EQ(program.exitCode(), 0) << qPrintable(program.output());
}

TEST_F(EndToEnd, ASessionEndLeavesTheSettingsFileAsItWas)
{
    Program program(*desktop);
    // As the placement's write-back at start-up leaves it.
    const QByteArray before = "[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n\r\n";
    e2e::WriteFile(program.iniPath(), before);
    ASSERT_TRUE(program.start());
    ASSERT_FALSE(desktop->waitForWindow(MainCaption).isEmpty());
    ::kill(pid_t(program.pid()), SIGTERM);
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);
    EXPECT_EQ(e2e::ReadFile(program.iniPath()), before);
}

TEST_F(EndToEnd, ASettingsPathThatIsAFolderStartsWithDefaultsAfterSayingSo)
{
    Program program(*desktop);
    ASSERT_TRUE(QDir(program.dir()).mkdir(QStringLiteral("tempovir.ini")));
    ASSERT_TRUE(program.start());
    // The file cannot be read: the error box, titled with the program's title, says so at
    // start; once it is answered the clock comes, and its close writes nothing and ends.
    const QString box = desktop->waitForWindow(QStringLiteral("Tempovir"));
    ASSERT_FALSE(box.isEmpty()) << qPrintable(program.output());
    desktop->run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), box});
    ASSERT_FALSE(desktop->waitForWindow(MainCaption).isEmpty()) << qPrintable(program.output());
    desktop->run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), MainCaption});
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0) << qPrintable(program.output());
    EXPECT_TRUE(QFileInfo(program.iniPath()).isDir());
}

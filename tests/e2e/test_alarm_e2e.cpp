// An alarm fires in the real program, seen from outside as a user would see it.
#include "Desktop.h"

#include <QColor>
#include <QImage>
#include <QThread>
#include <gtest/gtest.h>

using e2e::Desktop;
using e2e::Program;

namespace {

const QString MainCaption = QStringLiteral("TPV - Tempovir");
const QString PopupName = QStringLiteral("Tempovir - Alarme");

// Red pixels of "Alarmes activées" in the top right corner of the clock.
int redPixelsTopRight(const Desktop &desktop, const QString &window)
{
    const QImage shot = desktop.grab(window);
    if (shot.isNull())
        return -1;
    int red = 0;
    for (int y = 0; y < qMin(shot.height(), 60); ++y)
        for (int x = shot.width() / 2; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
        }
    return red;
}

} // namespace

TEST(AlarmEndToEnd, AnAlarmFiresOnceAndTheFileKeepsWhatTheUserSet)
{
    Desktop desktop;
    if (!desktop.ok())
        GTEST_SKIP() << "no X server";
    Program program(desktop);
    const QByteArray alarms = "[Alarm_000]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:00\r\n"
                              "DisplayName=Réveil <B>maintenant</B>\r\nShutdown=0\r\n\r\n"
                              "[Alarm_001]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=08:30:00\r\n"
                              "DisplayName=Plus tard\r\nShutdown=0\r\n\r\n";
    e2e::WriteFile(program.iniPath(), alarms);
    // Room for a slow start on a loaded machine: an alarm already past at start-up is reset.
    ASSERT_TRUE(program.start({}, QStringLiteral("@2026-12-10 07:29:48")));
    const QString main = desktop.waitForWindow(MainCaption);
    ASSERT_FALSE(main.isEmpty()) << qPrintable(program.output());
    // Loading found armed alarms: activation is on before anything fires.
    EXPECT_GT(redPixelsTopRight(desktop, main), 20);

    ASSERT_FALSE(desktop.waitForWindow(PopupName, 30000).isEmpty()) << "the alert never appeared";
    EXPECT_TRUE(program.running());
    // The other alarm is still armed, so activation stays on.
    EXPECT_GT(redPixelsTopRight(desktop, main), 20);
    const QString popups = desktop.run(QStringLiteral("xdotool"),
                                       {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), QStringLiteral("^Tempovir - Alarme$")});
    EXPECT_EQ(popups.trimmed().split(QLatin1Char('\n')).size(), 1);

    desktop.run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), MainCaption});
    ASSERT_TRUE(program.waitForExit()) << "still running after its main window closed";
    EXPECT_EQ(program.exitCode(), 0);
    // No edit: the alarm sections are as they were, the fired alarm still enabled (each section
    // ends with an empty line, as the placement's write-back leaves them).
    EXPECT_TRUE(e2e::ReadFile(program.iniPath()).startsWith(alarms))
        << e2e::ReadFile(program.iniPath()).constData();
}

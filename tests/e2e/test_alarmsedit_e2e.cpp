// The alarm list window in the real program: an alarm set through the grid with the keyboard
// and the mouse reaches the settings file and fires at the next start.
#include "Desktop.h"

#include <QImage>
#include <QRegularExpression>
#include <QThread>
#include <gtest/gtest.h>

#include <csignal>

using e2e::DesktopTest;
using e2e::Program;

namespace {

const QString MainCaption = QStringLiteral("TPV - Tempovir");
const QString ListCaption = QStringLiteral("Liste des alarmes");
const QString PopupName = QStringLiteral("Tempovir - Alarme");

// Cell geometry of the grid: a one-pixel frame, then the 48-pixel number column and the
// columns, each cell followed by a grid line; rows 20 pixels plus their line.
constexpr int ColumnLeft[6] = {1, 50, 141, 232, 303, 509};
constexpr int ColumnWidth[6] = {48, 90, 90, 70, 205, 86};
constexpr int RowPitch = 21;

class AlarmListEndToEnd : public DesktopTest
{
protected:
    // A French keyboard has "é" and "è" on keys of their own: xdotool then needs no change
    // of the key map for them, which the program could see only after the key itself.
    static void SetUpTestSuite()
    {
        DesktopTest::SetUpTestSuite();
        if (desktop && desktop->ok())
            desktop->run(QStringLiteral("setxkbmap"), {QStringLiteral("-layout"), QStringLiteral("fr")});
    }

    // Keys go to the focused window as a user's keyboard would send them (XTEST events;
    // xdotool's --window sends synthetic events that lose characters outside the key map).
    static void keys(const QString &window, const QStringList &names)
    {
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        xdotool(QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("60")} + names);
    }
    static void type(const QString &window, const QString &text)
    {
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), window});
        xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("60"), text});
    }

    static int visibleWindows(const Program &program)
    {
        const QString ids = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                     QStringLiteral("--pid"), QString::number(program.pid())})
                                .trimmed();
        return ids.isEmpty() ? 0 : int(ids.split(QLatin1Char('\n')).size());
    }

    // Right-clicks the clock and waits until its menu shows.
    static bool openClockMenu(const Program &program, const QString &main)
    {
        xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), main});
        const int before = visibleWindows(program);
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), main, QStringLiteral("100"),
                 QStringLiteral("100"), QStringLiteral("click"), QStringLiteral("3")});
        for (int i = 0; i < 100; ++i) {
            if (visibleWindows(program) > before)
                return true;
            QThread::msleep(50);
        }
        return false;
    }

    // Opens the list the way a user does: the clock's menu, then "Liste des alarmes...".
    static QString openList(const Program &program, const QString &main)
    {
        if (!openClockMenu(program, main))
            return {};
        // Analogique, numérique, taille automatique, then the list.
        xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"),
                 QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Down"),
                 QStringLiteral("Down"), QStringLiteral("Return")});
        const QString list = desktop->waitForWindow(ListCaption);
        if (!list.isEmpty())
            xdotool({QStringLiteral("windowactivate"), QStringLiteral("--sync"), list});
        return list;
    }

    // The program started on 10 December 2026 at 07:00, its clock and its alarm list open.
    static void startWithList(Program &program, QString &main, QString &list)
    {
        ASSERT_TRUE(program.start({}, QStringLiteral("@2026-12-10 07:00:00")));
        main = desktop->waitForWindow(MainCaption);
        ASSERT_FALSE(main.isEmpty()) << qPrintable(program.output());
        list = openList(program, main);
        ASSERT_FALSE(list.isEmpty()) << "the alarm list did not open";
    }

    // The top of row 1's cells in the window: in the message column, which no toolbar button
    // reaches, the first run of 15 pixels of one cell colour (white or a strong colour; the
    // toolbar and the header row are grey).
    static int firstRowTop(const QString &window)
    {
        const QImage shot = desktop->grab(window);
        const int x = ColumnLeft[4] + 150;
        auto cellColour = [](const QColor &c) {
            return c == QColor(255, 255, 255) || c.hsvSaturation() > 100;
        };
        for (int y = 0; y + 15 < shot.height(); ++y) {
            const QColor first = shot.pixelColor(x, y);
            bool run = cellColour(first);
            for (int i = 1; i < 15 && run; ++i)
                run = shot.pixelColor(x, y + i) == first;
            if (run)
                return y;
        }
        return -1;
    }

    static QRect cellRect(int rowTop, int col, int row)
    {
        return QRect(ColumnLeft[col], rowTop + (row - 1) * RowPitch, ColumnWidth[col], RowPitch - 1);
    }

    static void doubleClickCell(const QString &window, int rowTop, int col, int row)
    {
        const QPoint p = cellRect(rowTop, col, row).center();
        const int x = p.x(), y = p.y();
        xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), window, QString::number(x),
                 QString::number(y), QStringLiteral("click"), QStringLiteral("--repeat"), QStringLiteral("2"),
                 QStringLiteral("--delay"), QStringLiteral("80"), QStringLiteral("1")});
    }

    // The lines of one section of the settings file.
    static QString section(const QString &iniPath, const QString &name)
    {
        const QString text = QString::fromUtf8(e2e::ReadFile(iniPath));
        const qsizetype start = text.indexOf(QLatin1Char('[') + name + QLatin1Char(']'));
        if (start < 0)
            return {};
        const qsizetype end = text.indexOf(QLatin1Char('['), start + 1);
        return text.mid(start, end < 0 ? -1 : end - start);
    }
};

} // namespace

TEST_F(AlarmListEndToEnd, AnAlarmSetInTheListIsSavedAndFiresAtTheNextStart)
{
    Program program(*desktop);
    // Nothing stored: every row starts switched off, dated now.
    QString main, list;
    ASSERT_NO_FATAL_FAILURE(startWithList(program, main, list));

    // The time cell of row 3 by keyboard: the current cell starts on row 1's date.
    keys(list,
         {QStringLiteral("Down"), QStringLiteral("Down"), QStringLiteral("Right"), QStringLiteral("F2")});
    type(list, QStringLiteral("070200"));
    keys(list, {QStringLiteral("Return")});
    // The message: typing opens the editor over the selected "-".
    keys(list, {QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("F2")});
    type(list, QStringLiteral("Réveil de test"));
    keys(list, {QStringLiteral("Return")});

    const int rowTop = firstRowTop(list);
    ASSERT_GT(rowTop, 41);
    doubleClickCell(list, rowTop, 3, 3);

    // "Quitter" on the list hides it; "Quitter" of the clock's menu ends the program.
    xdotool({QStringLiteral("mousemove"), QStringLiteral("--window"), list, QStringLiteral("130"),
             QString::number(rowTop - 42), QStringLiteral("click"), QStringLiteral("1")});
    bool hidden = false;
    for (int i = 0; i < 100 && !hidden; ++i) {
        hidden = xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"), QStringLiteral("--name"),
                          QStringLiteral("^Liste des alarmes$")})
                     .trimmed()
                     .isEmpty();
        if (!hidden)
            QThread::msleep(50);
    }
    EXPECT_TRUE(hidden) << "the list is still shown after its Quitter";
    ASSERT_TRUE(openClockMenu(program, main));
    xdotool({QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("100"), QStringLiteral("Up"),
             QStringLiteral("Return")});
    ASSERT_TRUE(program.waitForExit()) << "still running after Quitter";
    EXPECT_EQ(program.exitCode(), 0);

    const QString saved = section(program.iniPath(), QStringLiteral("Alarm_002"));
    EXPECT_TRUE(saved.contains(QStringLiteral("Enabled=1\r\n"))) << qPrintable(saved);
    EXPECT_TRUE(saved.contains(QStringLiteral("Date=10/12/2026\r\n"))) << qPrintable(saved);
    EXPECT_TRUE(saved.contains(QStringLiteral("Time=07:02:00\r\n"))) << qPrintable(saved);
    EXPECT_TRUE(saved.contains(QStringLiteral("DisplayName=Réveil de test\r\n"))) << qPrintable(saved);
    // The other rows stay off.
    EXPECT_TRUE(
        section(program.iniPath(), QStringLiteral("Alarm_001")).contains(QStringLiteral("Enabled=0")));

    // The next start, before that moment (with room for a slow start on a loaded machine):
    // the alert comes.
    Program again(*desktop);
    e2e::WriteFile(again.iniPath(), e2e::ReadFile(program.iniPath()));
    ASSERT_TRUE(again.start({}, QStringLiteral("@2026-12-10 07:01:48")));
    ASSERT_FALSE(desktop->waitForWindow(MainCaption).isEmpty()) << qPrintable(again.output());
    EXPECT_FALSE(desktop->waitForWindow(PopupName, 30000).isEmpty()) << "the alert never appeared";
    ::kill(pid_t(again.pid()), SIGTERM);
    EXPECT_TRUE(again.waitForExit());
}

TEST_F(AlarmListEndToEnd, AMessageEditedInTheListSurvivesTheSessionsEnd)
{
    Program program(*desktop);
    e2e::WriteFile(program.iniPath(), "[Alarm_000]\r\nEnabled=1\r\nDate=11/12/2026\r\nTime=08:00:00\r\n"
                                      "DisplayName=Avant\r\nShutdown=0\r\n");
    QString main, list;
    ASSERT_NO_FATAL_FAILURE(startWithList(program, main, list));

    const int rowTop = firstRowTop(list);
    ASSERT_GT(rowTop, 41);
    const QRect message = cellRect(rowTop, 4, 1);
    const QImage before = desktop->grab(list).copy(message);
    keys(list,
         {QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("Right"), QStringLiteral("F2")});
    type(list, QStringLiteral("Après"));
    keys(list, {QStringLiteral("Return")});
    // The edit is done once the cell shows its own colour again with another text.
    bool committed = false;
    for (int i = 0; i < 100 && !committed; ++i) {
        const QImage now = desktop->grab(list).copy(message);
        committed =
            now != before && now.pixelColor(message.width() - 3, message.height() - 3) == QColor(0, 255, 0);
        if (!committed)
            QThread::msleep(50);
    }
    ASSERT_TRUE(committed) << "the message cell never showed the edit";
    ::kill(pid_t(program.pid()), SIGTERM);
    ASSERT_TRUE(program.waitForExit());
    EXPECT_EQ(program.exitCode(), 0);

    const QString saved = section(program.iniPath(), QStringLiteral("Alarm_000"));
    EXPECT_TRUE(saved.contains(QStringLiteral("DisplayName=Après\r\n"))) << qPrintable(saved);
    EXPECT_TRUE(saved.contains(QStringLiteral("Enabled=1\r\n"))) << qPrintable(saved);
}

TEST_F(AlarmListEndToEnd, TheListOpensAgainAfterAnotherProgramDestroyedItsWindow)
{
    Program program(*desktop);
    QString main, list;
    ASSERT_NO_FATAL_FAILURE(startWithList(program, main, list));
    // Destroys the X window without asking the program first.
    xdotool({QStringLiteral("windowclose"), list});
    ASSERT_TRUE(e2e::Eventually([&] { return !desktop->windowExists(ListCaption); }));
    EXPECT_FALSE(openList(program, main).isEmpty()) << "the list did not open again";
    ::kill(pid_t(program.pid()), SIGTERM);
    EXPECT_TRUE(program.waitForExit());
}

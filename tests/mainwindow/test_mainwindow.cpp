#include "alarms/AlarmTable.h"
#include "platform/Exception.h"
#include "platform/linux/Autostart.h"
#include "support/Fakes.h"
#include "support/Files.h"
#include "support/StartProgram.h"
#include "ui/Action.h"
#include "ui/Clock.h"
#include "ui/TrackBar.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmMain.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class MainWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        program = testing_support::StartProgram(dir.filePath(QStringLiteral("tempovir.ini")));
        window = program->fmMain();
        alarms = program->fmAlarmsEdit();
        window->show();
    }
    int position() const { return window->tbFontSize->value(); }
    // The client size the user gives the clock; the window keeps its menu bar.
    void resizeClient(int w, int h) { window->resize(w, h); }

    QTemporaryDir dir;
    // The autostart folders are the test's own: no test reaches the user's session.
    testing_support::ScopedEnvironment configHome{"XDG_CONFIG_HOME", dir.filePath("config").toUtf8()};
    testing_support::ScopedEnvironment configDirs{"XDG_CONFIG_DIRS", dir.filePath("xdg").toUtf8()};
    std::unique_ptr<TProgram> program;
    TfmMain *window = nullptr;
    TfmAlarmsEdit *alarms = nullptr;
};

QStringList captions(const QMenu *menu)
{
    QStringList list;
    for (const QAction *a : menu->actions())
        list << (a->isSeparator() ? QStringLiteral("—") : a->text());
    return list;
}

} // namespace

TEST_F(MainWindow, HasTheDesignedWindowAndControls)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("TPV - Tempovir"));
    EXPECT_EQ(window->size(), QSize(370, 197));
    EXPECT_EQ(window->lblAlarms->text(), QStringLiteral("Alarmes activées"));
    EXPECT_FALSE(window->lblAlarms->isVisible());
    EXPECT_EQ(window->lblAlarms->font().pixelSize(), 11);
    EXPECT_EQ(window->lblAlarms->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_FALSE(window->Label1->isVisible());
    EXPECT_EQ(window->tbFontSize->minimum(), 12);
    EXPECT_EQ(window->tbFontSize->maximum(), 300);
    EXPECT_EQ(window->tbFontSize->height(), 30);
    EXPECT_FALSE(window->tbFontSize->isVisible()); // digital with automatic size at start
    EXPECT_EQ(window->Clock1->ShowMode(), scDigital);
}

TEST_F(MainWindow, ActionsCarryTheirCaptionsHintsImagesAndStartStates)
{
    struct Row
    {
        TAction *action;
        const char *caption;
        const char *hint;
        bool hasImage;
        bool checked;
    };
    const Row rows[] = {
        {window->ActTypeAnalog, "Représentation \"analogique\" (avec aiguilles)", "", false, false},
        {window->ActTypeDigital, "Représentation numérique", "", false, true},
        {window->ActClockFontAutoSize, "Taille caractère automatique", "", false, true},
        {window->ActAppStayOnTop, "Toujours en premier plan", "Toujours en premier plan", false, false},
        {window->ActAlarmsEdit, "Liste des alarmes...", "Liste des alarmes...", true, false},
        {window->ActAlarmsActivate, "Activer alarmes", "Activer alarmes", true, false},
        {window->ActAlarmsSound, "Alarme sonore", "Alarme sonore", false, true},
        {window->ActAppAbout, "A propos...", "", false, false},
        {window->ActAppHelpIndex, "Index de l'aide", "", true, false},
        {window->ActAppClose, "Quitter", "", true, false},
        {window->ActAppAutostart, "Lancer à l'ouverture de session", "Lancer à l'ouverture de session", false,
         false},
    };
    for (const Row &r : rows) {
        EXPECT_EQ(r.action->text(), QString::fromUtf8(r.caption));
        EXPECT_EQ(r.action->statusTip(), QString::fromUtf8(r.hint)) << r.caption;
        EXPECT_EQ(!r.action->icon().isNull(), r.hasImage) << r.caption;
        EXPECT_EQ(r.action->Checked(), r.checked) << r.caption;
        EXPECT_EQ(r.action->isEnabled(), r.action != window->ActAppHelpIndex) << r.caption;
    }
}

TEST_F(MainWindow, MenusListTheActionsInOrder)
{
    const QList<QAction *> top = window->menuBar()->actions();
    ASSERT_EQ(top.size(), 4);
    const QStringList titles = {QStringLiteral("Fichier"), QStringLiteral("Alarmes"),
                                QStringLiteral("Affichage"), QStringLiteral("Aide")};
    const QList<QStringList> items = {
        {QStringLiteral("Quitter")},
        {QStringLiteral("Liste des alarmes..."), QStringLiteral("Activer alarmes"),
         QStringLiteral("Alarme sonore"), QStringLiteral("—"),
         QStringLiteral("Lancer à l'ouverture de session")},
        {QStringLiteral("Représentation \"analogique\" (avec aiguilles)"),
         QStringLiteral("Représentation numérique"), QStringLiteral("—"),
         QStringLiteral("Taille caractère automatique"), QStringLiteral("—"),
         QStringLiteral("Montrer les menus"), QStringLiteral("Toujours en premier plan")},
        {QStringLiteral("Index de l'aide"), QStringLiteral("—"), QStringLiteral("A propos...")},
    };
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(top[i]->text(), titles[i]);
        EXPECT_EQ(captions(top[i]->menu()), items[i]) << qPrintable(titles[i]);
    }
    EXPECT_EQ(captions(window->PopupMenu1),
              QStringList({QStringLiteral("Représentation \"analogique\" (avec aiguilles)"),
                           QStringLiteral("Représentation numérique"), QStringLiteral("—"),
                           QStringLiteral("Taille caractère automatique"), QStringLiteral("—"),
                           QStringLiteral("Liste des alarmes..."), QStringLiteral("Activer alarmes"),
                           QStringLiteral("Alarme sonore"), QStringLiteral("—"),
                           QStringLiteral("Montrer les menus"), QStringLiteral("Toujours en premier plan"),
                           QStringLiteral("—"), QStringLiteral("Quitter")}));
}

TEST_F(MainWindow, UserCommandsToggleOnceAndCodeOnlyApplies)
{
    // A user command: Qt's own toggling is undone, the handler inverts exactly once.
    window->ActAlarmsActivate->trigger();
    EXPECT_TRUE(window->ActAlarmsActivate->Checked());
    EXPECT_TRUE(window->ActAlarmsActivate->isChecked());
    EXPECT_TRUE(window->lblAlarms->isVisible());
    window->ActAlarmsActivate->Execute(window->ActAlarmsActivate);
    EXPECT_FALSE(window->ActAlarmsActivate->Checked());
    EXPECT_FALSE(window->lblAlarms->isVisible());
    // From code: set the state, then apply it without a sender.
    window->ActAlarmsActivate->SetChecked(true);
    window->ActAlarmsActivate->Execute(nullptr);
    EXPECT_TRUE(window->ActAlarmsActivate->Checked());
    EXPECT_TRUE(window->lblAlarms->isVisible());

    window->ActAlarmsSound->Execute(nullptr);
    EXPECT_TRUE(window->ActAlarmsSound->Checked());
    window->ActAlarmsSound->trigger();
    EXPECT_FALSE(window->ActAlarmsSound->Checked());

    window->ActAppStayOnTop->trigger();
    EXPECT_TRUE(window->ActAppStayOnTop->Checked());
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    window->ActAppStayOnTop->Execute(nullptr);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowStaysOnTopHint);
    window->ActAppStayOnTop->trigger();
    EXPECT_FALSE(window->windowFlags() & Qt::WindowStaysOnTopHint);

    // Automatic size inverts with or without a sender.
    window->ActClockFontAutoSize->Execute(nullptr);
    EXPECT_FALSE(window->ActClockFontAutoSize->Checked());
    window->ActClockFontAutoSize->trigger();
    EXPECT_TRUE(window->ActClockFontAutoSize->Checked());
}

TEST_F(MainWindow, TheMenuItemShowsTheCheckMarkAndAChoiceTogglesOnce)
{
    QMenu *menu = window->PopupMenu1;
    TAction *activate = window->ActAlarmsActivate;
    menu->popup(window->mapToGlobal(QPoint(10, 10)));
    ASSERT_TRUE(menu->isVisible());
    const auto item = [&] { return menu->grab(menu->actionGeometry(activate)).toImage(); };
    const QImage unchecked = item();
    activate->SetChecked(true);
    const QImage checked = item();
    EXPECT_NE(checked, unchecked);
    activate->SetChecked(false);
    EXPECT_EQ(item(), unchecked);

    // Chosen from the menu: the handler runs once, the state and the mark flip once.
    menu->setActiveAction(activate);
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &enter);
    EXPECT_FALSE(menu->isVisible());
    EXPECT_TRUE(activate->Checked());
    EXPECT_TRUE(window->lblAlarms->isVisible());
    menu->popup(window->mapToGlobal(QPoint(10, 10)));
    EXPECT_EQ(item(), checked);
    menu->hide();
}

// The check mark is the autostart entry on disk: written and removed by the action, read
// again whenever the "Alarmes" menu opens, never stored in the settings file.
TEST_F(MainWindow, LaunchAtLogInWritesOrRemovesTheEntryAndTheMenuShowsTheDisk)
{
    const QString entry = dir.filePath("config/autostart/org.tempovir.Tempovir.desktop");
    const QByteArray exec =
        "Exec=" + platform::QuoteExecArgument(QCoreApplication::applicationFilePath()).toUtf8() +
        " --autostart\n";
    TAction *autostart = window->ActAppAutostart;
    QMenu *menu = window->menuBar()->actions()[1]->menu();
    const auto openMenu = [&] {
        menu->popup(window->mapToGlobal(QPoint(10, 10)));
        menu->hide();
    };
    EXPECT_FALSE(autostart->Checked());
    EXPECT_FALSE(QFileInfo::exists(entry));

    autostart->trigger(); // as the user
    EXPECT_TRUE(autostart->Checked());
    EXPECT_TRUE(testing_support::ReadBytes(entry).contains(exec));

    // Removed by hand: unchecked at the next opening of the menu, not before.
    QFile::remove(entry);
    EXPECT_TRUE(autostart->Checked());
    openMenu();
    EXPECT_FALSE(autostart->Checked());
    autostart->trigger();
    EXPECT_TRUE(autostart->Checked());
    // Switched off by hand in the entry.
    testing_support::WriteBytes(entry, testing_support::ReadBytes(entry) + "Hidden=true\n");
    openMenu();
    EXPECT_FALSE(autostart->Checked());

    // From code the handler applies the state it finds.
    autostart->SetChecked(true);
    autostart->Execute(nullptr);
    EXPECT_TRUE(autostart->Checked());
    EXPECT_FALSE(testing_support::ReadBytes(entry).contains("Hidden"));
    autostart->trigger();
    EXPECT_FALSE(autostart->Checked());
    EXPECT_FALSE(QFileInfo::exists(entry));
    autostart->SetChecked(false);
    autostart->Execute(nullptr);
    EXPECT_FALSE(autostart->Checked());

    autostart->trigger();
    program->close(false);
    EXPECT_TRUE(QFileInfo::exists(entry));
    EXPECT_FALSE(testing_support::ReadBytes(dir.filePath("tempovir.ini")).toLower().contains("autostart"));
}

TEST_F(MainWindow, AnEntryThatCannotBeWrittenIsReportedAndStaysUnchecked)
{
    testing_support::ErrorRecorder errors;
    // A file where the autostart folder should be.
    ASSERT_TRUE(QDir().mkpath(dir.filePath("config")));
    testing_support::WriteBytes(dir.filePath("config/autostart"), "");
    window->ActAppAutostart->trigger();
    EXPECT_FALSE(window->ActAppAutostart->Checked());
    EXPECT_EQ(errors.messages,
              QStringList("Impossible d'écrire dans " +
                          dir.filePath("config/autostart/org.tempovir.Tempovir.desktop") + "."));
}

TEST_F(MainWindow, DisplayModesAndTheSlider)
{
    window->ActClockFontAutoSize->trigger(); // automatic size off
    EXPECT_TRUE(window->tbFontSize->isVisible());
    window->ActTypeAnalog->trigger();
    EXPECT_EQ(window->Clock1->ShowMode(), scAnalog);
    EXPECT_TRUE(window->ActTypeAnalog->Checked());
    EXPECT_FALSE(window->ActTypeDigital->Checked());
    EXPECT_FALSE(window->tbFontSize->isVisible()); // analog hides it even with automatic size off
    window->ActTypeDigital->trigger();
    window->ActTypeDigital->trigger(); // choosing digital again changes nothing
    EXPECT_EQ(window->Clock1->ShowMode(), scDigital);
    EXPECT_TRUE(window->ActTypeDigital->Checked());
    EXPECT_TRUE(window->tbFontSize->isVisible());
    // Dragging the slider sets the font at once, within its range.
    window->tbFontSize->setValue(100);
    EXPECT_EQ(window->Clock1->font().pointSize(), 100);
    EXPECT_EQ(window->Label1->font().pointSize(), 100);
    window->setFontSizePosition(500);
    EXPECT_EQ(position(), 300);
    EXPECT_EQ(window->Clock1->font().pointSize(), 300);
}

TEST(TrackBar, TheThumbIsAPointerThatDragsFromAnyPartOfIt)
{
    TTrackBar bar;
    bar.setRange(12, 300);
    bar.setValue(156);
    bar.resize(300, 30);
    const QImage image = bar.grab().toImage();
    // What is drawn of each row that has anything on it: above and below the groove, the thumb.
    const QRgb background = image.pixel(0, 0);
    struct Row
    {
        int y, left, count;
    };
    QList<Row> rows;
    for (int y = 0; y < image.height(); ++y) {
        Row row{y, -1, 0};
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != background) {
                row.left = row.left < 0 ? x : row.left;
                ++row.count;
            }
        }
        if (row.count > 0)
            rows << row;
    }
    ASSERT_GE(rows.size(), 12);
    EXPECT_GE(rows.first().count, 9) << "a flat top";
    EXPECT_LE(rows.last().count, 3) << "a point at the bottom";
    EXPECT_GE(rows.last().y - rows.first().y, 16) << "taller than wide";

    // Pressed in its top row, the thumb follows the mouse rather than paging.
    const QPointF from(rows.first().left + rows.first().count / 2, rows.first().y);
    const QPointF to = from + QPointF(60, 0);
    QMouseEvent press(QEvent::MouseButtonPress, from, bar.mapToGlobal(from), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QMouseEvent move(QEvent::MouseMove, to, bar.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, to, bar.mapToGlobal(to), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    for (QMouseEvent *event : {&press, &move, &release})
        QCoreApplication::sendEvent(&bar, event);
    EXPECT_GT(bar.value(), 156 + 50);
}

TEST_F(MainWindow, OneResizeGrowsTheFontByAtMost101Points)
{
    const int before = position(); // already fitted to the window as it was shown
    resizeClient(3800, 2000);
    EXPECT_EQ(position(), before + 101);
    EXPECT_FALSE(window->TextDoesNotFit());
    resizeClient(3800, 2001);
    EXPECT_GT(position(), before + 101);
}

TEST_F(MainWindow, AWindowTooSmallForTwelvePointsEndsAtTwelve)
{
    window->setMinimumSize(0, 0);
    resizeClient(60, 60);
    EXPECT_EQ(position(), 12);
    EXPECT_TRUE(window->TextDoesNotFit());
    EXPECT_EQ(window->Clock1->font().pointSize(), 12);
}

TEST_F(MainWindow, AfterGrowingTheSampleIsOnePointTooLargeButTheTimeFits)
{
    resizeClient(700, 300);
    const int fitted = position();
    EXPECT_GT(fitted, 48);
    EXPECT_TRUE(window->TextDoesNotFit());
    const QFontMetrics metrics(window->Clock1->font());
    EXPECT_LE(8 * metrics.horizontalAdvance(QStringLiteral("8")), window->Clock1->width());
    window->setFontSizePosition(fitted - 1);
    EXPECT_FALSE(window->TextDoesNotFit());
    // The next resize that finds the sample too large shrinks by one point.
    window->setFontSizePosition(fitted);
    resizeClient(701, 300);
    EXPECT_EQ(position(), fitted - 1);
}

TEST_F(MainWindow, SwitchingAutomaticSizeOffShowsTheSliderAtTheFittedSize)
{
    resizeClient(700, 300);
    const int fitted = position();
    window->ActClockFontAutoSize->trigger();
    EXPECT_TRUE(window->tbFontSize->isVisible());
    EXPECT_EQ(position(), fitted);
    EXPECT_EQ(window->Clock1->font().pointSize(), fitted);
}

TEST_F(MainWindow, TheMenuToggleChangesBorderAndMenuBarBothWays)
{
    window->ActAppShowMenu->SetChecked(true);
    window->ActAppShowMenu->Execute(nullptr);
    EXPECT_TRUE(window->menuBar()->isVisible());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::Tool));

    window->ActAppShowMenu->trigger();
    EXPECT_FALSE(window->ActAppShowMenu->Checked());
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->menuBar()->isVisible());
    EXPECT_TRUE((window->windowFlags() & Qt::WindowType_Mask) == Qt::Tool);
    EXPECT_EQ(window->minimumSize(), window->maximumSize()); // not resizable
    // The pop-up menu still offers the way back.
    EXPECT_TRUE(window->PopupMenu1->actions().contains(window->ActAppShowMenu));

    window->ActAppShowMenu->trigger();
    EXPECT_TRUE(window->menuBar()->isVisible());
    EXPECT_TRUE((window->windowFlags() & Qt::WindowType_Mask) == Qt::Window);
    EXPECT_NE(window->minimumSize(), window->maximumSize());
}

TEST_F(MainWindow, TheAlarmsLabelSitsInTheTopRightCornerAfterResizes)
{
    for (const QSize size : {QSize(370, 197), QSize(640, 300), QSize(300, 150)}) {
        resizeClient(size.width(), size.height());
        const QLabel *label = window->lblAlarms;
        const int textWidth = QFontMetrics(label->font()).horizontalAdvance(label->text());
        EXPECT_EQ(label->x() + textWidth, window->Clock1->width() - 4) << size.width();
        EXPECT_EQ(label->y(), 2);
    }
}

TEST_F(MainWindow, TheAlarmListIsShownAndRestoredFromTheLabel)
{
    alarms->showMinimized();
    QMouseEvent click(QEvent::MouseButtonDblClick, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window->lblAlarms, &click);
    EXPECT_TRUE(alarms->isVisible());
    EXPECT_FALSE(alarms->isMinimized());
}

TEST(MainWindowAlone, ClockReadingsCheckAlarmsOnlyWhileRunning)
{
    testing_support::ErrorRecorder errors;
    testing_support::FakeMainHost host;
    // The table has not been loaded: a check finds texts that are not dates.
    TAlarmTable table;
    host.startingUp = true;
    TfmMain window(table, host);
    window.Clock1->CurrentTime();
    host.startingUp = false;
    host.closing = true;
    window.Clock1->CurrentTime();
    host.closing = false;
    EXPECT_TRUE(errors.messages.isEmpty());
    // Running: the failure is reported once, however often the clock reads the time.
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(window.Clock1->CurrentTime().isValid());
    EXPECT_EQ(errors.messages, QStringList(QStringLiteral("'' n'est pas une date correcte.")));
}

TEST(MainWindowStartUp, ReadingsWhileTheWindowsAreBuiltCheckNoAlarm)
{
    // The main window reads the time while it is built, before the alarm list exists and
    // before the table is loaded: a check then would report texts that are not dates.
    testing_support::ErrorRecorder errors;
    QTemporaryDir dir;
    TProgram program(dir.filePath(QStringLiteral("tempovir.ini")));
    program.start();
    EXPECT_TRUE(errors.messages.isEmpty());
    EXPECT_FALSE(program.StartingUp());
}

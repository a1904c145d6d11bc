#include "app/Startup.h"

#include "alarms/AlarmTable.h"
#include "alarms/frmShutDown.h"
#include "alarms/uAlarms.h"
#include "alarms/uShutdown.h"
#include "app/DisplayChoice.h"
#include "app/Globals.h"
#include "app/SettingsLocation.h"
#include "platform/Fonts.h"
#include "platform/Regional.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "platform/TApplication.h"
#include "platform/Time.h"
#include "res/Images.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmMain.h"

#include <QGuiApplication>
#include <memory>

void SessionEnding()
{
    if (fmShutdown && ShutdownPending)
        fmShutdown->btnCancelClick(nullptr);
    fmAlarmsEdit->GridAlarms->FinishEditing();
    SaveAlarmsIfModified(*fmAlarmsEdit->AlarmTable, IniFileName);
    Closing = true;
}

int RunTempovir(char *programPath)
{
    platform::PinLocalTimeZone();

    if (!PrepareDisplay())
        return 1;
    // Qt's shared-memory images cost the idle clock a round trip to the X server and two
    // more wake-ups at every drawn second; its window is small enough to send directly.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // Qt's own event dispatcher wakes once per clock tick; the GLib one adds wake-ups of its
    // own, and the program needs nothing of GLib.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");

    // Qt sees only the program's path: no argument changes what the program does.
    int argc = 1;
    char *argv[] = {programPath, nullptr};
    TApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // only the main window's close ends the run
    // The desktop matches the running windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TEMPOVIR_APP_ID));

    // One copy per settings file: a second start shows the first copy's window and leaves
    // the file alone.
    IniFileName = SettingsFileFor(QCoreApplication::applicationFilePath());
    platform::SingleInstance instance(IniFileName);
    if (!instance.claim())
        return 0;
    instance.setOnShowRequest([] {
        if (!fmMain)
            return;
        fmMain->setWindowState(fmMain->windowState() & ~Qt::WindowMinimized);
        fmMain->show();
        fmMain->raise();
        fmMain->activateWindow();
    });
    platform::RegisterFonts();
    app.setWindowIcon(ProgramIcon());
    platform::LoadFormatSettings();

    StartingUp = true;
    auto mainWindow = std::make_unique<TfmMain>();
    fmMain = mainWindow.get();
    auto alarmsWindow = std::make_unique<TfmAlarmsEdit>();
    fmAlarmsEdit = alarmsWindow.get();
    auto shutdownWindow = std::make_unique<TfmShutdown>();
    fmShutdown = shutdownWindow.get();
    fmMain->InitApplication(IniFileName);
    StartingUp = false;

    // A desktop that logs out or shuts down must not lose the user's alarm edits;
    // preferences and placement are not written then, and no alarm fires any more.
    platform::WatchSessionEnd(SessionEnding);

    fmMain->show();
    const int rc = app.exec();

    fmShutdown = nullptr;
    shutdownWindow.reset();
    fmAlarmsEdit = nullptr;
    alarmsWindow.reset();
    fmMain = nullptr;
    mainWindow.reset();
    return rc;
}

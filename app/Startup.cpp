#include "app/Startup.h"

#include "alarms/frmShutDown.h"
#include "alarms/uAlarms.h"
#include "app/Globals.h"
#include "platform/Fonts.h"
#include "platform/Regional.h"
#include "platform/SessionEnd.h"
#include "platform/SingleInstance.h"
#include "platform/TApplication.h"
#include "platform/Time.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmMain.h"

#include <memory>

int RunTempovir(char *programPath)
{
    platform::PinLocalTimeZone();

    // The program places its own windows (the popup, restored placements), which native
    // Wayland does not allow.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");

    // Qt sees only the program's path: no argument changes what the program does.
    int argc = 1;
    char *argv[] = {programPath, nullptr};
    TApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false); // only the main window's close ends the run

    // One copy per settings file: a second start shows the first copy's window and leaves
    // the file alone.
    platform::SingleInstance instance(
        ChangeFileExt(QCoreApplication::applicationFilePath(), QStringLiteral(".ini")));
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
    platform::LoadFormatSettings();

    StartingUp = true;
    auto mainWindow = std::make_unique<TfmMain>();
    fmMain = mainWindow.get();
    auto alarmsWindow = std::make_unique<TfmAlarmsEdit>();
    fmAlarmsEdit = alarmsWindow.get();
    auto shutdownWindow = std::make_unique<TfmShutdown>();
    fmShutdown = shutdownWindow.get();
    fmMain->InitApplication();
    StartingUp = false;

    // A desktop that logs out or shuts down must not lose the user's alarm edits;
    // preferences and placement are not written then, and no alarm fires any more.
    platform::WatchSessionEnd([] {
        SaveAlarmsIfModified();
        Closing = true;
    });

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

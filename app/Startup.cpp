#include "app/Startup.h"

#include "app/Program.h"
#include "app/SettingsLocation.h"
#include "app/TApplication.h"
#include "platform/Fonts.h"
#include "platform/PowerOff.h"
#include "platform/Regional.h"
#include "platform/Sound.h"
#include "platform/Time.h"
#include "platform/linux/DisplayChoice.h"
#include "platform/linux/SessionEnd.h"
#include "platform/linux/SingleInstance.h"
#include "res/Images.h"

#include <QGuiApplication>

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
    const QString iniFileName = SettingsFileFor(QCoreApplication::applicationFilePath());
    platform::SingleInstance instance(iniFileName);
    if (!instance.claim())
        return 0;
    // The notes reach the sound server, and a power-off alarm reaches logind.
    platform::SetSoundOutput(&platform::ServerSoundOutput());
    platform::SetPowerControl(&platform::LogindPowerControl());
    platform::RegisterFonts();
    app.setWindowIcon(ProgramIcon());
    platform::LoadFormatSettings();

    TProgram program(iniFileName);
    program.start();
    instance.setOnShowRequest([&program] { program.showMainWindow(); });

    // A desktop that logs out or shuts down must not lose the user's alarm edits;
    // preferences and placement are not written then, and no alarm fires any more.
    platform::WatchSessionEnd([&program] { program.close(true); });

    program.fmMain()->show();
    return app.exec();
}

#include "app/Startup.h"

#include "app/CommandLine.h"
#include "app/Program.h"
#include "app/SettingsLocation.h"
#include "app/TApplication.h"
#include "platform/ErrorReport.h"
#include "platform/Fonts.h"
#include "platform/PowerOff.h"
#include "platform/Regional.h"
#include "platform/Sound.h"
#include "platform/Time.h"
#include "platform/linux/DisplayChoice.h"
#include "platform/linux/SessionEnd.h"
#include "platform/linux/SingleInstance.h"
#include "res/Images.h"
#include "res/uRes.h"

#include <QGuiApplication>

namespace {
// How long a start by the session waits for its X display, which may come up after it.
constexpr int SessionDisplayWaitMs = 30000;
} // namespace

int RunTempovir(int argc, char **argv)
{
    const TCommandLine options = ParseCommandLine(argc, argv);
    platform::PinLocalTimeZone();

    if (!PrepareDisplay(options.autostart ? SessionDisplayWaitMs : 0))
        return 1;
    // Qt's shared-memory images cost the idle clock a round trip to the X server and two
    // more wake-ups at every drawn second; its window is small enough to send directly.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    // Qt's own event dispatcher wakes once per clock tick; the GLib one adds wake-ups of its
    // own, and the program needs nothing of GLib.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");

    // Qt sees only the program's path: none of its own options may move the program off its
    // display.
    int qtArgc = 1;
    char *qtArgv[] = {argv[0], nullptr};
    TApplication app(qtArgc, qtArgv);
    app.setQuitOnLastWindowClosed(false); // only the main window's close ends the run
    // The desktop matches the running windows to the installed entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(TEMPOVIR_APP_ID));

    // One copy per settings file: a second start shows the first copy's window and leaves
    // the file alone; a start by the session at log-in leaves a running copy as it is. A start
    // that cannot make sure of that says so, rather than fire every alarm twice.
    const QString iniFileName = SettingsFileFor(QCoreApplication::applicationFilePath());
    platform::SingleInstance instance(iniFileName);
    switch (instance.claim(!options.autostart)) {
    case platform::SingleInstance::TClaim::First:
        break;
    case platform::SingleInstance::TClaim::Shown:
    case platform::SingleInstance::TClaim::Running:
        return 0;
    case platform::SingleInstance::TClaim::NoAnswer:
        platform::ShowException(uRes::NotAnswering(iniFileName));
        return 1;
    case platform::SingleInstance::TClaim::NoLock:
        platform::ShowException(uRes::NoInstanceLock(iniFileName));
        return 1;
    }
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

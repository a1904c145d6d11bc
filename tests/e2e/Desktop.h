#pragma once

#include <QDeadlineTimer>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <memory>

namespace e2e {

// Polls until check holds or timeoutMs have passed; returns whether it held.
template <class F> bool Eventually(F check, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        if (check())
            return true;
        QThread::msleep(50);
    }
    return check();
}

// Where the windows are shown: openbox on Xvfb, as in the lab, or the X display (XWayland)
// of a headless Wayland compositor, as on GNOME and Plasma.
enum class TSession { Openbox, Mutter, KWin };

// A private X display with a window manager, for the lifetime of the object. A compositor
// runs with a runtime folder and a session bus of its own; nothing reaches the machine's
// system bus.
class Desktop
{
public:
    explicit Desktop(TSession session = TSession::Openbox);
    ~Desktop();
    bool ok() const { return !m_display.isEmpty(); }
    // Why the desktop did not start.
    QString error() const { return m_error; }
    QString display() const { return m_display; }
    // The environment of a program shown on this desktop.
    QProcessEnvironment environment() const { return m_env; }
    // Runs a command on this display and returns its standard output (empty on failure).
    QString run(const QString &program, const QStringList &args, int timeoutMs = 10000) const;
    // Waits until a window whose name matches exactly exists; returns its id or empty.
    QString waitForWindow(const QString &name, int timeoutMs = 15000) const;
    bool windowExists(const QString &name) const;
    // The window as the screen shows it, taken with ImageMagick's import; null on failure.
    QImage grab(const QString &window) const;
    // The window's X11 property as xprop prints it.
    QString property(const QString &window, const QString &name) const;
    // The window's client area, and its outer frame: the client area and the frame the window
    // manager puts around it.
    QRect clientRect(const QString &window) const;
    QRect outerRect(const QString &window) const;
    // The clock's pop-up menu on the window, then its n-th command. A click that comes while
    // the window is still being mapped opens nothing, so it is repeated.
    bool clockMenuCommand(const QString &window, int n) const;

private:
    bool startCompositor(TSession session);
    bool waitForWindowManager(const QString &name);

    QProcess m_xvfb;
    QProcess m_wm;
    QProcess m_bus;
    std::unique_ptr<QTemporaryDir> m_runtime;
    qint64 m_sessionPid = 0;
    QString m_display;
    QString m_error;
    QProcessEnvironment m_env;
};

// The real executable, copied into a folder of its own so its settings file lands there.
class Program
{
public:
    explicit Program(const Desktop &desktop);
    ~Program();
    QString dir() const { return m_dir.path(); }
    QString iniPath() const;
    // Starts it; fakeTime, if given, is a faketime moment such as "@2026-12-10 07:29:58".
    bool start(const QStringList &args = {}, const QString &fakeTime = {});
    // The system bus the program is given; without one it gets an address that leads
    // nowhere, so that no run can reach the machine's own system bus.
    void setSystemBus(const QString &address) { m_systemBus = address; }
    // Runs it under faketime with the moment read from this file, so that a test decides when
    // time moves on: a stopped moment such as "2026-12-10 07:29:00", read again every second.
    void setFakeTimeFile(const QString &path) { m_fakeTimeFile = path; }
    bool waitForExit(int timeoutMs = 15000);
    int exitCode() const { return m_process.exitCode(); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    qint64 pid() const { return m_process.processId(); }
    QString output() const;

private:
    const Desktop &m_desktop;
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_exe;
    QString m_systemBus;
    QString m_fakeTimeFile;
};

// A suite whose tests share one desktop, started before its first test and stopped after its
// last; each test is skipped when no X server could be started.
class DesktopTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;

    // Runs xdotool on the shared desktop and returns its standard output.
    static QString xdotool(const QStringList &args);

    static Desktop *desktop;
};

// Closes the program's main window as the user does, and expects the program to end cleanly.
void CloseAndWait(const Desktop &desktop, Program &program);

QByteArray ReadFile(const QString &path);
void WriteFile(const QString &path, const QByteArray &bytes);

} // namespace e2e

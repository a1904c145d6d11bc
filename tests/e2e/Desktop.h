#pragma once

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace e2e {

// A private X display with a window manager, for the lifetime of the object.
class Desktop
{
public:
    Desktop();
    ~Desktop();
    bool ok() const { return !m_display.isEmpty(); }
    QString display() const { return m_display; }
    // Runs a command on this display and returns its standard output (empty on failure).
    QString run(const QString &program, const QStringList &args, int timeoutMs = 10000) const;
    // Waits until a window whose name matches exactly exists; returns its id or empty.
    QString waitForWindow(const QString &name, int timeoutMs = 15000) const;
    bool windowExists(const QString &name) const;
    // The window as the screen shows it, taken with ImageMagick's import; null on failure.
    QImage grab(const QString &window) const;

private:
    QProcess m_xvfb;
    QProcess m_wm;
    QString m_display;
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

QByteArray ReadFile(const QString &path);
void WriteFile(const QString &path, const QByteArray &bytes);

} // namespace e2e

#include "Desktop.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>

#include <csignal>
#include <sys/types.h>

namespace e2e {

namespace {

// xdotool matches names with POSIX extended expressions.
QString exactName(const QString &name)
{
    QString re = QStringLiteral("^");
    for (const QChar c : name) {
        if (QStringLiteral(".[]()*+?{}|^$\\").contains(c))
            re += QLatin1Char('\\');
        re += c;
    }
    return re + QLatin1Char('$');
}

} // namespace

Desktop::Desktop(TSession session) : m_env(QProcessEnvironment::systemEnvironment())
{
    if (session != TSession::Openbox) {
        startCompositor(session);
        return;
    }
    // -displayfd lets the server pick a free display number and tell us which.
    m_xvfb.setProgram(QStringLiteral("Xvfb"));
    m_xvfb.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp")});
    m_xvfb.start();
    if (!m_xvfb.waitForStarted(10000)) {
        m_error = QStringLiteral("Xvfb did not start");
        return;
    }
    QByteArray number;
    const QDeadlineTimer deadline(15000);
    while (!number.contains('\n') && !deadline.hasExpired()) {
        m_xvfb.waitForReadyRead(200);
        number += m_xvfb.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        m_error = QStringLiteral("Xvfb named no display");
        return;
    }
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    m_env.insert(QStringLiteral("DISPLAY"), m_display);

    m_wm.setProcessEnvironment(m_env);
    m_wm.start(QStringLiteral("openbox"), {});
    m_wm.waitForStarted(10000);
    waitForWindowManager(QStringLiteral("Openbox"));
}

bool Desktop::startCompositor(TSession session)
{
    const bool kwin = session == TSession::KWin;
    const QString program = kwin ? qEnvironmentVariable("TEMPOVIR_KWIN", QStringLiteral("kwin_wayland"))
                                 : QStringLiteral("mutter");
    if (QStandardPaths::findExecutable(program).isEmpty() && !QFileInfo(program).isExecutable()) {
        m_error = program + QStringLiteral(" is not installed");
        return false;
    }
    m_runtime = std::make_unique<QTemporaryDir>(); // made for the owner alone, as a runtime folder is
    const QDir runtime(m_runtime->path());
    for (const char *sub : {"config", "data", "cache"})
        runtime.mkdir(QString::fromLatin1(sub));

    // A session bus of its own that starts no service.
    const QString busConfig = runtime.filePath(QStringLiteral("bus.conf"));
    WriteFile(busConfig, "<busconfig><type>session</type><listen>unix:dir=" + runtime.path().toUtf8() +
                             "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                             "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                             "<allow own=\"*\"/></policy></busconfig>\n");
    m_bus.start(QStringLiteral("dbus-daemon"),
                {QStringLiteral("--nofork"), QStringLiteral("--config-file=") + busConfig,
                 QStringLiteral("--print-address=1")});
    QByteArray address;
    const QDeadlineTimer busDeadline(15000);
    m_bus.waitForStarted(10000);
    while (!address.contains('\n') && !busDeadline.hasExpired() && m_bus.state() == QProcess::Running) {
        m_bus.waitForReadyRead(200);
        address += m_bus.readAllStandardOutput();
    }
    if (!address.contains('\n')) {
        m_error = QStringLiteral("dbus-daemon did not start: ") +
                  QString::fromLocal8Bit(m_bus.readAllStandardError());
        return false;
    }

    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "XAUTHORITY", "QT_QPA_PLATFORM"})
        m_env.remove(QString::fromLatin1(name));
    m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QString::fromUtf8(address.trimmed()));
    m_env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
                 QStringLiteral("unix:path=") + runtime.filePath(QStringLiteral("no-system-bus")));
    m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), runtime.filePath(QStringLiteral("config")));
    m_env.insert(QStringLiteral("XDG_DATA_HOME"), runtime.filePath(QStringLiteral("data")));
    m_env.insert(QStringLiteral("XDG_CACHE_HOME"), runtime.filePath(QStringLiteral("cache")));
    m_env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));

    // The compositor starts this once its X display is up: it says which display that is, then
    // lives as long as the test, and the compositor ends with it, also when the test dies.
    const QString script = runtime.filePath(QStringLiteral("session.sh"));
    const QString said = runtime.filePath(QStringLiteral("session.env"));
    WriteFile(
        script,
        "#!/bin/sh\nprintf 'DISPLAY=%s\\nXAUTHORITY=%s\\nPID=%s\\n' \"$DISPLAY\" \"$XAUTHORITY\" $$ > \"" +
            said.toUtf8() + ".new\"\nmv \"" + said.toUtf8() + ".new\" \"" + said.toUtf8() +
            "\"\nexec tail -f /dev/null --pid=" + QByteArray::number(QCoreApplication::applicationPid()) +
            "\n");
    QFile::setPermissions(script, QFile::ReadOwner | QFile::ExeOwner);
    const QStringList args = kwin ? QStringList{QStringLiteral("--virtual"),
                                                QStringLiteral("--xwayland"),
                                                QStringLiteral("--width"),
                                                QStringLiteral("1280"),
                                                QStringLiteral("--height"),
                                                QStringLiteral("1024"),
                                                QStringLiteral("--exit-with-session"),
                                                script}
                                  : QStringList{QStringLiteral("--headless"),
                                                QStringLiteral("--wayland"),
                                                QStringLiteral("--virtual-monitor"),
                                                QStringLiteral("1280x1024"),
                                                QStringLiteral("--"),
                                                script};
    m_wm.setProcessEnvironment(m_env);
    m_wm.setProcessChannelMode(QProcess::MergedChannels);
    m_wm.start(program, args);
    if (!Eventually([&] { return QFile::exists(said) || m_wm.state() == QProcess::NotRunning; }, 60000) ||
        !QFile::exists(said)) {
        m_error = program + QStringLiteral(" did not start its X display: ") +
                  QString::fromLocal8Bit(m_wm.readAll());
        return false;
    }
    QString display;
    for (const QString &line : QString::fromUtf8(ReadFile(said)).split(QLatin1Char('\n'))) {
        const QString value = line.section(QLatin1Char('='), 1);
        if (line.startsWith(QLatin1String("DISPLAY=")))
            display = value;
        else if (line.startsWith(QLatin1String("XAUTHORITY=")) && !value.isEmpty())
            m_env.insert(QStringLiteral("XAUTHORITY"), value);
        else if (line.startsWith(QLatin1String("PID=")))
            m_sessionPid = value.toLongLong();
    }
    m_env.insert(QStringLiteral("DISPLAY"), display);
    m_display = display;
    if (!waitForWindowManager(kwin ? QStringLiteral("KWin") : QStringLiteral("Mutter"))) {
        m_error = program + QStringLiteral(" manages no window: ") + QString::fromLocal8Bit(m_wm.readAll());
        m_display.clear();
        return false;
    }
    return true;
}

// The window manager is ready once it owns the screen's selection.
bool Desktop::waitForWindowManager(const QString &name)
{
    return Eventually([&] { return run(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).contains(name); },
                      30000);
}

Desktop::~Desktop()
{
    // A compositor ends with its session.
    if (m_sessionPid > 0 && ::kill(pid_t(m_sessionPid), SIGTERM) == 0)
        m_wm.waitForFinished(15000);
    for (QProcess *p : {&m_wm, &m_xvfb, &m_bus}) {
        if (p->state() != QProcess::NotRunning) {
            p->terminate();
            if (!p->waitForFinished(5000)) {
                p->kill();
                p->waitForFinished(5000);
            }
        }
    }
}

QString Desktop::run(const QString &program, const QStringList &args, int timeoutMs) const
{
    QProcess p;
    p.setProcessEnvironment(m_env);
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished(1000);
        return {};
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

bool Desktop::windowExists(const QString &name) const
{
    return !run(QStringLiteral("xdotool"),
                {QStringLiteral("search"), QStringLiteral("--name"), exactName(name)})
                .trimmed()
                .isEmpty();
}

QString Desktop::waitForWindow(const QString &name, int timeoutMs) const
{
    QString ids;
    Eventually(
        [&] {
            ids = run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                                  QStringLiteral("--name"), exactName(name)})
                      .trimmed();
            return !ids.isEmpty();
        },
        timeoutMs);
    return ids.section(QLatin1Char('\n'), 0, 0);
}

QImage Desktop::grab(const QString &window) const
{
    QProcess import;
    import.setProcessEnvironment(m_env);
    import.start(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")});
    if (!import.waitForFinished(15000))
        return {};
    return QImage::fromData(import.readAllStandardOutput(), "PNG");
}

QString Desktop::property(const QString &window, const QString &name) const
{
    return run(QStringLiteral("xprop"), {QStringLiteral("-id"), window, name});
}

QRect Desktop::clientRect(const QString &window) const
{
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), window});
    auto number = [&](const char *label) {
        const QRegularExpression re(QString::fromLatin1(label) + QStringLiteral(":\\s+(-?\\d+)"));
        return re.match(info).captured(1).toInt();
    };
    return QRect(number("Absolute upper-left X"), number("Absolute upper-left Y"), number("Width"),
                 number("Height"));
}

QRect Desktop::outerRect(const QString &window) const
{
    const QRegularExpression extentsRe(QStringLiteral("= (\\d+), (\\d+), (\\d+), (\\d+)"));
    const QRegularExpressionMatch m = extentsRe.match(property(window, QStringLiteral("_NET_FRAME_EXTENTS")));
    return clientRect(window).marginsAdded(
        QMargins(m.captured(1).toInt(), m.captured(3).toInt(), m.captured(2).toInt(), m.captured(4).toInt()));
}

bool Desktop::clockMenuCommand(const QString &window, int n) const
{
    const auto menus = [&] {
        return run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                               QStringLiteral("--class"), QStringLiteral("tempovir")})
            .trimmed()
            .split(u'\n', Qt::SkipEmptyParts)
            .size();
    };
    const int before = menus();
    bool opened = false;
    for (int attempt = 0; attempt < 5 && !opened; ++attempt) {
        run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QStringLiteral("--window"), window, QStringLiteral("60"),
             QStringLiteral("80"), QStringLiteral("click"), QStringLiteral("3")});
        opened = Eventually([&] { return menus() > before; }, 1000);
    }
    if (!opened)
        return false;
    QStringList keys;
    for (int i = 0; i < n; ++i)
        keys << QStringLiteral("Down");
    keys << QStringLiteral("Return");
    run(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} + keys);
    return true;
}

Program::Program(const Desktop &desktop) : m_desktop(desktop)
{
    m_exe = m_dir.filePath(QStringLiteral("tempovir"));
    QFile::copy(qEnvironmentVariable("TEMPOVIR_EXE"), m_exe);
    QFile::setPermissions(m_exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_process.setProcessChannelMode(QProcess::MergedChannels);
}

Program::~Program()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString Program::iniPath() const
{
    return m_dir.filePath(QStringLiteral("tempovir.ini"));
}

bool Program::start(const QStringList &args, const QString &fakeTime)
{
    QProcessEnvironment env = m_desktop.environment();
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
               m_systemBus.isEmpty()
                   ? QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-system-bus"))
                   : m_systemBus);
    if (!fakeTime.isEmpty() || !m_fakeTimeFile.isEmpty()) {
        // The multi-threaded preload keeps the program's own pid, unlike the faketime wrapper.
        env.insert(QStringLiteral("LD_PRELOAD"),
                   QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1"));
        if (m_fakeTimeFile.isEmpty()) {
            env.insert(QStringLiteral("FAKETIME"), fakeTime);
        } else {
            env.insert(QStringLiteral("FAKETIME_TIMESTAMP_FILE"), m_fakeTimeFile);
            env.insert(QStringLiteral("FAKETIME_CACHE_DURATION"), QStringLiteral("1"));
        }
        env.insert(QStringLiteral("FAKETIME_DONT_FAKE_MONOTONIC"), QStringLiteral("1"));
    }
    m_process.setProcessEnvironment(env);
    m_process.setWorkingDirectory(m_dir.path());
    m_process.start(m_exe, args);
    return m_process.waitForStarted(10000);
}

bool Program::waitForExit(int timeoutMs)
{
    return m_process.waitForFinished(timeoutMs);
}

QString Program::output() const
{
    return QString::fromUtf8(const_cast<QProcess &>(m_process).readAll());
}

void CloseAndWait(const Desktop &desktop, Program &program)
{
    desktop.run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), QStringLiteral("TPV - Tempovir")});
    ASSERT_TRUE(program.waitForExit()) << qPrintable(program.output());
    EXPECT_EQ(program.exitCode(), 0);
}

QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

Desktop *DesktopTest::desktop = nullptr;

void DesktopTest::SetUpTestSuite()
{
    desktop = new Desktop;
}

void DesktopTest::TearDownTestSuite()
{
    delete desktop;
    desktop = nullptr;
}

void DesktopTest::SetUp()
{
    if (!desktop->ok())
        GTEST_SKIP() << "no X server";
}

QString DesktopTest::xdotool(const QStringList &args)
{
    return desktop->run(QStringLiteral("xdotool"), args);
}

} // namespace e2e

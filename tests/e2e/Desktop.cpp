#include "Desktop.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QThread>

#include <csignal>

namespace e2e {

namespace {

void poll()
{
    QThread::msleep(50);
}

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

Desktop::Desktop()
{
    // -displayfd lets the server pick a free display number and tell us which.
    m_xvfb.setProgram(QStringLiteral("Xvfb"));
    m_xvfb.setArguments({QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                         QStringLiteral("0"), QStringLiteral("1280x1024x24"), QStringLiteral("-nolisten"),
                         QStringLiteral("tcp")});
    m_xvfb.start();
    if (!m_xvfb.waitForStarted(10000))
        return;
    QByteArray number;
    const QDeadlineTimer deadline(15000);
    while (!number.contains('\n') && !deadline.hasExpired()) {
        m_xvfb.waitForReadyRead(200);
        number += m_xvfb.readAllStandardOutput();
    }
    if (!number.contains('\n'))
        return;
    m_display = QLatin1Char(':') + QString::fromLatin1(number.trimmed());

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    m_wm.setProcessEnvironment(env);
    m_wm.start(QStringLiteral("openbox"), {});
    m_wm.waitForStarted(10000);
    // The window manager is ready once it owns the screen's selection.
    const QDeadlineTimer wmDeadline(10000);
    while (!wmDeadline.hasExpired() &&
           !run(QStringLiteral("wmctrl"), {QStringLiteral("-m")}).contains(QLatin1String("Openbox")))
        poll();
}

Desktop::~Desktop()
{
    for (QProcess *p : {&m_wm, &m_xvfb}) {
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    p.setProcessEnvironment(env);
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
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        const QString ids =
            run(QStringLiteral("xdotool"), {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                            QStringLiteral("--name"), exactName(name)})
                .trimmed();
        if (!ids.isEmpty())
            return ids.split(QLatin1Char('\n')).first();
        poll();
    }
    return {};
}

QImage Desktop::grab(const QString &window) const
{
    QProcess import;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_display);
    import.setProcessEnvironment(env);
    import.start(QStringLiteral("import"), {QStringLiteral("-window"), window, QStringLiteral("png:-")});
    if (!import.waitForFinished(15000))
        return {};
    return QImage::fromData(import.readAllStandardOutput(), "PNG");
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
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), m_desktop.display());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_dir.path());
    env.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"),
               m_systemBus.isEmpty()
                   ? QStringLiteral("unix:path=") + m_dir.filePath(QStringLiteral("no-system-bus"))
                   : m_systemBus);
    if (!fakeTime.isEmpty()) {
        // The multi-threaded preload keeps the program's own pid, unlike the faketime wrapper.
        env.insert(QStringLiteral("LD_PRELOAD"),
                   QStringLiteral("/usr/lib/x86_64-linux-gnu/faketime/libfaketimeMT.so.1"));
        env.insert(QStringLiteral("FAKETIME"), fakeTime);
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

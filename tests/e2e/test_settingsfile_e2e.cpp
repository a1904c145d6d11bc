// The settings file in the real program: a full disk, odd files, a read-only file, and a
// second copy started beside the same file.
#include "Desktop.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using e2e::Desktop;
using e2e::DesktopTest;
using e2e::Program;

namespace {

const QString MainCaption = QStringLiteral("TPV - Tempovir");
// The standard error box carries the program's title.
const QString ErrorBoxTitle = QStringLiteral("Tempovir");

const QByteArray Alarms = "[Alarm_000]\r\nEnabled=1\r\nDate=24/12/2030\r\nTime=07:30:00\r\n"
                          "DisplayName=Réveil\r\nShutdown=0\r\n";

class SettingsFileEndToEnd : public DesktopTest
{
protected:
    // Closes the main window and answers the error box that must come; the program then ends.
    static void CloseThroughTheErrorBox(Program &program)
    {
        desktop->run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), MainCaption});
        const QString box = desktop->waitForWindow(ErrorBoxTitle);
        ASSERT_FALSE(box.isEmpty()) << "no error box";
        EXPECT_TRUE(program.running()) << "ended before the error was seen";
        desktop->run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), box});
        ASSERT_TRUE(program.waitForExit()) << "still running once the error was answered";
        EXPECT_EQ(program.exitCode(), 0) << qPrintable(program.output());
    }

    static void CloseQuietly(Program &program)
    {
        desktop->run(QStringLiteral("wmctrl"), {QStringLiteral("-c"), MainCaption});
        ASSERT_TRUE(program.waitForExit())
            << "still running, an error box: " << desktop->windowExists(ErrorBoxTitle);
        EXPECT_EQ(program.exitCode(), 0) << qPrintable(program.output());
    }
};

// The real executable, started from a folder of our choice with a runtime folder of our
// choice, so that copies can share both.
class Copy
{
public:
    Copy(const Desktop &desktop, const QString &exe, const QString &runtime)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), desktop.display());
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        m_process.setProcessEnvironment(env);
        m_process.setProcessChannelMode(QProcess::MergedChannels);
        m_process.start(exe, {});
        m_process.waitForStarted(10000);
    }
    ~Copy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess &process() { return m_process; }
    void kill(int signal) { ::kill(pid_t(m_process.processId()), signal); }

private:
    QProcess m_process;
};

QString CopyProgramInto(const QString &folder)
{
    const QString exe = folder + QStringLiteral("/tempovir");
    QFile::copy(qEnvironmentVariable("TEMPOVIR_EXE"), exe);
    QFile::setPermissions(exe, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return exe;
}

QStringList WindowsNamed(const Desktop &desktop, const QString &name, bool visibleOnly)
{
    QStringList args = {QStringLiteral("search")};
    if (visibleOnly)
        args << QStringLiteral("--onlyvisible");
    args << QStringLiteral("--name") << QLatin1Char('^') + name + QLatin1Char('$');
    const QString out = desktop.run(QStringLiteral("xdotool"), args).trimmed();
    return out.isEmpty() ? QStringList{} : out.split(QLatin1Char('\n'));
}

bool WaitUntil(const std::function<bool()> &done, int timeoutMs = 10000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        ::usleep(50 * 1000);
    return done();
}

} // namespace

TEST_F(SettingsFileEndToEnd, ClosedOnAFullDiskItReportsTheErrorAndKeepsTheAlarmsWhole)
{
    Program program(*desktop);
    // The program's folder becomes a small file system of its own, filled to the last block.
    const QByteArray folder = QFile::encodeName(program.dir());
    const qint64 exeSize = QFileInfo(qEnvironmentVariable("TEMPOVIR_EXE")).size();
    const QByteArray options = "size=" + QByteArray::number(exeSize + 2 * 1024 * 1024);
    if (::mount("tmpfs", folder.constData(), "tmpfs", MS_NOSUID | MS_NODEV, options.constData()) != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount
    {
        QByteArray path;
        ~Unmount() { ::umount2(path.constData(), MNT_DETACH); }
    } unmount{folder};
    CopyProgramInto(program.dir());
    e2e::WriteFile(program.iniPath(), Alarms);
    {
        QFile filler(program.dir() + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(4096, 'f');
        while (filler.write(block) == block.size()) {
        }
    }

    // No preferences in the file yet: the close has to add them, and cannot.
    ASSERT_TRUE(program.start());
    ASSERT_FALSE(desktop->waitForWindow(MainCaption).isEmpty()) << qPrintable(program.output());
    CloseThroughTheErrorBox(program);
    EXPECT_EQ(e2e::ReadFile(program.iniPath()), Alarms);
    const QStringList left =
        QDir(program.dir()).entryList({QStringLiteral("*.tmp*")}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(left.isEmpty()) << qPrintable(left.join(QLatin1Char(' ')));
}

TEST_F(SettingsFileEndToEnd, AFifoOrALinkToADeviceStartsWithDefaultsAndIsLeftAlone)
{
    for (const bool fifo : {true, false}) {
        const char *what = fifo ? "FIFO: " : "link to /dev/zero: ";
        Program program(*desktop);
        const QByteArray ini = QFile::encodeName(program.iniPath());
        if (fifo)
            ASSERT_EQ(::mkfifo(ini.constData(), 0600), 0);
        else
            ASSERT_EQ(::symlink("/dev/zero", ini.constData()), 0);
        ASSERT_TRUE(program.start());
        // Within 5 s the user is told the file was not read, then the window comes, with the
        // defaults; the close then writes nothing and says nothing more.
        const QString box = desktop->waitForWindow(ErrorBoxTitle, 5000);
        ASSERT_FALSE(box.isEmpty()) << what << "no word of the file within 5 s";
        desktop->run(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), box});
        const QString main = desktop->waitForWindow(MainCaption, 5000);
        ASSERT_FALSE(main.isEmpty()) << what << "no window within 5 s";
        CloseQuietly(program);
        struct stat st = {};
        ASSERT_EQ(::lstat(ini.constData(), &st), 0);
        if (fifo) {
            EXPECT_TRUE(S_ISFIFO(st.st_mode));
        } else {
            EXPECT_TRUE(S_ISLNK(st.st_mode));
            EXPECT_EQ(QFileInfo(program.iniPath()).symLinkTarget(), QStringLiteral("/dev/zero"));
        }
    }
}

TEST_F(SettingsFileEndToEnd, AReadOnlyFileClosesSilentlyUnlessAPreferenceMustChange)
{
    const QByteArray same =
        "[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n[Alarms]\r\nActAlarmsSound=1\r\n";
    const QByteArray lacking = "[Display]\r\nAppStayOnTop=0\r\nAppShowMenu=1\r\n";
    for (const QByteArray &before : {same, lacking}) {
        Program program(*desktop);
        e2e::WriteFile(program.iniPath(), Alarms + before);
        ASSERT_TRUE(
            QFile::setPermissions(program.iniPath(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
        ASSERT_TRUE(program.start());
        ASSERT_FALSE(desktop->waitForWindow(MainCaption).isEmpty()) << qPrintable(program.output());
        if (before == same)
            CloseQuietly(program);
        else
            CloseThroughTheErrorBox(program);
        EXPECT_EQ(e2e::ReadFile(program.iniPath()), Alarms + before);
    }
}

TEST_F(SettingsFileEndToEnd, ASecondCopyBesideTheSameFileRaisesTheFirstAndLeaves)
{
    QTemporaryDir runtime, here, there;
    const QString exe = CopyProgramInto(here.path());
    const QString ini = here.filePath(QStringLiteral("tempovir.ini"));
    e2e::WriteFile(ini, Alarms);

    Copy first(*desktop, exe, runtime.path());
    const QString window = desktop->waitForWindow(MainCaption);
    ASSERT_FALSE(window.isEmpty()) << first.process().readAll().constData();
    // As the first copy's start-up left it (the placement's write-back).
    const QByteArray started = e2e::ReadFile(ini);
    xdotool({QStringLiteral("windowminimize"), window});
    ASSERT_TRUE(WaitUntil([&] { return WindowsNamed(*desktop, MainCaption, true).isEmpty(); }));

    Copy second(*desktop, exe, runtime.path());
    ASSERT_TRUE(second.process().waitForFinished(15000)) << "the second copy did not leave";
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.process().exitCode(), 0);
    // The first copy's window, shown again and on top; no other.
    EXPECT_TRUE(WaitUntil([&] { return WindowsNamed(*desktop, MainCaption, true) == QStringList{window}; }));
    EXPECT_EQ(WindowsNamed(*desktop, MainCaption, false), QStringList{window});
    EXPECT_TRUE(WaitUntil([&] { return xdotool({QStringLiteral("getactivewindow")}).trimmed() == window; }))
        << "active: " << xdotool({QStringLiteral("getactivewindow")}).toStdString();
    EXPECT_EQ(e2e::ReadFile(ini), started);

    // Killed without a chance to clean up, it leaves a lock that blocks nobody.
    first.kill(SIGKILL);
    ASSERT_TRUE(first.process().waitForFinished(5000));
    ASSERT_TRUE(WaitUntil([&] { return WindowsNamed(*desktop, MainCaption, false).isEmpty(); }));
    Copy next(*desktop, exe, runtime.path());
    const QString nextWindow = desktop->waitForWindow(MainCaption);
    ASSERT_FALSE(nextWindow.isEmpty()) << "no start after the first copy died";
    EXPECT_EQ(next.process().state(), QProcess::Running);

    // A copy beside another file runs beside it.
    Copy elsewhere(*desktop, CopyProgramInto(there.path()), runtime.path());
    EXPECT_TRUE(WaitUntil([&] { return WindowsNamed(*desktop, MainCaption, true).size() == 2; }));
    EXPECT_EQ(elsewhere.process().state(), QProcess::Running);

    for (Copy *copy : {&next, &elsewhere}) {
        copy->kill(SIGTERM);
        EXPECT_TRUE(copy->process().waitForFinished(10000));
        EXPECT_EQ(copy->process().exitCode(), 0);
    }
}

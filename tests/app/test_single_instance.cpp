// One running copy per settings file, however the file is reached and wherever the lock can go.
#include "platform/linux/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

using platform::SingleInstance;
using TClaim = platform::SingleInstance::TClaim;

namespace {

// Sets an environment variable for the lifetime of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char *name, const QByteArray &value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_previous(qgetenv(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_previous);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    bool m_had;
    QByteArray m_previous;
};

// A process of its own that holds a lock file until it is ended, as a copy that hangs would.
class LockHolder
{
public:
    explicit LockHolder(const QString &path)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CREAT, 0644);
            const bool locked = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
            const char answer = locked ? '1' : '0';
            (void)::write(ready[1], &answer, 1);
            for (;;)
                ::pause();
        }
        char answer = '0';
        m_locked = m_pid > 0 && ::read(ready[0], &answer, 1) == 1 && answer == '1';
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~LockHolder() { end(); }
    bool locked() const { return m_locked; }
    // Ends it at once, as SIGKILL would.
    void end()
    {
        if (m_pid <= 0)
            return;
        ::kill(m_pid, SIGKILL);
        ::waitpid(m_pid, nullptr, 0);
        m_pid = -1;
    }

private:
    pid_t m_pid = -1;
    bool m_locked = false;
};

class OneCopy : public ::testing::Test
{
protected:
    QString settings(const QString &name) const { return files.filePath(name); }

    // Lets the event loop deliver requests until `done` holds or two seconds have passed.
    static bool processEventsUntil(const std::function<bool()> &done)
    {
        const QDeadlineTimer deadline(2000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        return done();
    }

    QTemporaryDir runtime;
    QTemporaryDir files;
    QTemporaryDir home;
    ScopedEnv runtimeEnv{"XDG_RUNTIME_DIR", QFile::encodeName(runtime.path())};
    ScopedEnv homeEnv{"HOME", QFile::encodeName(home.path())};
};

TEST_F(OneCopy, ASecondCopyOnTheSameFileAsksTheFirstToShowAndLeaves)
{
    SingleInstance first(settings("tempovir.ini"));
    int shown = 0;
    first.setOnShowRequest([&] { ++shown; });
    ASSERT_EQ(first.claim(), TClaim::First);
    // Beside the file, where every copy that uses it looks, whatever its environment.
    EXPECT_EQ(first.lockPath(), files.path() + "/.tempovir.ini.lock");

    for (int start = 1; start <= 2; ++start) {
        SingleInstance second(settings("tempovir.ini"));
        EXPECT_EQ(second.claim(), TClaim::Shown);
        EXPECT_TRUE(processEventsUntil([&] { return shown == start; })) << "request " << start;
    }
    // The same file through another spelling of its path, and from another runtime folder.
    QTemporaryDir otherRuntime;
    ScopedEnv otherEnv("XDG_RUNTIME_DIR", QFile::encodeName(otherRuntime.path()));
    SingleInstance third(files.path() + "/./tempovir.ini");
    EXPECT_EQ(third.claim(), TClaim::Shown);
    EXPECT_TRUE(processEventsUntil([&] { return shown == 3; }));
}

TEST_F(OneCopy, AStartByTheSessionLeavesTheRunningCopyAsItIs)
{
    SingleInstance first(settings("tempovir.ini"));
    int shown = 0;
    first.setOnShowRequest([&] { ++shown; });
    ASSERT_EQ(first.claim(), TClaim::First);

    SingleInstance atLogIn(settings("tempovir.ini"));
    EXPECT_EQ(atLogIn.claim(false), TClaim::Running);
    // A request sent at log-in would be in the first copy's socket before the user's.
    SingleInstance byUser(settings("tempovir.ini"));
    EXPECT_EQ(byUser.claim(), TClaim::Shown);
    EXPECT_TRUE(processEventsUntil([&] { return shown >= 1; }));
    for (int pass = 0; pass < 3; ++pass)
        QCoreApplication::processEvents();
    EXPECT_EQ(shown, 1);
}

TEST_F(OneCopy, TheSameFileThroughALinkFromAnotherFolderIsOneCopy)
{
    // The file exists or is still to be written: both are the same file.
    for (const bool exists : {true, false}) {
        QTemporaryDir real;
        QTemporaryDir other;
        const QString target = real.filePath("tempovir.ini");
        if (exists) {
            QFile file(target);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
        ASSERT_TRUE(QFile::link(target, other.filePath("tempovir.ini")));

        SingleInstance first(target);
        ASSERT_EQ(first.claim(), TClaim::First);
        SingleInstance throughLink(other.filePath("tempovir.ini"));
        EXPECT_EQ(throughLink.claim(), TClaim::Shown) << "exists " << exists;
        EXPECT_EQ(throughLink.lockPath(), first.lockPath());
    }
}

TEST_F(OneCopy, CopiesOnDifferentFilesRunSideBySide)
{
    SingleInstance one(settings("one.ini"));
    SingleInstance two(settings("two.ini"));
    EXPECT_EQ(one.claim(), TClaim::First);
    EXPECT_EQ(two.claim(), TClaim::First);
    EXPECT_NE(one.lockPath(), two.lockPath());
    EXPECT_NE(one.serverName(), two.serverName());
}

TEST_F(OneCopy, WhereTheFilesFolderCannotHoldTheLockTheUsersOwnFoldersDo)
{
    // A "folder" that is a file: nothing can be made in it, even by an administrator.
    QFile blocker(files.filePath("pas-un-dossier"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString unusable = blocker.fileName() + "/tempovir.ini";

    SingleInstance first(unusable);
    ASSERT_EQ(first.claim(), TClaim::First);
    EXPECT_TRUE(first.lockPath().startsWith(runtime.path() + "/")) << qPrintable(first.lockPath());
    SingleInstance second(unusable);
    EXPECT_EQ(second.claim(), TClaim::Shown);

    // Without a usable runtime folder either (one that is not this user's, or none): the home.
    ScopedEnv noRuntime("XDG_RUNTIME_DIR", blocker.fileName().toUtf8());
    SingleInstance third(files.filePath("pas-un-dossier/autre.ini"));
    ASSERT_EQ(third.claim(), TClaim::First);
    EXPECT_TRUE(third.lockPath().startsWith(home.path() + "/.cache/tempovir/"))
        << qPrintable(third.lockPath());
    SingleInstance fourth(files.filePath("pas-un-dossier/autre.ini"));
    EXPECT_EQ(fourth.claim(), TClaim::Shown);
}

TEST_F(OneCopy, ALockLeftByACopyThatDiedBlocksNobody)
{
    {
        SingleInstance ended(settings("tempovir.ini"));
        ASSERT_EQ(ended.claim(), TClaim::First);
    }
    LockHolder killed(files.filePath(".tempovir.ini.lock"));
    ASSERT_TRUE(killed.locked());
    killed.end();
    ASSERT_TRUE(QFileInfo::exists(files.filePath(".tempovir.ini.lock")));

    SingleInstance afterDeath(settings("tempovir.ini"));
    EXPECT_EQ(afterDeath.claim(), TClaim::First);
}

TEST_F(OneCopy, ACopyThatHoldsTheLockButDoesNotAnswerIsReportedNotIgnored)
{
    LockHolder hung(files.filePath(".tempovir.ini.lock"));
    ASSERT_TRUE(hung.locked());
    SingleInstance second(settings("tempovir.ini"));
    EXPECT_EQ(second.claim(), TClaim::NoAnswer);
}

} // namespace

// One running copy per settings file: the lock and the socket in the user's runtime folder.
#include "platform/linux/SingleInstance.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

using platform::SingleInstance;

namespace {

class OneCopy : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(runtime.isValid());
        m_previous = qgetenv("XDG_RUNTIME_DIR");
        m_had = qEnvironmentVariableIsSet("XDG_RUNTIME_DIR");
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    }
    void TearDown() override
    {
        if (m_had)
            qputenv("XDG_RUNTIME_DIR", m_previous);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }
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

private:
    QByteArray m_previous;
    bool m_had = false;
};

TEST_F(OneCopy, ASecondCopyBesideTheSameFileAsksTheFirstToShowAndLeaves)
{
    SingleInstance first(settings("tempovir.ini"));
    int shown = 0;
    first.setOnShowRequest([&] { ++shown; });
    ASSERT_TRUE(first.claim());
    EXPECT_TRUE(first.lockPath().startsWith(runtime.path() + "/"));
    EXPECT_TRUE(first.serverPath().startsWith(runtime.path() + "/"));

    for (int start = 1; start <= 2; ++start) {
        SingleInstance second(settings("tempovir.ini"));
        EXPECT_FALSE(second.claim());
        EXPECT_TRUE(processEventsUntil([&] { return shown == start; })) << "request " << start;
    }
    // The same file reached through another spelling of its path.
    SingleInstance third(files.path() + "/./tempovir.ini");
    EXPECT_FALSE(third.claim());
    EXPECT_TRUE(processEventsUntil([&] { return shown == 3; }));
}

TEST_F(OneCopy, AStartByTheSessionLeavesTheRunningCopyAsItIs)
{
    SingleInstance first(settings("tempovir.ini"));
    int shown = 0;
    first.setOnShowRequest([&] { ++shown; });
    ASSERT_TRUE(first.claim());

    SingleInstance atLogIn(settings("tempovir.ini"));
    EXPECT_FALSE(atLogIn.claim(false));
    // A request sent at log-in would be in the first copy's socket before the user's.
    SingleInstance byUser(settings("tempovir.ini"));
    EXPECT_FALSE(byUser.claim());
    EXPECT_TRUE(processEventsUntil([&] { return shown >= 1; }));
    for (int pass = 0; pass < 3; ++pass)
        QCoreApplication::processEvents();
    EXPECT_EQ(shown, 1);
}

TEST_F(OneCopy, CopiesBesideDifferentFilesRunSideBySide)
{
    SingleInstance one(settings("one.ini"));
    SingleInstance two(settings("two.ini"));
    EXPECT_TRUE(one.claim());
    EXPECT_TRUE(two.claim());
    EXPECT_NE(one.lockPath(), two.lockPath());
}

TEST_F(OneCopy, TheLockOfACopyThatEndedOrDiedBlocksNobody)
{
    {
        SingleInstance ended(settings("tempovir.ini"));
        ASSERT_TRUE(ended.claim());
    }
    QString lockPath;
    {
        SingleInstance next(settings("tempovir.ini"));
        EXPECT_TRUE(next.claim());
        lockPath = next.lockPath();
    }
    // A process that takes the lock and dies without a word, as under SIGKILL.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        QLockFile lock(lockPath);
        lock.setStaleLockTime(0);
        ::_exit(lock.tryLock(0) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_EQ(WEXITSTATUS(status), 0);
    ASSERT_TRUE(QFileInfo::exists(lockPath));

    SingleInstance afterDeath(settings("tempovir.ini"));
    EXPECT_TRUE(afterDeath.claim());
}

} // namespace

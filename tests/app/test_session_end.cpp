#include "platform/SessionEnd.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

#include <csignal>

TEST(SessionEnd, SigtermRunsTheHandlerOnTheUserInterfaceThread)
{
    int calls = 0;
    platform::WatchSessionEnd([&] { ++calls; });
    ASSERT_EQ(::raise(SIGTERM), 0); // would end the test program if it were not handled
    const QDeadlineTimer deadline(5000);
    while (calls == 0 && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    EXPECT_EQ(calls, 1);
}

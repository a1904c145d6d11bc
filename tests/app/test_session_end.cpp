#include "platform/linux/SessionEnd.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QWidget>
#include <gtest/gtest.h>

#include <csignal>

namespace {

class Window : public QWidget
{
public:
    int closes = 0;

protected:
    void closeEvent(QCloseEvent *e) override
    {
        ++closes;
        QWidget::closeEvent(e);
    }
};

} // namespace

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

TEST(SessionEnd, TheSessionManagersQuitEndsTheSessionWithoutClosingWindows)
{
    int calls = 0;
    platform::WatchSessionEnd([&] { ++calls; });
    Window window;
    window.show();
    QEvent quit(QEvent::Quit);
    QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(window.closes, 0);
    EXPECT_TRUE(window.isVisible());
}

TEST(SessionEnd, AFailingHandlerIsReportedWithoutABox)
{
    platform::WatchSessionEnd([] { throw std::runtime_error("disque plein"); });
    EXPECT_NO_THROW(platform::EndSession());
}

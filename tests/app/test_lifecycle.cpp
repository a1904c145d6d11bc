#include "app/Globals.h"
#include "app/uMisc.h"
#include "support/Fakes.h"
#include "ui/frmMain.h"

#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

using testing_support::FakePump;
using testing_support::FakeTime;

namespace {

class Lifecycle : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Closing = false;
        StartingUp = false;
    }
    void TearDown() override { Closing = false; }
};

} // namespace

TEST_F(Lifecycle, ClosingTheMainWindowRunsTheCloseSequence)
{
    TfmMain window;
    window.show();
    EXPECT_FALSE(Closing);
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(Closing);
    EXPECT_FALSE(window.isVisible());
}

TEST_F(Lifecycle, ACloseHandledInsideDelayRunsTheSequenceAndTheWaitGoesOn)
{
    FakeTime time;
    FakePump pump(time);
    TfmMain window;
    window.show();
    QTimer::singleShot(0, &window, [&] { window.close(); });
    const quint32 start = time.tickCount();
    Delay(1000);
    EXPECT_TRUE(Closing);
    EXPECT_EQ(time.tickCount() - start, 1000u);
}

TEST(RealDelay, WaitsOnTheRealClock)
{
    QElapsedTimer t;
    t.start();
    Delay(25);
    EXPECT_GE(t.elapsed(), 24);
}

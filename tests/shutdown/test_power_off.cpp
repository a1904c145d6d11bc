// The power-off request itself, through the real D-Bus code, against a stand-in logind on
// a private bus; and the guard that keeps every test away from the real system bus.
#include "alarms/uShutdown.h"
#include "platform/PowerOff.h"
#include "support/Fakes.h"
#include "support/SystemBus.h"

#include <QApplication>
#include <QWidget>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

namespace {

using testing_support::PowerOffCall;
using testing_support::PrivateSystemBus;

// What a power-off test does first: stop unless the system bus is the private one.
void RequirePrivateSystemBus()
{
    QString why;
    ASSERT_TRUE(testing_support::SystemBusIsPrivate(&why)) << qPrintable(why);
}

// Restores DBUS_SYSTEM_BUS_ADDRESS as it was.
class AddressOverride
{
public:
    explicit AddressOverride(const char *value)
        : m_had(qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS")),
          m_old(qgetenv("DBUS_SYSTEM_BUS_ADDRESS"))
    {
        if (value)
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", value);
        else
            qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
    ~AddressOverride()
    {
        if (m_had)
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_old);
        else
            qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }

private:
    bool m_had;
    QByteArray m_old;
};

bool requestResult = true;

TEST(PowerOffGuard, WithoutTheAddressSetATestStopsBeforeAnythingIsAsked)
{
    AddressOverride unset(nullptr);
    QString why;
    EXPECT_FALSE(testing_support::SystemBusIsPrivate(&why));
    EXPECT_TRUE(why.contains(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS is not set"))) << qPrintable(why);
    EXPECT_FATAL_FAILURE(RequirePrivateSystemBus(), "DBUS_SYSTEM_BUS_ADDRESS is not set");
}

TEST(PowerOffGuard, ARequestWithTheAddressPointingElsewhereFailsTheTestAndIsNotMade)
{
    // A socket that does not exist, so that even a broken guard could reach nothing.
    AddressOverride elsewhere("unix:path=/nonexistent/tempovir-test-bus");
    EXPECT_NONFATAL_FAILURE(requestResult = platform::ExitWindowsPrivileged(12), "refused by the test guard");
    EXPECT_FALSE(requestResult);

    PrivateSystemBus bus;
    ASSERT_TRUE(bus.ok()) << qPrintable(bus.error());
    {
        AddressOverride other("unix:path=/nonexistent/tempovir-test-bus");
        EXPECT_NONFATAL_FAILURE(requestResult = platform::ExitWindowsPrivileged(12), "points elsewhere");
        EXPECT_FALSE(requestResult);
    }
    EXPECT_TRUE(bus.calls().isEmpty());
}

class RealRequest : public ::testing::Test
{
protected:
    void start(PrivateSystemBus::Logind logind)
    {
        bus = std::make_unique<PrivateSystemBus>(logind);
        ASSERT_TRUE(bus->ok()) << qPrintable(bus->error());
        RequirePrivateSystemBus();
    }
    std::unique_ptr<PrivateSystemBus> bus;
};

TEST_F(RealRequest, AnAcceptedPowerOffIsOneNonInteractiveCallAndReturnsTrue)
{
    ASSERT_NO_FATAL_FAILURE(start(PrivateSystemBus::Logind::Accepts));
    EXPECT_TRUE(platform::ExitWindowsPrivileged(platform::EWX_POWEROFF | platform::EWX_FORCE));
    EXPECT_EQ(bus->calls(), QStringList{PowerOffCall});
}

TEST_F(RealRequest, ARefusedOrUnansweredRequestReturnsFalseAndRaisesNothing)
{
    {
        ASSERT_NO_FATAL_FAILURE(start(PrivateSystemBus::Logind::Refuses));
        EXPECT_FALSE(platform::ExitWindowsPrivileged(12));
        EXPECT_EQ(bus->calls(), QStringList{PowerOffCall});
    }
    {
        // No logind on the bus at all.
        bus.reset();
        ASSERT_NO_FATAL_FAILURE(start(PrivateSystemBus::Logind::Absent));
        EXPECT_FALSE(platform::ExitWindowsPrivileged(12));
    }
    {
        // The bus itself is gone.
        bus->stopDaemon();
        EXPECT_FALSE(platform::ExitWindowsPrivileged(12));
    }
}

TEST_F(RealRequest, RequestsThatAreNotAPowerOffAreRefusedWithoutAsking)
{
    ASSERT_NO_FATAL_FAILURE(start(PrivateSystemBus::Logind::Accepts));
    for (quint32 flags : {platform::EWX_LOGOFF, platform::EWX_SHUTDOWN, platform::EWX_REBOOT,
                          platform::EWX_FORCE, platform::EWX_REBOOT | platform::EWX_FORCE})
        EXPECT_FALSE(platform::ExitWindowsPrivileged(flags)) << flags;
    EXPECT_TRUE(bus->calls().isEmpty());
    // Each request on a connection of its own: two in a row are both made.
    EXPECT_TRUE(platform::ExitWindowsPrivileged(8));
    EXPECT_TRUE(platform::ExitWindowsPrivileged(8));
    EXPECT_EQ(bus->calls().size(), 2);
}

// Records the flags instead of asking anything.
class RecordingPowerControl : public platform::PowerControl
{
public:
    bool exitWindows(quint32 flags) override
    {
        requests.push_back(flags);
        return answer;
    }
    std::vector<quint32> requests;
    bool answer = false;
};

TEST(PowerOffComputer, AsksOnceForAForcedPowerOffAndIgnoresTheAnswerSilently)
{
    testing_support::ErrorRecorder errors;
    RecordingPowerControl recorder;
    platform::PowerControl *previous = platform::SetPowerControl(&recorder);
    EXPECT_EQ(previous, &testing_support::PowerOffGuard()) << "the guard was not installed";
    for (bool answer : {false, true}) {
        recorder.requests.clear();
        recorder.answer = answer;
        EXPECT_NO_THROW(PowerOffComputer());
        EXPECT_EQ(recorder.requests, std::vector<quint32>{12}) << answer;
    }
    platform::SetPowerControl(previous);
    EXPECT_TRUE(errors.messages.isEmpty());
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible()) << qPrintable(w->objectName());
}

} // namespace

#include "platform/PowerOff.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace platform {
namespace {

// logind answers at once, accepted or not; a bus that does not answer must not hold the
// user-interface thread for long.
constexpr int CallTimeoutMs = 10000;

class Logind final : public PowerControl
{
public:
    bool exitWindows(quint32 flags) override
    {
        if (!(flags & EWX_POWEROFF))
            return false;
        // A connection of its own, opened on the address in force now: the shared system bus
        // connection would keep the address it was first opened with.
        static int serial = 0;
        const QString name = QStringLiteral("tempovir-poweroff-%1").arg(++serial);
        const QString address = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        bool accepted = false;
        {
            QDBusConnection bus = address.isEmpty()
                                      ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, name)
                                      : QDBusConnection::connectToBus(address, name);
            if (bus.isConnected()) {
                QDBusMessage call = QDBusMessage::createMethodCall(
                    QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                    QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
                call << false; // not interactive: nobody is asked for a password
                // Block: no window message may run inside the request.
                const QDBusMessage reply = bus.call(call, QDBus::Block, CallTimeoutMs);
                accepted = reply.type() == QDBusMessage::ReplyMessage;
            }
        }
        QDBusConnection::disconnectFromBus(name);
        return accepted;
    }
};

} // namespace

PowerControl &LogindPowerControl()
{
    static Logind logind;
    return logind;
}

} // namespace platform

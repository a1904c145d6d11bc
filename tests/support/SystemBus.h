#pragma once

#include "platform/PowerOff.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace testing_support {

// A dbus-daemon of the test's own, set up like a system bus but listening in a temporary
// folder, with a stand-in for systemd-logind that writes down the calls it gets and powers
// nothing off. While it lives, DBUS_SYSTEM_BUS_ADDRESS points at it.
class PrivateSystemBus
{
public:
    enum class Logind { Accepts, Refuses, Absent };

    explicit PrivateSystemBus(Logind logind = Logind::Accepts);
    ~PrivateSystemBus();
    PrivateSystemBus(const PrivateSystemBus &) = delete;
    PrivateSystemBus &operator=(const PrivateSystemBus &) = delete;

    // False when the daemon or the stand-in did not come up; error() says why.
    bool ok() const { return m_ok; }
    QString error() const { return m_error; }
    QString address() const { return m_address; }
    // One line per method call the stand-in received, such as
    // "org.freedesktop.login1.Manager.PowerOff /org/freedesktop/login1 false".
    QStringList calls() const;
    // Ends the daemon (and so the stand-in's bus); the address stays set and leads nowhere.
    void stopDaemon();

private:
    bool startDaemon();
    bool startStandIn(bool refuse);

    QTemporaryDir m_dir;
    QProcess m_daemon;
    QProcess m_standIn;
    QString m_address;
    QString m_error;
    QByteArray m_previousAddress;
    bool m_hadAddress = false;
    bool m_ok = false;
};

// The line the stand-in writes for the program's request.
inline const QString PowerOffCall =
    QStringLiteral("org.freedesktop.login1.Manager.PowerOff /org/freedesktop/login1 false");

// True only when DBUS_SYSTEM_BUS_ADDRESS is set and names the live private bus of this
// process; otherwise false, with the reason in why.
bool SystemBusIsPrivate(QString *why = nullptr);

// Every widgets test program installs this at start in place of the real power-off: it
// passes a request on to the real one only while SystemBusIsPrivate(), and otherwise fails
// the running test and asks nothing of anybody.
platform::PowerControl &PowerOffGuard();
void InstallPowerOffGuard();

} // namespace testing_support

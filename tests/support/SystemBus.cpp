#include "support/SystemBus.h"

#include <QDeadlineTimer>
#include <QFile>
#include <gtest/gtest.h>

namespace testing_support {
namespace {

// The address of the bus that a PrivateSystemBus of this process runs, empty when none.
QString liveAddress;

QString readLine(QProcess &p, int timeoutMs)
{
    QByteArray got;
    const QDeadlineTimer deadline(timeoutMs);
    while (!got.contains('\n') && !deadline.hasExpired() && p.state() != QProcess::NotRunning) {
        p.waitForReadyRead(100);
        got += p.readAllStandardOutput();
    }
    got += p.readAllStandardOutput();
    const qsizetype end = got.indexOf('\n');
    return end < 0 ? QString() : QString::fromUtf8(got.left(end)).trimmed();
}

void stop(QProcess &p)
{
    if (p.state() == QProcess::NotRunning)
        return;
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}

class Guard final : public platform::PowerControl
{
public:
    bool exitWindows(quint32 flags) override
    {
        QString why;
        if (!SystemBusIsPrivate(&why)) {
            ADD_FAILURE() << "power-off request refused by the test guard: " << qPrintable(why);
            return false;
        }
        return platform::LogindPowerControl().exitWindows(flags);
    }
};

Guard guard;

} // namespace

PrivateSystemBus::PrivateSystemBus(Logind logind)
{
    m_hadAddress = qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS");
    m_previousAddress = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
    if (!liveAddress.isEmpty()) {
        m_error = QStringLiteral("another private bus is running");
        return;
    }
    if (!m_dir.isValid()) {
        m_error = QStringLiteral("no temporary folder");
        return;
    }
    if (!startDaemon())
        return;
    liveAddress = m_address;
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_address.toUtf8());
    if (logind != Logind::Absent && !startStandIn(logind == Logind::Refuses))
        return;
    m_ok = true;
}

PrivateSystemBus::~PrivateSystemBus()
{
    stop(m_standIn);
    stop(m_daemon);
    if (!m_address.isEmpty() && liveAddress == m_address)
        liveAddress.clear();
    if (m_hadAddress)
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", m_previousAddress);
    else
        qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
}

bool PrivateSystemBus::startDaemon()
{
    const QString socket = m_dir.filePath(QStringLiteral("system_bus_socket"));
    const QString config = m_dir.filePath(QStringLiteral("system.conf"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)) {
        m_error = QStringLiteral("cannot write the bus configuration");
        return false;
    }
    // A system bus in kind, but on a socket of its own, with no activatable services and
    // nothing in its policy that reaches past it.
    f.write(
        QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                       " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                       "<busconfig>\n"
                       "  <type>system</type>\n"
                       "  <listen>unix:path=%1</listen>\n"
                       "  <auth>EXTERNAL</auth>\n"
                       "  <policy context=\"default\">\n"
                       "    <allow user=\"*\"/>\n"
                       "    <allow own=\"*\"/>\n"
                       "    <allow send_type=\"method_call\"/>\n"
                       "    <allow send_type=\"method_return\"/>\n"
                       "    <allow send_type=\"error\"/>\n"
                       "    <allow send_type=\"signal\"/>\n"
                       "    <allow receive_type=\"method_call\"/>\n"
                       "    <allow receive_type=\"method_return\"/>\n"
                       "    <allow receive_type=\"error\"/>\n"
                       "    <allow receive_type=\"signal\"/>\n"
                       "  </policy>\n"
                       "</busconfig>\n")
            .arg(socket)
            .toUtf8());
    f.close();
    m_daemon.setProgram(QStringLiteral("dbus-daemon"));
    m_daemon.setArguments({QStringLiteral("--nofork"), QStringLiteral("--nosyslog"),
                           QStringLiteral("--config-file=") + config, QStringLiteral("--print-address=1")});
    m_daemon.setProcessChannelMode(QProcess::SeparateChannels);
    m_daemon.start();
    if (!m_daemon.waitForStarted(10000)) {
        m_error = QStringLiteral("dbus-daemon did not start (package dbus)");
        return false;
    }
    m_address = readLine(m_daemon, 10000);
    if (!m_address.startsWith(QStringLiteral("unix:path=") + socket)) {
        m_error = QStringLiteral("dbus-daemon gave no address: ") + m_address +
                  QString::fromUtf8(m_daemon.readAllStandardError());
        m_address.clear();
        return false;
    }
    return true;
}

bool PrivateSystemBus::startStandIn(bool refuse)
{
    QStringList args{m_address, m_dir.filePath(QStringLiteral("calls.log"))};
    if (refuse)
        args << QStringLiteral("--refuse");
    m_standIn.setProgram(QStringLiteral(TEMPOVIR_LOGIND_STANDIN));
    m_standIn.setArguments(args);
    m_standIn.start();
    if (!m_standIn.waitForStarted(10000) || readLine(m_standIn, 10000) != QLatin1String("ready")) {
        m_error = QStringLiteral("the stand-in logind did not come up: ") +
                  QString::fromUtf8(m_standIn.readAllStandardError());
        return false;
    }
    return true;
}

QStringList PrivateSystemBus::calls() const
{
    QFile f(m_dir.filePath(QStringLiteral("calls.log")));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

void PrivateSystemBus::stopDaemon()
{
    stop(m_standIn);
    stop(m_daemon);
}

bool SystemBusIsPrivate(QString *why)
{
    auto no = [why](const QString &reason) {
        if (why)
            *why = reason;
        return false;
    };
    if (!qEnvironmentVariableIsSet("DBUS_SYSTEM_BUS_ADDRESS") ||
        qEnvironmentVariableIsEmpty("DBUS_SYSTEM_BUS_ADDRESS"))
        return no(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS is not set: the request would go to the real "
                                 "system bus"));
    if (liveAddress.isEmpty())
        return no(QStringLiteral("no private system bus is running in this test"));
    if (qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS") != liveAddress)
        return no(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS points elsewhere than the test's private bus"));
    return true;
}

platform::PowerControl &PowerOffGuard()
{
    return guard;
}

void InstallPowerOffGuard()
{
    platform::SetPowerControl(&guard);
}

} // namespace testing_support

// A stand-in for systemd-logind on a private bus: it owns org.freedesktop.login1, writes
// one line per method call it receives to a log file, and switches nothing off.
//
// Usage: logind_standin ADDRESS LOGFILE [--refuse]
//   With --refuse, PowerOff is answered with an access-denied error, as logind does for a
//   caller that may not power the machine off. Prints "ready" once the name is owned.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QFile>
#include <QStringList>
#include <cstdio>

namespace {

class Recorder final : public QDBusVirtualObject
{
public:
    Recorder(const QString &logPath, bool refuse) : m_log(logPath), m_refuse(refuse) {}

    bool open() { return m_log.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered); }

    QString introspect(const QString &) const override { return {}; }

    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.type() != QDBusMessage::MethodCallMessage)
            return false;
        QStringList args;
        for (const QVariant &a : message.arguments())
            args << a.toString();
        const QString line =
            QStringLiteral("%1.%2 %3 %4\n")
                .arg(message.interface(), message.member(), message.path(), args.join(QLatin1Char(' ')));
        // Written before the answer goes out, so a caller that got its answer finds the line.
        m_log.write(line.toUtf8());
        m_log.flush();
        if (message.member() == QLatin1String("PowerOff") && !m_refuse)
            connection.send(message.createReply());
        else
            connection.send(
                message.createErrorReply(QStringLiteral("org.freedesktop.DBus.Error.AccessDenied"),
                                         QStringLiteral("Refused by the stand-in")));
        return true;
    }

private:
    QFile m_log;
    bool m_refuse;
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: logind_standin ADDRESS LOGFILE [--refuse]\n");
        return 2;
    }
    Recorder recorder(args[2], args.contains(QStringLiteral("--refuse")));
    if (!recorder.open()) {
        std::fprintf(stderr, "cannot open the log file\n");
        return 1;
    }
    QDBusConnection bus = QDBusConnection::connectToBus(args[1], QStringLiteral("standin"));
    if (!bus.isConnected()) {
        std::fprintf(stderr, "cannot connect to %s\n", qPrintable(args[1]));
        return 1;
    }
    if (!bus.registerVirtualObject(QStringLiteral("/"), &recorder, QDBusConnection::SubPath) ||
        !bus.registerService(QStringLiteral("org.freedesktop.login1"))) {
        std::fprintf(stderr, "cannot serve org.freedesktop.login1\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

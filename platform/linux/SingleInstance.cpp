#include "platform/linux/SingleInstance.h"

#include "platform/ErrorReport.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

namespace platform {
namespace {

const QByteArray ShowRequest("show\n");

QString BaseName(const QString &settingsPath)
{
    const QByteArray key = QFileInfo(settingsPath).absoluteFilePath().toUtf8();
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha256).toHex().left(32);
    return RuntimeFolder() + QStringLiteral("/tempovir-") + QString::fromLatin1(hash);
}

} // namespace

QString RuntimeFolder()
{
    const QString xdg = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!xdg.isEmpty() && QFileInfo(xdg).isDir())
        return xdg;
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime;
    return QDir::tempPath();
}

SingleInstance::SingleInstance(const QString &settingsPath)
    : m_lockPath(BaseName(settingsPath) + QStringLiteral(".lock")),
      m_serverPath(BaseName(settingsPath) + QStringLiteral(".socket")), m_lock(m_lockPath)
{
    // Only a lock whose process is gone is stale; by default a lock older than 30 s would be
    // taken from a copy that still runs.
    m_lock.setStaleLockTime(0);
}

SingleInstance::~SingleInstance() = default;

void SingleInstance::setOnShowRequest(std::function<void()> handler)
{
    m_onShowRequest = std::move(handler);
}

bool SingleInstance::claim(bool showRunningCopy)
{
    if (m_lock.tryLock(0)) {
        listen();
        return true;
    }
    if (m_lock.error() == QLockFile::LockFailedError) {
        // A live copy holds the lock: it is asked to show itself, and this one leaves even if
        // it does not answer, so that the file is never in two hands.
        if (showRunningCopy)
            reachFirstCopy(2000, true);
        return false;
    }
    // No lock can be made in the runtime folder (full, read-only): a copy that answers
    // still keeps this one out.
    return !reachFirstCopy(0, showRunningCopy);
}

void SingleInstance::listen()
{
    // Holding the lock, nobody else can own a socket left there by a copy that died.
    QLocalServer::removeServer(m_serverPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_serverPath))
        return; // this copy runs all the same; a later one will just not see it raised
    QObject::connect(m_server.get(), &QLocalServer::newConnection, m_server.get(), [this] {
        while (QLocalSocket *socket = m_server->nextPendingConnection()) {
            // Answered once the whole request is in, whether or not the sender already left.
            auto handle = [this, socket] {
                if (socket->property("handled").toBool() || !socket->peek(64).contains(ShowRequest))
                    return;
                socket->setProperty("handled", true);
                if (m_onShowRequest)
                    Guarded(m_onShowRequest);
            };
            QObject::connect(socket, &QLocalSocket::readyRead, socket, [handle] { Guarded(handle); });
            QObject::connect(socket, &QLocalSocket::disconnected, socket, [socket, handle] {
                Guarded(handle);
                socket->deleteLater();
            });
            handle();
        }
    });
}

bool SingleInstance::reachFirstCopy(int retryMs, bool askToShow) const
{
    // The first copy may hold the lock and not listen yet: a few tries.
    const QDeadlineTimer deadline(retryMs);
    do {
        QLocalSocket socket;
        socket.connectToServer(m_serverPath);
        if (socket.waitForConnected(500)) {
            if (!askToShow)
                return true;
            socket.write(ShowRequest);
            const bool sent = socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
            return sent;
        }
        if (!deadline.hasExpired())
            QThread::msleep(50);
    } while (!deadline.hasExpired());
    return false;
}

} // namespace platform

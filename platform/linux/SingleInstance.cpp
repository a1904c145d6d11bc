#include "platform/linux/SingleInstance.h"

#include "platform/ErrorReport.h"

#include <QCryptographicHash>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>

#include <cerrno>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

const QByteArray ShowRequest("show\n");

// A folder that is this user's own: after su or sudo -E, XDG_RUNTIME_DIR and HOME may still
// name another user's, where this process must not leave its lock.
bool OwnFolder(const QString &folder)
{
    struct stat st = {};
    return !folder.isEmpty() && ::stat(QFile::encodeName(folder).constData(), &st) == 0 &&
           S_ISDIR(st.st_mode) && st.st_uid == ::getuid();
}

QString HomeFolder()
{
    const QString home = qEnvironmentVariable("HOME");
    if (OwnFolder(home))
        return home;
    const struct passwd *pw = ::getpwuid(::getuid());
    return pw ? QFile::decodeName(pw->pw_dir) : QString();
}

// Opens and locks path; -1 with errno EWOULDBLOCK when another process holds the lock. Read
// access is enough for the lock, so that a lock file another user made (an administrator's
// copy) still serves.
int LockFile(const QString &path)
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

} // namespace

QString SingleInstance::SettingsIdentity(const QString &settingsPath)
{
    const QFileInfo info(settingsPath);
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A link whose target does not exist yet: the target is the file that will be written.
    if (info.isSymLink())
        return SettingsIdentity(info.symLinkTarget());
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return (folder.isEmpty() ? info.absolutePath() : folder) + QLatin1Char('/') + info.fileName();
}

SingleInstance::SingleInstance(const QString &settingsPath) : m_settingsPath(settingsPath)
{
    const QByteArray identity = SettingsIdentity(settingsPath).toUtf8();
    m_key =
        QStringLiteral("tempovir-") +
        QString::fromLatin1(QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(32));
}

QString SingleInstance::serverName() const
{
    return m_key;
}

SingleInstance::~SingleInstance()
{
    m_server.reset();
    if (m_lockFd >= 0)
        ::close(m_lockFd);
}

QStringList SingleInstance::candidateLocks() const
{
    // Beside the file first: every copy that uses the file finds that one, whatever its
    // environment says.
    const QFileInfo file(SettingsIdentity(m_settingsPath));
    QStringList locks{file.absolutePath() + QStringLiteral("/.") + file.fileName() + QStringLiteral(".lock")};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (OwnFolder(runtime))
        locks << runtime + QLatin1Char('/') + m_key + QStringLiteral(".lock");
    const QString home = HomeFolder();
    if (!home.isEmpty())
        locks << home + QStringLiteral("/.cache/tempovir/") + m_key + QStringLiteral(".lock");
    return locks;
}

void SingleInstance::setOnShowRequest(std::function<void()> handler)
{
    m_onShowRequest = std::move(handler);
}

SingleInstance::TClaim SingleInstance::claim(bool showRunningCopy)
{
    for (const QString &lock : candidateLocks()) {
        const QString folder = QFileInfo(lock).absolutePath();
        if (!QFileInfo::exists(folder) && QDir().mkpath(folder))
            QFile::setPermissions(folder,
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        m_lockFd = LockFile(lock);
        if (m_lockFd >= 0) {
            m_lockPath = lock;
            listen();
            return TClaim::First;
        }
        // Held: a live copy uses this file. Anything else: this folder cannot hold the lock.
        if (errno == EWOULDBLOCK) {
            m_lockPath = lock;
            if (!showRunningCopy)
                return TClaim::Running;
            return askFirstCopyToShow(2000) ? TClaim::Shown : TClaim::NoAnswer;
        }
    }
    return TClaim::NoLock;
}

void SingleInstance::listen()
{
    // In the abstract namespace: no folder to agree on, nothing left behind by a copy that died.
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!m_server->listen(serverName()))
        return; // this copy runs all the same; a later one says that it could not reach it
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

bool SingleInstance::askFirstCopyToShow(int retryMs) const
{
    // The first copy may hold the lock and not listen yet: a few tries.
    const QDeadlineTimer deadline(retryMs);
    do {
        QLocalSocket socket;
        socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
        socket.connectToServer(serverName());
        if (socket.waitForConnected(500)) {
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

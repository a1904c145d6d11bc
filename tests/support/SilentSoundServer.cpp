#include "support/SilentSoundServer.h"

#include <QFile>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace testing_support {

SilentSoundServer::SilentSoundServer()
{
    const QByteArray path = QFile::encodeName(m_dir.filePath(QStringLiteral("native")));
    m_fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address = {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    if (m_fd >= 0 && ::bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::listen(m_fd, 16) == 0)
        m_address = QStringLiteral("unix:") + QString::fromUtf8(path);
}

SilentSoundServer::~SilentSoundServer()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

} // namespace testing_support

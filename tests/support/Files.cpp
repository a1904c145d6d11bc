#include "support/Files.h"

#include "platform/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/inotify.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace testing_support {

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<missing>");
    return file.readAll();
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    ::getrlimit(RLIMIT_FSIZE, &m_previous);
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{bytes, m_previous.rlim_max};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    ::setrlimit(RLIMIT_FSIZE, &m_previous);
    std::signal(SIGXFSZ, m_handler);
}

WholeFileLimit::WholeFileLimit(qint64 bytes) : m_previous(platform::SetMaxWholeFileSize(bytes)) {}

WholeFileLimit::~WholeFileLimit()
{
    platform::SetMaxWholeFileSize(m_previous);
}

FileWrites::FileWrites(const QString &path)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)), m_name(QFile::encodeName(QFileInfo(path).fileName()))
{
    EXPECT_GE(m_fd, 0);
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    EXPECT_GE(::inotify_add_watch(m_fd, folder.constData(), IN_MOVED_TO | IN_CLOSE_WRITE), 0);
}

FileWrites::~FileWrites()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

int FileWrites::count()
{
    // Events are queued by the calls that cause them: all of them are here already.
    alignas(inotify_event) char buffer[4096];
    ssize_t n;
    while ((n = ::read(m_fd, buffer, sizeof buffer)) > 0) {
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            if (event->len > 0 && m_name == event->name)
                ++m_count;
            at += ssize_t(sizeof(inotify_event) + event->len);
        }
    }
    return m_count;
}

QStringList FolderFixture::FilesInFolder() const
{
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace testing_support

#include "support/Files.h"

#include "platform/FileReplace.h"

#include <QDir>
#include <QFile>

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

QStringList FolderFixture::FilesInFolder() const
{
    return QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace testing_support

#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace testing_support {

// Replaces the file's content with `bytes`; the test fails when that cannot be done.
void WriteBytes(const QString &path, const QByteArray &bytes);

// The file's content, or "<missing>" when it cannot be opened.
QByteArray ReadBytes(const QString &path);

// Files may grow only to a set size while it is in force, as the shell's "ulimit -f" does:
// writes past it fail with EFBIG, the way a full disk fails them with ENOSPC.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_previous = {};
    void (*m_handler)(int) = nullptr;
};

// The largest file read whole, and so the largest written, is `bytes` while it is in force.
class WholeFileLimit
{
public:
    explicit WholeFileLimit(qint64 bytes);
    ~WholeFileLimit();
    WholeFileLimit(const WholeFileLimit &) = delete;
    WholeFileLimit &operator=(const WholeFileLimit &) = delete;

private:
    qint64 m_previous;
};

// Counts, as the kernel reports them (inotify), the times new content lands under one file's
// name from the moment it is created: renamed onto it, or written in place and closed.
class FileWrites
{
public:
    explicit FileWrites(const QString &path);
    ~FileWrites();
    FileWrites(const FileWrites &) = delete;
    FileWrites &operator=(const FileWrites &) = delete;
    int count();

private:
    int m_fd;
    QByteArray m_name;
    int m_count = 0;
};

// A folder of its own with one settings file path in it.
class FolderFixture : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path() const { return m_dir.filePath(QStringLiteral("tempovir.ini")); }
    QString DirPath() const { return m_dir.path(); }
    // Every file in the folder, hidden ones too, by name.
    QStringList FilesInFolder() const;

private:
    QTemporaryDir m_dir;
};

} // namespace testing_support

// Writes on a real file system that is nearly full: each one either leaves the complete new
// file and succeeds, or raises the write error and leaves the old file byte for byte.
#include "SettingsTestSupport.h"

#include "platform/Exception.h"
#include "settings/IniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

using namespace settings_test;

namespace {

// A small file system of its own: a tmpfs, or where mounting one is refused, an ext2 image
// on a loop device. Needs the right to mount; ok() tells.
class SmallFileSystem
{
public:
    SmallFileSystem(const QString &folder, qint64 bytes) : m_mountPoint(folder + "/fs")
    {
        QDir().mkpath(m_mountPoint);
        const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0755";
        if (::mount("tmpfs", QFile::encodeName(m_mountPoint).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                    options.constData()) == 0) {
            m_kind = "tmpfs";
            return;
        }
        m_why = QStringLiteral("mounting a tmpfs: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        const QString image = folder + "/fs.img";
        QFile file(image);
        if (!file.open(QIODevice::WriteOnly) || !file.resize(bytes))
            return;
        file.close();
        if (QProcess::execute("mkfs.ext2", {"-q", "-F", "-b", "1024", "-m", "0", "-N", "32", image}) != 0) {
            m_why += "; no mkfs.ext2 for a loop image";
            return;
        }
        if (QProcess::execute("mount", {"-o", "loop,nosuid,nodev", image, m_mountPoint}) != 0) {
            m_why += "; mounting a loop image refused too";
            return;
        }
        m_kind = "ext2 loop image";
        QDir(m_mountPoint).removeRecursively(); // lost+found is no settings file's business
        QDir().mkpath(m_mountPoint);
    }
    ~SmallFileSystem()
    {
        if (!ok())
            return;
        if (m_kind == "tmpfs")
            ::umount2(QFile::encodeName(m_mountPoint).constData(), MNT_DETACH);
        else
            QProcess::execute("umount", {"-l", m_mountPoint});
    }
    bool ok() const { return !m_kind.isEmpty(); }
    QString kind() const { return m_kind; }
    QString why() const { return m_why; }
    QString path() const { return m_mountPoint; }
    bool isTmpfs() const { return m_kind == "tmpfs"; }

    qint64 blockSize() const
    {
        struct statvfs st = {};
        ::statvfs(QFile::encodeName(m_mountPoint).constData(), &st);
        return qint64(st.f_frsize);
    }
    qint64 freeBytes() const
    {
        struct statvfs st = {};
        ::statvfs(QFile::encodeName(m_mountPoint).constData(), &st);
        return qint64(st.f_bavail) * qint64(st.f_frsize);
    }

    // Fills the file system with a file of its own until exactly `bytes` are free.
    bool leaveFree(qint64 bytes)
    {
        const QByteArray filler = QFile::encodeName(m_mountPoint + "/filler");
        const int fd = ::open(filler.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        if (fd < 0)
            return false;
        qint64 size = 0;
        for (int round = 0; round < 20; ++round) {
            ::fsync(fd);
            const qint64 free = freeBytes();
            if (free == bytes)
                break;
            size += free - bytes; // grows or, where metadata took a block, shrinks
            if (size < 0 || ::ftruncate(fd, 0) != 0 || ::lseek(fd, 0, SEEK_SET) != 0)
                break;
            const QByteArray block(4096, 'f');
            qint64 written = 0;
            while (written < size) {
                const ssize_t n =
                    ::write(fd, block.constData(), size_t(qMin<qint64>(block.size(), size - written)));
                if (n <= 0)
                    break;
                written += n;
            }
            size = written;
        }
        ::close(fd);
        return freeBytes() == bytes;
    }

    void clear() const
    {
        for (const QString &name : QDir(m_mountPoint).entryList(QDir::Files | QDir::Hidden | QDir::System))
            QFile::remove(m_mountPoint + "/" + name);
    }

private:
    QString m_mountPoint;
    QString m_kind;
    QString m_why;
};

// A settings file of exactly `size` bytes: an alarm section and padding.
QByteArray SettingsFileOf(qsizetype size)
{
    QByteArray content = "[Alarm_000]\r\nEnabled=1\r\nDate=10/12/2026\r\nTime=07:30:00\r\n";
    const QByteArray padHead = "[Pad]\r\npad=";
    const qsizetype padding = size - content.size() - padHead.size() - 2;
    return content + padHead + QByteArray(qMax<qsizetype>(padding, 0), 'p') + "\r\n";
}

// What the close sequence does to a file without preferences yet: a new section.
void WriteAPreference(const QString &path)
{
    TIniFile(path).WriteBool("Display", "AppStayOnTop", false);
}

class FullDisk : public IniFixture
{
};

TEST_F(FullDisk, EveryWriteLeavesTheNewFileOrFailsWithTheOldOneWhole)
{
    SmallFileSystem fs(DirPath(), 256 * 1024);
    if (!fs.ok())
        GTEST_SKIP() << "no small file system to fill: " << fs.why().toStdString();
    const QString path = fs.path() + "/tempovir.ini";
    const QString reference = DirPath() + "/reference.ini";
    const qint64 block = fs.blockSize();

    const qsizetype sizes[] = {100, 1024, 4096, 12 * 1024, 16 * 1024, 20 * 1024, 64 * 1024};
    const qint64 frees[] = {0, 4096, 8192};
    std::map<std::pair<qsizetype, qint64>, std::string> outcomes;
    for (const qsizetype size : sizes) {
        const QByteArray before = SettingsFileOf(size);
        ASSERT_EQ(before.size(), size);
        WriteBytes(reference, before);
        WriteAPreference(reference);
        const QByteArray after = ReadBytes(reference);
        for (const qint64 free : frees) {
            const std::string where =
                std::to_string(size) + " bytes, " + std::to_string(free / 1024) + " KB free";
            fs.clear();
            WriteBytes(path, before);
            ASSERT_TRUE(fs.leaveFree(free)) << where;
            bool written = false;
            try {
                WriteAPreference(path);
                written = true;
            } catch (const EIniFileException &e) {
                EXPECT_EQ(e.message(), "Impossible d'écrire dans " + path) << where;
            }
            EXPECT_EQ(ReadBytes(path), written ? after : before) << where;
            QStringList files = QDir(fs.path()).entryList(QDir::Files | QDir::Hidden | QDir::System);
            files.sort();
            EXPECT_EQ(files, (QStringList{"filler", "tempovir.ini"})) << where;

            // The new file needs room of its own beside the old one until the rename.
            const qint64 needed = (after.size() + block - 1) / block * block;
            if (fs.isTmpfs() || needed + block <= free || needed > free) {
                EXPECT_EQ(written, needed <= free) << where;
            }
            outcomes[{size, free}] = written ? "new file" : "error, old file kept";
        }
    }

    std::printf("Write of a new section on a full %s (%lld-byte blocks):\n", qPrintable(fs.kind()),
                static_cast<long long>(block));
    std::printf("%10s | %-22s| %-22s| %-22s\n", "file", "0 KB free", "4 KB free", "8 KB free");
    for (const qsizetype size : sizes) {
        std::printf("%8.1fKB", double(size) / 1024);
        for (const qint64 free : frees)
            std::printf(" | %-21s", outcomes[{size, free}].c_str());
        std::printf("\n");
    }
}

TEST_F(FullDisk, ANewFileOnAFullDiskLeavesNothing)
{
    SmallFileSystem fs(DirPath(), 64 * 1024);
    if (!fs.ok())
        GTEST_SKIP() << "no small file system to fill: " << fs.why().toStdString();
    ASSERT_TRUE(fs.leaveFree(0));
    const QString path = fs.path() + "/tempovir.ini";
    EXPECT_THROW(WriteAPreference(path), EIniFileException);
    EXPECT_EQ(QDir(fs.path()).entryList(QDir::Files | QDir::Hidden | QDir::System), QStringList{"filler"});
}

} // namespace

#include "platform/FileReplace.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace platform {

namespace {

qint64 maxWholeFileSize = 64 * 1024 * 1024;

class FdCloser
{
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FdCloser(const FdCloser &) = delete;
    FdCloser &operator=(const FdCloser &) = delete;

private:
    int m_fd;
};

// "tempovir.ini" is written through ".tempovir.ini.tmp-XXXXXX": recognisably ours, and
// hidden from a file manager for the instant it exists.
QString temporaryPrefix(const QString &fileName)
{
    return QLatin1Char('.') + fileName + QStringLiteral(".tmp-");
}
constexpr qsizetype TemporarySuffixLength = 6;

QString randomSuffix()
{
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (qsizetype i = 0; i < TemporarySuffixLength; ++i)
        suffix += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
    return suffix;
}

bool isTemporaryName(const QString &name, const QString &prefix)
{
    if (name.size() != prefix.size() + TemporarySuffixLength || !name.startsWith(prefix))
        return false;
    for (const QChar c : QStringView(name).sliced(prefix.size())) {
        const char16_t u = c.unicode();
        if (!((u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z')))
            return false;
    }
    return true;
}

// What a write killed half-way left behind: it holds nothing the file lacks.
void removeStaleTemporaries(const QString &folder, const QString &prefix)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!isTemporaryName(name, prefix))
            continue;
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
        struct stat st = {};
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.constData());
    }
}

// Every byte or failure: a full disk shows up here as a short or failed write.
bool writeAll(int fd, const QByteArray &data)
{
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    return true;
}

void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Through a symbolic link, the file that is to be replaced is its target.
QString writeTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

} // namespace

qint64 MaxWholeFileSize()
{
    return maxWholeFileSize;
}

qint64 SetMaxWholeFileSize(qint64 bytes)
{
    return std::exchange(maxWholeFileSize, bytes);
}

// Only a regular file is opened: a FIFO would block start-up in open(), and a device such as
// /dev/zero would be read until memory runs out.
FileState ReadWholeFile(const QString &path, QByteArray &data)
{
    const QByteArray name = QFile::encodeName(path);
    const qint64 limit = MaxWholeFileSize();
    struct stat st = {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? FileState::Missing : FileState::Unusable;
    if (!S_ISREG(st.st_mode) || st.st_size > limit)
        return FileState::Unusable;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? FileState::Missing : FileState::Unusable;
    const FdCloser closer(fd);
    // It may have been replaced between the two looks.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > limit)
        return FileState::Unusable;
    QByteArray buffer(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == buffer.size()) {
            if (buffer.size() > limit)
                return FileState::Unusable; // it grows while we read
            buffer.resize(qMin<qsizetype>(buffer.size() * 2, limit + 1));
        }
        const ssize_t n = ::read(fd, buffer.data() + filled, size_t(buffer.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return FileState::Unusable;
        if (n == 0)
            break;
        filled += n;
    }
    buffer.truncate(filled);
    data = std::move(buffer);
    return FileState::Read;
}

// Writes a temporary file beside the target, checks that all of it reached the disk, and
// renames it over the target: a failure at any point leaves the old file as it was and no
// new file. The buffered writes of QSaveFile cannot promise that: on a full disk they fail
// inside commit(), which still reports success and leaves an empty file.
bool ReplaceFile(const QString &path, const QByteArray &data)
{
    // The next start would not read it, and lose everything in it.
    if (data.size() > MaxWholeFileSize())
        return false;
    const QString targetPath = writeTarget(path);
    const QFileInfo info(targetPath);
    const QString folder = info.absolutePath();
    const QString prefix = temporaryPrefix(info.fileName());
    const QByteArray target = QFile::encodeName(targetPath);
    struct stat old = {};
    const bool existed = ::stat(target.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return false; // a folder, a device or a pipe is never replaced

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = QFile::encodeName(folder + QLatin1Char('/') + prefix + randomSuffix());
        // A new file gets the usual permissions (the umask applies); a replacement those of
        // the file it replaces, below.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = writeAll(fd, data);
    if (ok && existed) {
        // Only root may give the file back to its owner; for anyone else it is theirs already.
        (void)::fchown(fd, old.st_uid, old.st_gid);
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
    }
    ok = ok && ::fsync(fd) == 0;
    struct stat written = {};
    ok = ok && ::fstat(fd, &written) == 0 && written.st_size == data.size();
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temporary.constData(), target.constData()) != 0) {
        ::unlink(temporary.constData());
        return false;
    }
    // The rename itself must survive a power cut right after the program ends.
    syncFolder(folder);
    removeStaleTemporaries(folder, prefix);
    return true;
}

bool MayWrite(const QString &path)
{
    const QFileInfo info(path);
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isWritable() && (info.permissions() & anyWrite);
}

} // namespace platform

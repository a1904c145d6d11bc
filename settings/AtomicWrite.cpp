#include "settings/AtomicWrite.h"

#include "platform/Exception.h"
#include "res/uRes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype SuffixLength = 6;

// "tempovir.ini" is written through ".tempovir.ini.tmp-XXXXXX": recognisably ours, and
// hidden from a file manager for the instant it exists.
QString TemporaryPrefix(const QString &fileName)
{
    return QLatin1Char('.') + fileName + QStringLiteral(".tmp-");
}

QString RandomSuffix()
{
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (qsizetype i = 0; i < SuffixLength; ++i)
        suffix += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
    return suffix;
}

// Every byte or failure: a full disk shows up here as a short or failed write.
bool WriteAll(int fd, const QByteArray &data)
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

void SyncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Through a symbolic link, the file that is to be replaced is its target.
QString WriteTarget(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.symLinkTarget() : canonical;
}

bool Replace(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QByteArray target = QFile::encodeName(path);
    struct stat old = {};
    const bool existed = ::stat(target.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return false; // a folder, a device or a pipe is never replaced

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary =
            QFile::encodeName(folder + QLatin1Char('/') + TemporaryPrefix(info.fileName()) + RandomSuffix());
        // A new file gets the usual permissions (the umask applies); a replacement those of
        // the file it replaces, below.
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, existed ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = WriteAll(fd, data);
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
    SyncFolder(folder);
    return true;
}

} // namespace

void WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (!Replace(WriteTarget(path), bytes))
        throw EIniFileException(uRes::IniWriteError(path));
}

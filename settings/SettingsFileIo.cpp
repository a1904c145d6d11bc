#include "settings/SettingsFileIo.h"

#include "platform/Ascii.h"
#include "platform/Exception.h"
#include "res/uRes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// Windows-1252 in 0x80..0x9F; the five unassigned bytes map to the control characters of the
// same value, as Windows itself does.
constexpr char16_t Cp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                     0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString DecodeCp1252(QByteArrayView bytes)
{
    QString result(bytes.size(), Qt::Uninitialized);
    QChar *out = result.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *out++ = QChar((b >= 0x80 && b < 0xA0) ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return result;
}

} // namespace

// A line is UTF-8 when it is valid UTF-8, otherwise it comes from the Windows version.
QString DecodeSettingsLine(QByteArrayView bytes)
{
    bool ascii = true;
    for (const char ch : bytes) {
        if (static_cast<unsigned char>(ch) >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii)
        return QString::fromLatin1(bytes.data(), bytes.size());
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return DecodeCp1252(bytes);
}

// A line break would split the key line and lose the rest of the value.
QString OnOneLine(const QString &text)
{
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    result.replace(u'\r', u' ');
    result.replace(u'\n', u' ');
    return result;
}

// Only a regular file is opened: a FIFO would block start-up in open(), and a device such as
// /dev/zero would be read until memory runs out.
FileState ReadWholeFile(const QString &path, QByteArray &data)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st = {};
    if (::stat(name.constData(), &st) != 0)
        return errno == ENOENT ? FileState::Missing : FileState::Unusable;
    if (!S_ISREG(st.st_mode) || st.st_size > MaxSettingsFileSize)
        return FileState::Unusable;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return errno == ENOENT ? FileState::Missing : FileState::Unusable;
    const FdCloser closer(fd);
    // It may have been replaced between the two looks.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > MaxSettingsFileSize)
        return FileState::Unusable;
    QByteArray buffer(qsizetype(st.st_size) + 1, Qt::Uninitialized);
    qsizetype filled = 0;
    for (;;) {
        if (filled == buffer.size()) {
            if (buffer.size() > MaxSettingsFileSize)
                return FileState::Unusable; // it grows while we read
            buffer.resize(qMin<qsizetype>(buffer.size() * 2, MaxSettingsFileSize + 1));
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

std::optional<int> ParseInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    if (i == n)
        return std::nullopt;

    bool hex = false;
    if (text[i] == u'$' || text[i] == u'x' || text[i] == u'X') {
        hex = true;
        i += 1;
    } else if (text[i] == u'0' && i + 1 < n && (text[i + 1] == u'x' || text[i + 1] == u'X')) {
        hex = true;
        i += 2;
    }
    if (hex) {
        if (i == n)
            return std::nullopt;
        quint64 value = 0;
        for (; i < n; ++i) {
            const int digit = platform::HexDigitValue(text[i].unicode());
            if (digit < 0)
                return std::nullopt;
            value = value * 16 + quint64(digit);
            if (value > 0xFFFFFFFFull)
                return std::nullopt;
        }
        return static_cast<int>(static_cast<quint32>(value));
    }

    bool negative = false;
    if (text[i] == u'+' || text[i] == u'-') {
        negative = text[i] == u'-';
        ++i;
    }
    if (i == n)
        return std::nullopt;
    const qint64 limit = negative ? 2147483648LL : 2147483647LL;
    qint64 value = 0;
    for (; i < n; ++i) {
        if (text[i] < u'0' || text[i] > u'9')
            return std::nullopt;
        value = value * 10 + (text[i].unicode() - u'0');
        if (value > limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? -value : value);
}

namespace {

// "tempovir.ini" is written through ".tempovir.ini.tmp-XXXXXX": recognisably ours, and
// hidden from a file manager for the instant it exists.
QString TemporaryPrefix(const QString &fileName)
{
    return QLatin1Char('.') + fileName + QStringLiteral(".tmp-");
}
constexpr qsizetype TemporarySuffixLength = 6;

QString RandomSuffix()
{
    static constexpr char Letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (qsizetype i = 0; i < TemporarySuffixLength; ++i)
        suffix += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
    return suffix;
}

bool IsTemporaryName(const QString &name, const QString &prefix)
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

// What a write killed half-way left behind: it holds nothing the settings file lacks.
void RemoveStaleTemporaries(const QString &folder, const QString &prefix)
{
    const QStringList names = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &name : names) {
        if (!IsTemporaryName(name, prefix))
            continue;
        const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
        struct stat st = {};
        if (::lstat(path.constData(), &st) == 0 && S_ISREG(st.st_mode))
            ::unlink(path.constData());
    }
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

} // namespace

// Writes a temporary file beside the target, checks that all of it reached the disk, and
// renames it over the target: a failure at any point leaves the old file as it was and no
// new file. The buffered writes of QSaveFile cannot promise that: on a full disk they fail
// inside commit(), which still reports success and leaves an empty file.
bool ReplaceFile(const QString &path, const QByteArray &data)
{
    const QFileInfo info(path);
    const QString folder = info.absolutePath();
    const QString prefix = TemporaryPrefix(info.fileName());
    const QByteArray target = QFile::encodeName(path);
    struct stat old = {};
    const bool existed = ::stat(target.constData(), &old) == 0;
    if (existed && !S_ISREG(old.st_mode))
        return false; // a folder, a device or a pipe is never replaced

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = QFile::encodeName(folder + QLatin1Char('/') + prefix + RandomSuffix());
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
    RemoveStaleTemporaries(folder, prefix);
    return true;
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

// A file without any write permission is read-only, also for an administrator, as on Windows.
bool MayWrite(const QString &path)
{
    const QFileInfo info(path);
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return info.isWritable() && (info.permissions() & anyWrite);
}

void WriteFileAtomically(const QString &path, const QByteArray &bytes)
{
    if (!ReplaceFile(WriteTarget(path), bytes))
        throw EIniFileException(uRes::IniWriteError(path));
}

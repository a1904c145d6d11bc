#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// Far beyond any settings file, and small enough to read whole without harm.
constexpr qint64 MaxWholeFileSize = 64 * 1024 * 1024;

enum class FileState {
    Missing,
    Read,
    Unusable, // there, but not a regular file of sane size, or not readable
};

// Reads the file whole. Only a regular file of at most MaxWholeFileSize bytes is read: a FIFO
// would block in open(), a device such as /dev/zero would be read until memory runs out.
FileState readWholeFile(const QString &path, QByteArray &data);

// Replaces the file at path (through a symbolic link, its target) by data, all or nothing: a
// temporary file beside it (".NAME.tmp-XXXXXX"), every write checked, synced, renamed over the
// old one, the folder synced, stale temporaries of an earlier killed write removed. Any
// failure leaves the old file as it was and no new file, and returns false. Anything but a
// regular file is never replaced.
bool replaceFile(const QString &path, const QByteArray &data);

// A file without any write permission is read-only, also for an administrator, as on Windows.
bool mayWrite(const QString &path);

} // namespace platform

#pragma once

#include <QByteArray>
#include <QString>

namespace platform {

// The largest file read whole, 64 MB: far beyond any settings file, and small enough to read
// without harm. Nothing larger is written either, as the next start could not read it.
qint64 MaxWholeFileSize();
// Sets that limit, for tests that need a small one; returns the one before.
qint64 SetMaxWholeFileSize(qint64 bytes);

enum class FileState {
    Missing,
    Read,
    Unusable, // there, but not a regular file of sane size, or not readable
};

// Reads the file whole. Only a regular file of at most MaxWholeFileSize() bytes is read: a FIFO
// would block in open(), a device such as /dev/zero would be read until memory runs out.
FileState ReadWholeFile(const QString &path, QByteArray &data);

// Replaces the file at path (through a symbolic link, its target) by data, all or nothing: a
// temporary file beside it (".NAME.tmp-XXXXXX"), every write checked, synced, renamed over the
// old one, the folder synced, stale temporaries of an earlier killed write removed. Any
// failure leaves the old file as it was and no new file, and returns false. Anything but a
// regular file is never replaced, and data over MaxWholeFileSize() never written.
bool ReplaceFile(const QString &path, const QByteArray &data);

// A file without any write permission is read-only, also for an administrator, as on Windows.
bool MayWrite(const QString &path);

} // namespace platform

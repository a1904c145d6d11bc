#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// Reading and replacing the settings file, for the key-by-key access and the whole-file
// placement storage alike.

// Far beyond any settings file, and small enough to read whole without harm.
constexpr qint64 MaxSettingsFileSize = 64 * 1024 * 1024;

enum class FileState {
    Missing,
    Read,
    Unusable, // there, but not a regular file of sane size, or not readable
};

// Reads the file whole. Only a regular file of at most MaxSettingsFileSize bytes is read: a
// FIFO would block in open(), a device such as /dev/zero would be read until memory runs out.
FileState ReadWholeFile(const QString &path, QByteArray &data);

// Replaces the file at path by data, all or nothing: a temporary file beside it
// (".NAME.tmp-XXXXXX"), every write checked, synced, renamed over the old one, the folder
// synced, stale temporaries of an earlier killed write removed. Any failure leaves the old
// file as it was and no new file. Anything but a regular file is never replaced.
bool ReplaceFile(const QString &path, const QByteArray &data);

// The same through a symbolic link to its target; raises "Impossible d'écrire dans PATH".
void WriteFileAtomically(const QString &path, const QByteArray &bytes);

// Through a symbolic link, the file that is to be replaced is its target.
QString WriteTarget(const QString &path);

// A file without any write permission is read-only, also for an administrator, as on Windows.
bool MayWrite(const QString &path);

// One line's text: UTF-8 when it is valid UTF-8, otherwise Windows-1252 (a file written by
// the Windows version).
QString DecodeSettingsLine(QByteArrayView bytes);

// The value on one line: a line break would split the line and lose the rest of the value.
QString OnOneLine(const QString &text);

// Decimal with an optional sign, or hexadecimal after "$", "x", "X", "0x" or "0X", leading
// blanks allowed, nothing after; nothing when the text is no such integer.
std::optional<int> ParseInteger(QStringView text);

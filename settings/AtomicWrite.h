#pragma once

#include <QByteArray>
#include <QString>

// Replaces the file at path by bytes, all or nothing: the bytes go to a temporary file in the
// same folder (".NAME.tmp-XXXXXX"), every write is checked, the file is synced and renamed
// over the old one, and the folder is synced. A crash or a full disk at any moment leaves
// either the old file or the new one. Through a symbolic link the link's target is replaced.
// Raises EIniFileException ("Impossible d'écrire dans PATH") on failure, and refuses to
// replace anything that is not a regular file.
void WriteFileAtomically(const QString &path, const QByteArray &bytes);

#pragma once

#include "platform/FileReplace.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The settings file in memory, line by line: section headers ("[name]", blanks around the name
// ignored) and under each, key lines ("key=value"). It serves both ways the program reaches
// the file, key by key and the whole-file placement storage, which differ in the two options.
// Names match without regard to ASCII letter case; only the first section of a name counts,
// and in it the first line of the key. Each line reads as UTF-8 when it is valid UTF-8,
// otherwise as Windows-1252 (a file written by the Windows version); a line written anew is
// UTF-8. A file that starts with a UTF-16 byte-order mark (little or big endian) reads as
// the UTF-16 it is and is written as UTF-8. A line break in a name or a value becomes a
// space, so no write can split a line.
class TIniDocument
{
public:
    // Whether blanks around a key name, in the file and in the names asked for, are part of it.
    enum class Names { Trimmed, AsWritten };
    // Verbatim: every line keeps its bytes and its line end, comments, empty lines, lines
    // before the first section and a byte-order mark included; a key written in place keeps
    // its spelling and spacing, and a value that reads the same is not written at all.
    // Sections: empty lines, comment lines (";" first) and lines before the first section are
    // dropped when loading; a key written in place becomes "key=value"; the file is written
    // as each section's "[name]", its lines and an empty line, CR LF everywhere.
    enum class Layout { Verbatim, Sections };

    TIniDocument(Names names, Layout layout) : m_names(names), m_layout(layout) {}

    // Takes the file's content; a missing or unusable file leaves the document empty. A file
    // that starts with a UTF-16 mark but holds no valid UTF-16 after it is unusable.
    platform::FileState load(const QString &path);
    // Takes data as the file's content, as load does with what it reads once UTF-16 is UTF-8.
    void setContent(QByteArray data);
    // Replaces the file (through a symbolic link, its target) by the document in one atomic
    // replacement; raises EIniFileException "Impossible d'écrire dans PATH", the file as it
    // was, when that fails, the file has no write permission or the document is larger than
    // the largest file read (platform::MaxWholeFileSize()).
    void save(const QString &path) const;
    // What save writes.
    QByteArray bytes() const;
    void clear();
    // Whether a write changed anything since the last load or clear.
    bool modified() const { return m_modified; }

    // The text after the key line's first "=", as it stands; nothing when the key is missing.
    std::optional<QString> value(const QString &section, const QString &key) const;
    // Replaces the key's value in place, or adds the key after the section's last key line
    // (after its header when it has none), or adds the section at the end.
    void setValue(const QString &section, const QString &key, const QString &value);

private:
    struct Line
    {
        QByteArray text;    // as loaded, it refers into m_data without a copy
        QByteArrayView end; // "\r\n", "\n", "\r", or nothing on a last line without one
    };
    // Where a key is, or where it would go.
    struct Place
    {
        qsizetype section = -1;
        qsizetype key = -1;
        qsizetype last = -1; // the section's header or its last key line
        QString keyLine;     // the key's line, decoded
    };

    Place find(QStringView section, QStringView key) const;
    QString name(const QString &name) const;
    QStringView keyName(QStringView line) const;
    void insert(qsizetype at, const Line &line);

    Names m_names;
    Layout m_layout;
    bool m_byteOrderMark = false;
    bool m_modified = false;
    QByteArray m_data; // the file as loaded, never changed
    QList<Line> m_lines;
};

// Spaces and tabs around a name or a value removed.
QStringView TrimBlanks(QStringView text);

// Decimal with an optional sign, or hexadecimal after "$", "x", "X", "0x" or "0X" (up to
// FFFFFFFF, taken as a signed 32-bit pattern), leading blanks allowed, nothing after; nothing
// when the text is no such integer.
std::optional<int> ParseInteger(QStringView text);

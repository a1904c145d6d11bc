#pragma once

#include "settings/IniDocument.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <optional>

// The settings file, read and written key by key. Nothing is cached: every read and every
// write goes to the file at that moment, so the object may live as long or as short as the
// caller likes. Reads never fail; only a regular file of at most 64 MB is read, anything else
// reads as missing and is never written over. A write either leaves the complete new file on
// disk or raises EIniFileException with the old file as it was. Between BeginUpdate and
// UpdateFile, writes are gathered and the file is replaced once for all of them.
class TIniFile
{
public:
    explicit TIniFile(QString fileName);

    QString FileName() const { return m_fileName; }

    // The longest value ReadString gives back, in characters: what a 2048-character
    // profile buffer lets through.
    static constexpr qsizetype MaxValueLength = 2047;
    // The first MaxValueLength characters of text, a pair of UTF-16 units counting as one.
    static QString limitLength(QStringView text);

    // The stored text, blanks and one pair of enclosing quotes removed, at most
    // MaxValueLength characters; Default when the file, section or key is missing or the
    // value empty.
    QString ReadString(const QString &Section, const QString &Ident, const QString &Default) const;
    // Creates the file, section or key as needed and replaces the value in place; every other
    // line keeps its bytes. Line breaks inside Value become single spaces.
    void WriteString(const QString &Section, const QString &Ident, const QString &Value);

    // Decimal with optional sign, or hexadecimal after "$", "x", "X", "0x" or "0X" (up to
    // FFFFFFFF, taken as a signed 32-bit pattern); Default when absent or not a number.
    int ReadInteger(const QString &Section, const QString &Ident, int Default) const;
    void WriteInteger(const QString &Section, const QString &Ident, int Value);
    // Any integer but 0 is yes; stored as "1" or "0".
    bool ReadBool(const QString &Section, const QString &Ident, bool Default) const;
    void WriteBool(const QString &Section, const QString &Ident, bool Value);
    // Date and time text of the regional settings; Default when absent or not parsable.
    QDate ReadDate(const QString &Section, const QString &Ident, const QDate &Default) const;
    QTime ReadTime(const QString &Section, const QString &Ident, const QTime &Default) const;
    void WriteDate(const QString &Section, const QString &Ident, const QDate &Value);
    void WriteTime(const QString &Section, const QString &Ident, const QTime &Value);

    // Starts a group of writes: the file is read now (an unusable one raises
    // EIniFileException), the writes that follow change only that copy, and reads see them.
    // Releasing the object before UpdateFile writes nothing. A group under way stays as it is.
    void BeginUpdate();
    // Starts a group of writes on content that another writer is about to put in the file,
    // instead of on the file as it is: UpdateFile then replaces the file by that content with
    // the group's writes, even when they change nothing. When that fails, only a change made
    // by the group's writes raises EIniFileException; the other writer's content alone is
    // lost in silence. A group under way is dropped.
    void BeginUpdate(const QByteArray &content);
    // Ends the group: its writes replace the file at once, or raise EIniFileException with
    // the old file as it was. Values all stored already, or no group, write nothing.
    void UpdateFile();

    // The file is there but could not be read (not a regular file, over 64 MB, not readable,
    // or not valid UTF-16 after a UTF-16 mark): it reads as empty, and no write replaces it.
    bool isUnreadable() const;

private:
    std::optional<QString> value(const QString &section, const QString &ident) const;
    TIniDocument loadForWriting() const;

    QString m_fileName;
    std::optional<TIniDocument> m_update;
    // The group brings content of its own (BeginUpdate with content).
    bool m_updateReplaces = false;
};

#pragma once

#include "settings/IniDocument.h"

#include <QString>

#include <functional>
#include <optional>

class TIniFile;

// The whole settings file in memory, for the window placement: attached to a file by
// setting FileName, which loads it; detached by setting another name (or none), which first
// writes the memory copy back as a whole. Reads and writes between the two touch only memory.
// Values are addressed by storage paths such as "fmMain\NormPos".
class TAppIniFileStorage
{
public:
    enum TFileLocation {
        flCustom, // the file name as given
        flExeFile // the executable's folder and the file-name part of FileName
    };

    TAppIniFileStorage() = default;
    // Writes the memory copy back when still attached.
    ~TAppIniFileStorage();
    TAppIniFileStorage(const TAppIniFileStorage &) = delete;
    TAppIniFileStorage &operator=(const TAppIniFileStorage &) = delete;

    QString FileName() const { return m_fileName; }
    // Writes back to the file attached so far (unless read-only; errors ignored), then loads
    // the new one; the same name again does nothing. A name without an extension gets ".ini".
    void SetFileName(const QString &fileName);
    TFileLocation Location() const { return m_location; }
    // Takes effect at the next SetFileName.
    void SetLocation(TFileLocation location) { m_location = location; }
    // Where the file lives; empty while detached.
    QString FullFileName() const { return m_fullFileName; }
    // A file that may not be written is never written back, and takes no value writes.
    bool ReadOnly() const { return m_readOnly; }
    // Detaches as SetFileName(QString()) does, and in the same replacement of the file makes
    // the key-by-key writes of `then` on what the write-back leaves (on the file as it stands
    // when read-only), so that no other writer can come between the two. Raises the write
    // error only when the writes of `then` changed something and the file cannot be replaced.
    void detachWith(const std::function<void(TIniFile &)> &then);

    bool ValueStored(const QString &path) const;
    // The text after "=", or Default when the key is missing.
    QString ReadString(const QString &path, const QString &Default) const;
    // Default when the key is missing, 0 when its value is empty; a value that is not an
    // integer raises EConvertError.
    int ReadInteger(const QString &path, int Default) const;
    void WriteString(const QString &path, const QString &value);
    void WriteInteger(const QString &path, int value);

    // "a\\b\" + "c" gives "a\b\c": backslash runs collapse, leading ones go.
    static QString ConcatPaths(const QString &path, const QString &key);
    // The section is what comes before the last backslash, the key the rest.
    static void SplitPath(const QString &path, QString &section, QString &key);

private:
    // Whether detaching writes the memory copy back; if so, the file's folder is made when
    // missing.
    bool prepareWriteBack() const;
    void writeBack() const;
    void reload();
    std::optional<QString> value(const QString &path) const;

    QString m_fileName;
    QString m_fullFileName;
    TFileLocation m_location = flExeFile;
    bool m_readOnly = false;
    // Key names as they stand (blanks included); comments and empty lines do not survive the
    // write-back.
    TIniDocument m_document{TIniDocument::Names::AsWritten, TIniDocument::Layout::Sections};
};

#include "settings/AppIniFileStorage.h"

#include "platform/Ascii.h"
#include "platform/Exception.h"
#include "res/uRes.h"
#include "settings/SettingsFileIo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");

bool SameName(QByteArrayView a, QByteArrayView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (platform::AsciiLower(char16_t(uchar(a[i]))) != platform::AsciiLower(char16_t(uchar(b[i]))))
            return false;
    }
    return true;
}

QByteArray Encoded(const QString &text)
{
    return OnOneLine(text).toUtf8();
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

// "[" first (after blanks) and a "]" later: the same rule as the key-by-key reader, so that
// both agree on where a section starts and no section of a hand-edited file is dropped.
std::optional<QByteArray> SectionHeader(QByteArrayView line)
{
    qsizetype i = 0;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    if (i == line.size() || line[i] != '[')
        return std::nullopt;
    const qsizetype close = line.lastIndexOf(']');
    if (close <= i)
        return std::nullopt;
    return line.sliced(i + 1, close - i - 1).trimmed().toByteArray();
}

QString WithDefaultExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (name.isEmpty() || (dot >= 0 && dot > name.lastIndexOf(u'/') && dot > name.lastIndexOf(u'\\')))
        return name;
    return name + QStringLiteral(".ini");
}

QString FileNamePart(const QString &name)
{
    return name.mid(qMax(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
}

} // namespace

TAppIniFileStorage::~TAppIniFileStorage()
{
    WriteBack();
}

void TAppIniFileStorage::SetFileName(const QString &fileName)
{
    if (fileName == m_fileName)
        return;
    WriteBack();
    m_fileName = fileName;
    const QString name = WithDefaultExtension(m_fileName);
    if (name.isEmpty())
        m_fullFileName.clear();
    else if (m_location == flExeFile)
        m_fullFileName = QCoreApplication::applicationDirPath() + QLatin1Char('/') + FileNamePart(name);
    else
        m_fullFileName = name;
    Reload();
}

void TAppIniFileStorage::WriteBack() const
{
    if (m_fullFileName.isEmpty() || m_readOnly)
        return;
    QByteArray bytes;
    for (const Section &section : m_sections) {
        bytes += '[' + section.name + "]\r\n";
        for (const QByteArray &line : section.lines)
            bytes += line + "\r\n";
        bytes += "\r\n";
    }
    try {
        QDir().mkpath(QFileInfo(m_fullFileName).absolutePath());
        WriteFileAtomically(m_fullFileName, bytes);
    } catch (const EIniFileException &) {
        // The file keeps what it held; the placement is simply not remembered this time.
    }
}

void TAppIniFileStorage::Reload()
{
    m_sections.clear();
    m_readOnly = false;
    if (m_fullFileName.isEmpty())
        return;
    const QFileInfo info(m_fullFileName); // follows a symbolic link to its target
    if (!info.exists())
        return;
    m_readOnly = !MayWrite(m_fullFileName);
    // What cannot be read whole is never written back either: that would lose it.
    QByteArray data;
    if (ReadWholeFile(m_fullFileName, data) != FileState::Read) {
        m_readOnly = true;
        return;
    }
    if (data.startsWith(Utf8Bom))
        data.remove(0, Utf8Bom.size());

    Section *current = nullptr;
    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype end = pos;
        while (end < data.size() && data[end] != '\n' && data[end] != '\r')
            ++end;
        const QByteArrayView line(data.constData() + pos, end - pos);
        pos = end + ((end + 1 < data.size() && data[end] == '\r' && data[end + 1] == '\n') ? 2 : 1);
        if (line.isEmpty() || line.front() == ';')
            continue;
        if (const std::optional<QByteArray> name = SectionHeader(line)) {
            m_sections.append({*name, {}});
            current = &m_sections.last();
        } else if (current) {
            current->lines.append(line.toByteArray());
        }
    }
}

QString TAppIniFileStorage::ConcatPaths(const QString &path, const QString &key)
{
    const QString joined = path + QLatin1Char('\\') + key;
    QString result;
    for (const QChar c : joined) {
        if (c == u'\\' && (result.isEmpty() || result.back() == u'\\'))
            continue;
        result += c;
    }
    return result;
}

void TAppIniFileStorage::SplitPath(const QString &path, QString &section, QString &key)
{
    const QString full = ConcatPaths(QString(), path);
    const qsizetype last = full.lastIndexOf(u'\\');
    section = last < 0 ? QString() : full.left(last);
    key = full.mid(last + 1);
}

const QByteArray *TAppIniFileStorage::FindLine(const QString &path) const
{
    QString section;
    QString key;
    SplitPath(path, section, key);
    const QByteArray sectionName = section.toUtf8();
    const QByteArray keyName = key.toUtf8();
    for (const Section &s : m_sections) {
        if (!SameName(s.name, sectionName))
            continue;
        for (const QByteArray &line : s.lines) {
            const qsizetype eq = line.indexOf('=');
            if (eq >= 0 && SameName(QByteArrayView(line).first(eq), keyName))
                return &line;
        }
        return nullptr; // only the first section of that name counts
    }
    return nullptr;
}

bool TAppIniFileStorage::ValueStored(const QString &path) const
{
    return FindLine(path) != nullptr;
}

QString TAppIniFileStorage::ReadString(const QString &path, const QString &Default) const
{
    const QByteArray *line = FindLine(path);
    if (!line)
        return Default;
    return DecodeSettingsLine(QByteArrayView(*line).sliced(line->indexOf('=') + 1));
}

int TAppIniFileStorage::ReadInteger(const QString &path, int Default) const
{
    if (!ValueStored(path))
        return Default;
    const QString text = ReadString(path, QString());
    if (text.isEmpty())
        return 0;
    if (const std::optional<int> value = ParseInteger(text))
        return *value;
    throw EConvertError(uRes::InvalidInteger(text));
}

void TAppIniFileStorage::WriteString(const QString &path, const QString &value)
{
    if (m_readOnly)
        return;
    QString section;
    QString key;
    SplitPath(path, section, key);
    const QByteArray sectionName = Encoded(section);
    const QByteArray keyName = Encoded(key);
    const QByteArray newLine = keyName + '=' + Encoded(value);
    for (Section &s : m_sections) {
        if (!SameName(s.name, sectionName))
            continue;
        for (QByteArray &line : s.lines) {
            const qsizetype eq = line.indexOf('=');
            if (eq >= 0 && SameName(QByteArrayView(line).first(eq), keyName)) {
                line = newLine;
                return;
            }
        }
        s.lines.append(newLine);
        return;
    }
    m_sections.append({sectionName, {newLine}});
}

void TAppIniFileStorage::WriteInteger(const QString &path, int value)
{
    WriteString(path, QString::number(value));
}

#include "settings/IniFile.h"

#include "platform/Ascii.h"
#include "platform/Exception.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "settings/SettingsFileIo.h"

#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// What the original's 2048-character profile buffer let through.
constexpr qsizetype MaxValueLength = 2047;
const QByteArray Utf8Bom("\xEF\xBB\xBF");
const QByteArray NewLine("\r\n");

bool IsBlank(QChar c)
{
    return c == u' ' || c == u'\t';
}

QStringView TrimBlanks(QStringView s)
{
    qsizetype begin = 0;
    qsizetype end = s.size();
    while (begin < end && IsBlank(s[begin]))
        ++begin;
    while (end > begin && IsBlank(s[end - 1]))
        --end;
    return s.sliced(begin, end - begin);
}

// Section and key names match without regard to ASCII letter case only, as the profile
// functions did; other letters must match exactly.
bool SameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (platform::AsciiLower(a[i].unicode()) != platform::AsciiLower(b[i].unicode()))
            return false;
    }
    return true;
}

// One line of the file: its content [begin, end) and its line end [end, next).
struct Line
{
    qsizetype begin = 0;
    qsizetype end = 0;
    qsizetype next = 0;
};

// Splits on CR LF, LF or CR; a byte-order mark before the first line is not part of it.
class LineReader
{
public:
    explicit LineReader(const QByteArray &data) : m_data(data)
    {
        if (m_data.startsWith(Utf8Bom))
            m_pos = Utf8Bom.size();
    }

    bool next(Line &line)
    {
        const qsizetype size = m_data.size();
        if (m_pos >= size)
            return false;
        const char *d = m_data.constData();
        qsizetype i = m_pos;
        while (i < size && d[i] != '\n' && d[i] != '\r')
            ++i;
        line.begin = m_pos;
        line.end = i;
        if (i < size && d[i] == '\r' && i + 1 < size && d[i + 1] == '\n')
            i += 2;
        else if (i < size)
            i += 1;
        line.next = i;
        m_pos = i;
        return true;
    }

    QByteArrayView bytes(const Line &line) const
    {
        return QByteArrayView(m_data.constData() + line.begin, line.end - line.begin);
    }

private:
    const QByteArray &m_data;
    qsizetype m_pos = 0;
};

// "[" first (after blanks) and a "]" later. Both are ASCII, so the raw bytes decide it
// whatever the line's encoding.
bool IsSectionLine(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t'))
        ++i;
    return i < bytes.size() && bytes[i] == '[' && bytes.sliced(i + 1).contains(']');
}

QStringView SectionName(QStringView line)
{
    const qsizetype open = line.indexOf(u'[');
    const qsizetype close = line.lastIndexOf(u']');
    return TrimBlanks(line.sliced(open + 1, close - open - 1));
}

bool IsKeyLine(QByteArrayView bytes)
{
    return bytes.contains('=');
}

QStringView KeyName(QStringView line)
{
    return TrimBlanks(line.left(line.indexOf(u'=')));
}

// Where the value starts: after the "=" and the blanks that follow it.
qsizetype ValueStart(QStringView line)
{
    qsizetype i = line.indexOf(u'=') + 1;
    while (i < line.size() && IsBlank(line[i]))
        ++i;
    return i;
}

QString LimitLength(QStringView s)
{
    qsizetype i = 0;
    qsizetype count = 0;
    while (i < s.size() && count < MaxValueLength) {
        i += (s[i].isHighSurrogate() && i + 1 < s.size() && s[i + 1].isLowSurrogate()) ? 2 : 1;
        ++count;
    }
    return s.left(i).toString();
}

QString StoredText(QStringView raw)
{
    QStringView value = TrimBlanks(raw);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return LimitLength(value);
}

// The file's content with Section/Ident set to Value, or nothing when it already holds it.
std::optional<QByteArray> WithValue(const QByteArray &data, const QString &Section, const QString &Ident,
                                    const QString &Value)
{
    LineReader reader(data);
    Line line;
    bool inSection = false;
    std::optional<Line> anchor; // the section's header, then its last key line
    while (reader.next(line)) {
        const QByteArrayView bytes = reader.bytes(line);
        if (IsSectionLine(bytes)) {
            if (inSection)
                break;
            inSection = SameName(SectionName(DecodeSettingsLine(bytes)), Section);
            if (inSection)
                anchor = line;
            continue;
        }
        if (!inSection || !IsKeyLine(bytes))
            continue;
        anchor = line;
        const QString text = DecodeSettingsLine(bytes);
        if (!SameName(KeyName(text), Ident))
            continue;
        const qsizetype valueStart = ValueStart(text);
        if (TrimBlanks(QStringView(text).sliced(valueStart)) == TrimBlanks(Value))
            return std::nullopt;
        // The key keeps its spelling and its spacing; the line keeps its line end.
        QByteArray result = data.left(line.begin);
        result += QStringView(text).left(valueStart).toUtf8();
        result += Value.toUtf8();
        result += QByteArrayView(data).sliced(line.end);
        return result;
    }

    const QByteArray keyLine = Ident.toUtf8() + '=' + Value.toUtf8() + NewLine;
    if (anchor) {
        QByteArray result = data.left(anchor->next);
        if (anchor->next == anchor->end)
            result += NewLine; // the anchor was the last line and had no line end
        result += keyLine;
        result += QByteArrayView(data).sliced(anchor->next);
        return result;
    }
    QByteArray result = data;
    const qsizetype bom = data.startsWith(Utf8Bom) ? Utf8Bom.size() : 0;
    if (result.size() > bom && !result.endsWith('\n') && !result.endsWith('\r'))
        result += NewLine;
    result += '[' + Section.toUtf8() + ']' + NewLine + keyLine;
    return result;
}

QString Name(const QString &name)
{
    return TrimBlanks(OnOneLine(name)).toString();
}

} // namespace

TIniFile::TIniFile(QString fileName) : m_fileName(std::move(fileName)) {}

QString TIniFile::ReadString(const QString &Section, const QString &Ident, const QString &Default) const
{
    QByteArray data;
    if (ReadWholeFile(m_fileName, data) != FileState::Read)
        return Default;
    const QString section = Name(Section);
    const QString ident = Name(Ident);
    LineReader reader(data);
    Line line;
    bool inSection = false;
    while (reader.next(line)) {
        const QByteArrayView bytes = reader.bytes(line);
        if (IsSectionLine(bytes)) {
            if (inSection)
                break; // only the first section of that name counts
            inSection = SameName(SectionName(DecodeSettingsLine(bytes)), section);
            continue;
        }
        if (!inSection || !IsKeyLine(bytes))
            continue;
        const QString text = DecodeSettingsLine(bytes);
        if (!SameName(KeyName(text), ident))
            continue;
        const QString value = StoredText(QStringView(text).sliced(text.indexOf(u'=') + 1));
        return value.isEmpty() ? Default : value;
    }
    return Default;
}

void TIniFile::WriteString(const QString &Section, const QString &Ident, const QString &Value)
{
    const QString target = WriteTarget(m_fileName);
    QByteArray data;
    const FileState state = ReadWholeFile(target, data);
    // Whatever stands there and is no settings file is never replaced.
    if (state == FileState::Unusable)
        throw EIniFileException(uRes::IniWriteError(m_fileName));
    const std::optional<QByteArray> content = WithValue(data, Name(Section), Name(Ident), OnOneLine(Value));
    // Already stored: nothing to write, so a read-only file is no obstacle.
    if (!content)
        return;
    if ((state == FileState::Read && !MayWrite(target)) || !ReplaceFile(target, *content))
        throw EIniFileException(uRes::IniWriteError(m_fileName));
}

int TIniFile::ReadInteger(const QString &Section, const QString &Ident, int Default) const
{
    return ParseInteger(ReadString(Section, Ident, QString())).value_or(Default);
}

void TIniFile::WriteInteger(const QString &Section, const QString &Ident, int Value)
{
    WriteString(Section, Ident, QString::number(Value));
}

bool TIniFile::ReadBool(const QString &Section, const QString &Ident, bool Default) const
{
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TIniFile::WriteBool(const QString &Section, const QString &Ident, bool Value)
{
    WriteString(Section, Ident, Value ? QStringLiteral("1") : QStringLiteral("0"));
}

QDate TIniFile::ReadDate(const QString &Section, const QString &Ident, const QDate &Default) const
{
    const QString text = ReadString(Section, Ident, QString());
    if (text.isEmpty())
        return Default;
    try {
        return StrToDate(text);
    } catch (const EConvertError &) {
        return Default;
    }
}

QTime TIniFile::ReadTime(const QString &Section, const QString &Ident, const QTime &Default) const
{
    const QString text = ReadString(Section, Ident, QString());
    if (text.isEmpty())
        return Default;
    try {
        return StrToTime(text);
    } catch (const EConvertError &) {
        return Default;
    }
}

void TIniFile::WriteDate(const QString &Section, const QString &Ident, const QDate &Value)
{
    WriteString(Section, Ident, DateToStr(Value));
}

void TIniFile::WriteTime(const QString &Section, const QString &Ident, const QTime &Value)
{
    WriteString(Section, Ident, TimeToStr(Value));
}

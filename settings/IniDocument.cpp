#include "settings/IniDocument.h"

#include "platform/Ascii.h"
#include "platform/Exception.h"
#include "platform/TextLines.h"
#include "res/uRes.h"

#include <QFileInfo>
#include <QStringDecoder>

namespace {

const QByteArray Utf8Bom("\xEF\xBB\xBF");
constexpr QByteArrayView NewLine("\r\n");

bool isBlank(char16_t c)
{
    return c == u' ' || c == u'\t';
}

// Windows-1252 in 0x80..0x9F; the five unassigned bytes map to the control characters of the
// same value, as Windows itself does.
constexpr char16_t Cp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                     0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                     0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                     0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString decodeCp1252(QByteArrayView bytes)
{
    QString result(bytes.size(), Qt::Uninitialized);
    QChar *out = result.data();
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        *out++ = QChar((b >= 0x80 && b < 0xA0) ? Cp1252High[b - 0x80] : char16_t(b));
    }
    return result;
}

// A line is UTF-8 when it is valid UTF-8, otherwise it comes from the Windows version.
QString decodeLine(QByteArrayView bytes)
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
    return decodeCp1252(bytes);
}

// A line break would split the line and lose the rest of the name or value.
QString onOneLine(const QString &text)
{
    return platform::SplitLines(text).join(u' ');
}

// Takes the next line off rest; lines end with CR LF, LF or CR.
QByteArrayView nextLine(QByteArrayView &rest, QByteArrayView &end)
{
    qsizetype i = 0;
    while (i < rest.size() && rest[i] != '\n' && rest[i] != '\r')
        ++i;
    const QByteArrayView line = rest.first(i);
    if (rest.sliced(i).startsWith(NewLine))
        end = NewLine;
    else if (i < rest.size())
        end = rest[i] == '\n' ? QByteArrayView("\n") : QByteArrayView("\r");
    else
        end = QByteArrayView();
    rest = rest.sliced(i + end.size());
    return line;
}

// "[" first (after blanks) and a "]" later. Both are ASCII, so the raw bytes decide it
// whatever the line's encoding.
bool isSectionLine(QByteArrayView bytes)
{
    qsizetype i = 0;
    while (i < bytes.size() && isBlank(static_cast<unsigned char>(bytes[i])))
        ++i;
    return i < bytes.size() && bytes[i] == '[' && bytes.sliced(i + 1).contains(']');
}

QStringView sectionName(QStringView line)
{
    const qsizetype open = line.indexOf(u'[');
    const qsizetype close = line.lastIndexOf(u']');
    return TrimBlanks(line.sliced(open + 1, close - open - 1));
}

// Section and key names match without regard to ASCII letter case only, as the profile
// functions did; other letters must match exactly.
bool sameName(QStringView a, QStringView b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (platform::AsciiLower(a[i]) != platform::AsciiLower(b[i]))
            return false;
    }
    return true;
}

// Where the value starts: after the "=" and the blanks that follow it.
qsizetype valueStart(QStringView line)
{
    qsizetype i = line.indexOf(u'=') + 1;
    while (i < line.size() && isBlank(line[i].unicode()))
        ++i;
    return i;
}

// A file saved as UTF-16 (as some Windows editors do) as UTF-8 with the UTF-8 mark; other
// content as it is. Nothing when what follows the UTF-16 mark is not valid UTF-16: a file
// not understood must not be written over.
std::optional<QByteArray> asUtf8(QByteArray data)
{
    const bool littleEndian = data.startsWith("\xFF\xFE");
    if (!littleEndian && !data.startsWith("\xFE\xFF"))
        return data;
    const QByteArrayView units = QByteArrayView(data).sliced(2);
    if (units.size() % 2 != 0)
        return std::nullopt;
    QStringDecoder utf16(littleEndian ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                         QStringConverter::Flag::Stateless | QStringConverter::Flag::ConvertInitialBom);
    const QString text = utf16.decode(units);
    if (utf16.hasError() || !QStringView(text).isValidUtf16())
        return std::nullopt;
    return Utf8Bom + text.toUtf8();
}

} // namespace

QStringView TrimBlanks(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin].unicode()))
        ++begin;
    while (end > begin && isBlank(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin);
}

platform::FileState TIniDocument::load(const QString &path)
{
    clear();
    QByteArray data;
    const platform::FileState state = platform::ReadWholeFile(path, data);
    if (state != platform::FileState::Read)
        return state;
    std::optional<QByteArray> utf8 = asUtf8(std::move(data));
    if (!utf8)
        return platform::FileState::Unusable;
    setContent(std::move(*utf8));
    return state;
}

void TIniDocument::setContent(QByteArray data)
{
    clear();
    m_data = std::move(data);
    QByteArrayView rest(m_data);
    m_byteOrderMark = rest.startsWith(Utf8Bom);
    if (m_byteOrderMark)
        rest = rest.sliced(Utf8Bom.size());
    bool inSection = false;
    while (!rest.isEmpty()) {
        QByteArrayView end;
        const QByteArrayView line = nextLine(rest, end);
        if (m_layout == Layout::Sections) {
            inSection = inSection || isSectionLine(line);
            if (line.isEmpty() || line.front() == ';' || !inSection)
                continue;
        }
        m_lines.append({QByteArray::fromRawData(line.data(), line.size()), end});
    }
}

void TIniDocument::save(const QString &path) const
{
    // rename() would replace a file without write permission as well.
    if ((QFileInfo::exists(path) && !platform::MayWrite(path)) || !platform::ReplaceFile(path, bytes()))
        throw EIniFileException(uRes::IniWriteError(path));
}

void TIniDocument::clear()
{
    m_lines.clear();
    m_data.clear();
    m_byteOrderMark = false;
    m_modified = false;
}

QByteArray TIniDocument::bytes() const
{
    QByteArray result;
    if (m_layout == Layout::Verbatim) {
        if (m_byteOrderMark)
            result += Utf8Bom;
        for (const Line &line : m_lines)
            result.append(line.text).append(line.end);
        return result;
    }
    // Only sections are left, so the first line is a header.
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray &text = m_lines[i].text;
        if (!isSectionLine(text)) {
            result.append(text).append(NewLine);
            continue;
        }
        if (i > 0)
            result.append(NewLine);
        result.append('[' + sectionName(decodeLine(text)).toUtf8() + ']').append(NewLine);
    }
    if (!m_lines.isEmpty())
        result.append(NewLine);
    return result;
}

TIniDocument::Place TIniDocument::find(QStringView section, QStringView key) const
{
    Place place;
    for (qsizetype i = 0; i < m_lines.size(); ++i) {
        const QByteArray &bytes = m_lines[i].text;
        if (isSectionLine(bytes)) {
            if (place.section >= 0)
                break; // only the first section of that name counts
            if (sameName(sectionName(decodeLine(bytes)), section))
                place.section = place.last = i;
            continue;
        }
        if (place.section < 0 || !bytes.contains('='))
            continue;
        place.last = i;
        QString text = decodeLine(bytes);
        if (sameName(keyName(text), key)) {
            place.key = i;
            place.keyLine = std::move(text);
            break;
        }
    }
    return place;
}

QString TIniDocument::name(const QString &name) const
{
    const QString text = onOneLine(name);
    return m_names == Names::Trimmed ? TrimBlanks(text).toString() : text;
}

QStringView TIniDocument::keyName(QStringView line) const
{
    const QStringView key = line.left(line.indexOf(u'='));
    return m_names == Names::Trimmed ? TrimBlanks(key) : key;
}

std::optional<QString> TIniDocument::value(const QString &section, const QString &key) const
{
    const Place place = find(name(section), name(key));
    if (place.key < 0)
        return std::nullopt;
    return place.keyLine.sliced(place.keyLine.indexOf(u'=') + 1);
}

void TIniDocument::setValue(const QString &section, const QString &key, const QString &value)
{
    const QString sectionText = name(section);
    const QString keyText = name(key);
    const QString valueText = onOneLine(value);
    const Place place = find(sectionText, keyText);
    if (place.key >= 0) {
        QByteArray &text = m_lines[place.key].text;
        if (m_layout == Layout::Sections) {
            text = (keyText + u'=' + valueText).toUtf8();
        } else {
            const QStringView line(place.keyLine);
            const qsizetype start = valueStart(line);
            // Already stored: nothing changes, so a read-only file is no obstacle.
            if (TrimBlanks(line.sliced(start)) == TrimBlanks(valueText))
                return;
            text = (line.left(start).toString() + valueText).toUtf8();
        }
        m_modified = true;
        return;
    }
    const Line keyLine{(keyText + u'=' + valueText).toUtf8(), NewLine};
    if (place.section >= 0) {
        insert(place.last + 1, keyLine);
    } else {
        insert(m_lines.size(), {(u'[' + sectionText + u']').toUtf8(), NewLine});
        insert(m_lines.size(), keyLine);
    }
    m_modified = true;
}

// A new line goes in whole: the line before it gets a line end if it had none.
void TIniDocument::insert(qsizetype at, const Line &line)
{
    if (at > 0 && m_lines[at - 1].end.isEmpty())
        m_lines[at - 1].end = NewLine;
    m_lines.insert(at, line);
}

std::optional<int> ParseInteger(QStringView text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i].unicode()))
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

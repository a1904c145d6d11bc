#include "settings/IniFile.h"

#include "platform/Exception.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"

#include <utility>

namespace {

QString storedText(QStringView raw)
{
    QStringView value = TrimBlanks(raw);
    if (value.size() >= 2 && (value.front() == u'"' || value.front() == u'\'') &&
        value.back() == value.front())
        value = value.sliced(1, value.size() - 2);
    return TIniFile::limitLength(value);
}

// The fallback for an empty text or one that is no such value; only conversion errors stop here.
template <typename T> T converted(const QString &text, const T &fallback, T (*convert)(const QString &))
{
    if (text.isEmpty())
        return fallback;
    try {
        return convert(text);
    } catch (const EConvertError &) {
        return fallback;
    }
}

TIniDocument keyByKey()
{
    return TIniDocument(TIniDocument::Names::Trimmed, TIniDocument::Layout::Verbatim);
}

} // namespace

QString TIniFile::limitLength(QStringView text)
{
    qsizetype i = 0;
    qsizetype count = 0;
    while (i < text.size() && count < MaxValueLength) {
        i += (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ? 2 : 1;
        ++count;
    }
    return text.left(i).toString();
}

TIniFile::TIniFile(QString fileName) : m_fileName(std::move(fileName)) {}

QString TIniFile::ReadString(const QString &Section, const QString &Ident, const QString &Default) const
{
    const QString text = storedText(value(Section, Ident).value_or(QString()));
    return text.isEmpty() ? Default : text;
}

void TIniFile::WriteString(const QString &Section, const QString &Ident, const QString &Value)
{
    if (m_update) {
        m_update->setValue(Section, Ident, Value);
        return;
    }
    TIniDocument document = loadForWriting();
    document.setValue(Section, Ident, Value);
    if (document.modified())
        document.save(m_fileName);
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
    return converted(ReadString(Section, Ident, QString()), Default, StrToDate);
}

QTime TIniFile::ReadTime(const QString &Section, const QString &Ident, const QTime &Default) const
{
    return converted(ReadString(Section, Ident, QString()), Default, StrToTime);
}

void TIniFile::WriteDate(const QString &Section, const QString &Ident, const QDate &Value)
{
    WriteString(Section, Ident, DateToStr(Value));
}

void TIniFile::WriteTime(const QString &Section, const QString &Ident, const QTime &Value)
{
    WriteString(Section, Ident, TimeToStr(Value));
}

void TIniFile::BeginUpdate()
{
    if (!m_update)
        m_update = loadForWriting();
}

void TIniFile::BeginUpdate(const QByteArray &content)
{
    m_update = keyByKey();
    m_update->setContent(content);
    m_updateReplaces = true;
}

void TIniFile::UpdateFile()
{
    if (!m_update)
        return;
    const TIniDocument document = std::move(*m_update);
    const bool replaces = std::exchange(m_updateReplaces, false);
    m_update.reset();
    if (!document.modified() && !replaces)
        return;
    try {
        document.save(m_fileName);
    } catch (const EIniFileException &) {
        if (document.modified())
            throw;
    }
}

bool TIniFile::isUnreadable() const
{
    TIniDocument document = keyByKey();
    return document.load(m_fileName) == platform::FileState::Unusable;
}

std::optional<QString> TIniFile::value(const QString &section, const QString &ident) const
{
    if (m_update)
        return m_update->value(section, ident);
    TIniDocument document = keyByKey();
    document.load(m_fileName);
    return document.value(section, ident);
}

TIniDocument TIniFile::loadForWriting() const
{
    TIniDocument document = keyByKey();
    // Whatever stands there and is no settings file is never replaced.
    if (document.load(m_fileName) == platform::FileState::Unusable)
        throw EIniFileException(uRes::IniWriteError(m_fileName));
    return document;
}

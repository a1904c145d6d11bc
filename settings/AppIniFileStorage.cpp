#include "settings/AppIniFileStorage.h"

#include "platform/Exception.h"
#include "res/uRes.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString withDefaultExtension(const QString &name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    if (name.isEmpty() || (dot >= 0 && dot > name.lastIndexOf(u'/') && dot > name.lastIndexOf(u'\\')))
        return name;
    return name + QStringLiteral(".ini");
}

QString fileNamePart(const QString &name)
{
    return name.mid(qMax(name.lastIndexOf(u'/'), name.lastIndexOf(u'\\')) + 1);
}

} // namespace

TAppIniFileStorage::~TAppIniFileStorage()
{
    writeBack();
}

void TAppIniFileStorage::SetFileName(const QString &fileName)
{
    if (fileName == m_fileName)
        return;
    writeBack();
    m_fileName = fileName;
    const QString name = withDefaultExtension(m_fileName);
    if (name.isEmpty())
        m_fullFileName.clear();
    else if (m_location == flExeFile)
        m_fullFileName = QCoreApplication::applicationDirPath() + QLatin1Char('/') + fileNamePart(name);
    else
        m_fullFileName = name;
    reload();
}

void TAppIniFileStorage::detachWith(const std::function<void(TIniFile &)> &then)
{
    TIniFile ini(m_fullFileName);
    const bool writesBack = prepareWriteBack();
    if (writesBack)
        ini.BeginUpdate(m_document.bytes());
    m_fileName.clear();
    m_fullFileName.clear();
    reload();
    if (!writesBack)
        ini.BeginUpdate();
    then(ini);
    ini.UpdateFile();
}

bool TAppIniFileStorage::prepareWriteBack() const
{
    if (m_fullFileName.isEmpty() || m_readOnly)
        return false;
    QDir().mkpath(QFileInfo(m_fullFileName).absolutePath());
    return true;
}

void TAppIniFileStorage::writeBack() const
{
    if (!prepareWriteBack())
        return;
    try {
        m_document.save(m_fullFileName);
    } catch (const EIniFileException &) {
        // The file keeps what it held; the placement is simply not remembered this time.
    }
}

void TAppIniFileStorage::reload()
{
    m_document.clear();
    m_readOnly = false;
    if (m_fullFileName.isEmpty())
        return;
    // What cannot be read whole is never written back either: that would lose it.
    const platform::FileState state = m_document.load(m_fullFileName);
    m_readOnly = state == platform::FileState::Unusable ||
                 (state == platform::FileState::Read && !platform::MayWrite(m_fullFileName));
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

std::optional<QString> TAppIniFileStorage::value(const QString &path) const
{
    QString section;
    QString key;
    SplitPath(path, section, key);
    return m_document.value(section, key);
}

bool TAppIniFileStorage::ValueStored(const QString &path) const
{
    return value(path).has_value();
}

QString TAppIniFileStorage::ReadString(const QString &path, const QString &Default) const
{
    return value(path).value_or(Default);
}

int TAppIniFileStorage::ReadInteger(const QString &path, int Default) const
{
    const std::optional<QString> text = value(path);
    if (!text)
        return Default;
    if (text->isEmpty())
        return 0;
    if (const std::optional<int> number = ParseInteger(*text))
        return *number;
    throw EConvertError(uRes::InvalidInteger(*text));
}

void TAppIniFileStorage::WriteString(const QString &path, const QString &value)
{
    if (m_readOnly)
        return;
    QString section;
    QString key;
    SplitPath(path, section, key);
    m_document.setValue(section, key, value);
}

void TAppIniFileStorage::WriteInteger(const QString &path, int value)
{
    WriteString(path, QString::number(value));
}

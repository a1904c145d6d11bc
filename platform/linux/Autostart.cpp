#include "platform/linux/Autostart.h"

#include "platform/Exception.h"
#include "platform/FileReplace.h"
#include "platform/linux/ConfigFolders.h"
#include "res/uRes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <algorithm>

#include <cerrno>
#include <unistd.h>

namespace platform {
namespace {

const QString EntryName = QStringLiteral(TEMPOVIR_APP_ID ".desktop");
const QString AutostartFolder = QStringLiteral("/autostart/");

// The escapes of a desktop entry's string values: the letter after the backslash, and the
// character it stands for. A space is written as it is: only a leading one would be lost, and
// the value starts with the program.
struct TEscape
{
    char16_t letter;
    char16_t character;
};
constexpr TEscape Escapes[] = {{u'\\', u'\\'}, {u'n', u'\n'}, {u't', u'\t'}, {u'r', u'\r'}, {u's', u' '}};

QString EscapeValue(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        const auto e = std::find_if(std::begin(Escapes), std::end(Escapes),
                                    [c](const TEscape &x) { return x.character == c && x.letter != u's'; });
        if (e == std::end(Escapes)) {
            escaped += c;
        } else {
            escaped += u'\\';
            escaped += QChar(e->letter);
        }
    }
    return escaped;
}

QString UnescapeValue(const QString &value)
{
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar next = i + 1 < value.size() ? value[i + 1] : QChar();
        const auto e = std::find_if(std::begin(Escapes), std::end(Escapes),
                                    [next](const TEscape &x) { return x.letter == next; });
        if (value[i] == u'\\' && e != std::end(Escapes)) {
            plain += QChar(e->character);
            ++i;
        } else {
            plain += value[i];
        }
    }
    return plain;
}

// The keys of the [Desktop Entry] group, values as written (escapes not undone).
QHash<QString, QString> EntryKeys(const QByteArray &data)
{
    QHash<QString, QString> keys;
    bool inGroup = false;
    for (const QByteArray &raw : data.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!inGroup || line.startsWith(u'#') || eq < 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(eq + 1).trimmed());
    }
    return keys;
}

} // namespace

TAutostartEntry::TAutostartEntry(const QString &programPath)
    : TAutostartEntry(programPath, UserConfigHome(), SystemConfigFolders())
{
}

TAutostartEntry::TAutostartEntry(const QString &programPath, const QString &configHome,
                                 const QStringList &systemFolders)
    : m_programPath(QFileInfo(programPath).canonicalFilePath()),
      m_path(configHome + AutostartFolder + EntryName)
{
    // An installed program is started by its name, so that the entry still holds once the
    // package has moved it; a copy in a folder of its own by its full path.
    const QString name = QFileInfo(programPath).fileName();
    m_program = startsThisProgram(name) ? name : QFileInfo(programPath).absoluteFilePath();
    for (const QString &folder : systemFolders)
        m_systemPaths << folder + AutostartFolder + EntryName;
}

QString TAutostartEntry::command() const
{
    return QuoteExecArgument(m_program) + u' ' + QString::fromLatin1(AutostartOption);
}

bool TAutostartEntry::startsThisProgram(const QString &command) const
{
    const QString found = command.contains(u'/') ? command : QStandardPaths::findExecutable(command);
    return !m_programPath.isEmpty() && !found.isEmpty() &&
           QFileInfo(found).canonicalFilePath() == m_programPath;
}

QByteArray TAutostartEntry::text(bool hidden) const
{
    QString text = QStringLiteral("[Desktop Entry]\n"
                                  "Type=Application\n"
                                  "Name=Tempovir\n"
                                  "Comment=Horloge avec alarmes\n"
                                  "Icon=" TEMPOVIR_APP_ID "\n"
                                  "Terminal=false\n");
    text += QStringLiteral("Exec=") + EscapeValue(command()) + u'\n';
    if (hidden)
        text += QStringLiteral("Hidden=true\n");
    return text.toUtf8();
}

bool TAutostartEntry::isEnabled() const
{
    for (const QString &path : QStringList{m_path} + m_systemPaths) {
        QByteArray data;
        switch (ReadWholeFile(path, data)) {
        case FileState::Missing:
            continue; // the next folder's entry counts
        case FileState::Unusable:
            return false;
        case FileState::Read:
            break;
        }
        const QHash<QString, QString> keys = EntryKeys(data);
        if (keys.value(QStringLiteral("Hidden")) == QLatin1String("true") ||
            keys.value(QStringLiteral("X-GNOME-Autostart-enabled")) == QLatin1String("false"))
            return false;
        return startsThisProgram(SplitExecLine(UnescapeValue(keys.value(QStringLiteral("Exec")))).value(0));
    }
    return false;
}

void TAutostartEntry::setEnabled(bool on) const
{
    const QByteArray path = QFile::encodeName(m_path);
    const bool systemEntry = std::any_of(m_systemPaths.begin(), m_systemPaths.end(),
                                         [](const QString &p) { return QFileInfo::exists(p); });
    if (!on && !systemEntry) {
        if (::unlink(path.constData()) != 0 && errno != ENOENT)
            throw Exception(uRes::FileRemoveError(m_path));
        return;
    }
    // A link put there by hand is replaced, not the file it leads to.
    if (QFileInfo(m_path).isSymLink() && ::unlink(path.constData()) != 0)
        throw Exception(uRes::IniWriteError(m_path));
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()) || !ReplaceFile(m_path, text(!on)))
        throw Exception(uRes::IniWriteError(m_path));
}

QString QuoteExecArgument(const QString &argument)
{
    static const QString Reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    QString doubled = argument;
    doubled.replace(u'%', QStringLiteral("%%"));
    const bool plain = !argument.isEmpty() && std::none_of(argument.begin(), argument.end(),
                                                           [](QChar c) { return Reserved.contains(c); });
    if (plain)
        return doubled;
    QString quoted = QStringLiteral("\"");
    for (const QChar c : doubled) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        quoted += c;
    }
    return quoted + u'"';
}

QStringList SplitExecLine(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        const QChar next = i + 1 < exec.size() ? exec[i + 1] : QChar();
        if (c == u'%' && !next.isNull()) {
            // "%%" is a percent sign; a field code stands for nothing here.
            if (next == u'%') {
                current += next;
                inArgument = true;
            }
            ++i;
        } else if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\' && QStringView(u"\"`$\\").contains(next)) {
                current += next;
                ++i;
            } else {
                current += c;
            }
        } else if (c == u'"') {
            quoted = true;
            inArgument = true;
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return {};
    if (inArgument)
        arguments << current;
    return arguments;
}

} // namespace platform

#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// The option the autostart entry's command line carries: the session started the program.
inline constexpr char AutostartOption[] = "--autostart";

// The program's freedesktop autostart entry: a desktop entry named after the application id in
// the user's autostart folder, which the session runs at log-in. The user's entry hides one of
// the same name in the system's autostart folders. The state lives on disk only: every answer
// reads it anew, so an entry removed or edited by hand shows at once.
class TAutostartEntry
{
public:
    // For the program at programPath, in the folders the environment names.
    explicit TAutostartEntry(const QString &programPath);
    // The same in the folders given: the user's configuration home and the system's
    // configuration folders, most important first.
    TAutostartEntry(const QString &programPath, const QString &configHome, const QStringList &systemFolders);

    // CONFIG_HOME/autostart/<application id>.desktop
    QString path() const { return m_path; }
    // The entry's Exec value: the program as the session finds it (its bare name when it is the
    // one on the search path, else its absolute path), quoted where it must be, and the
    // autostart option.
    QString command() const;

    // Whether the session starts this very program: the entry that counts (the user's, else the
    // first system one) exists, is not hidden and its Exec names this program.
    bool isEnabled() const;
    // Writes the entry, or takes it away: removed, or hidden by the user's own entry when a
    // system one exists. The file is replaced whole or left as it was; a failure throws an
    // Exception that names the file.
    void setEnabled(bool on) const;

private:
    // The entry's text; a hidden one only hides the system's.
    QByteArray text(bool hidden) const;
    // Whether the command of an Exec value is this program.
    bool startsThisProgram(const QString &command) const;

    QString m_programPath; // canonical, to compare with what an entry names
    QString m_program;     // as the entry names it
    QString m_path;
    QStringList m_systemPaths;
};

// One argument as an Exec value holds it: "%" doubled, and within double quotes (with '"', '`',
// '$' and '\' escaped) when it holds a reserved character or is empty.
QString QuoteExecArgument(const QString &argument);

// The arguments of an Exec value whose string escapes are undone: quoting and "%%" undone,
// field codes (%f, %u, ...) dropped. Empty for an unterminated quote.
QStringList SplitExecLine(const QString &exec);

} // namespace platform

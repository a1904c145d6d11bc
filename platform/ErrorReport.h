#pragma once

#include <QString>

namespace platform {

// Shows an error that left an event handler: the standard error box titled with the
// program's title. The program goes on afterwards.
void ShowException(const QString &message);

// Who shows the reports: the application installs the message box, tests install a
// recorder. Without one, reports go to standard error.
class ErrorReporter
{
public:
    virtual ~ErrorReporter() = default;
    virtual void report(const QString &message) = 0;
};

// Installs a reporter; nullptr sends reports to standard error. Returns the one installed
// before, or nullptr.
ErrorReporter *SetErrorReporter(ErrorReporter *reporter);

// The program's title: the executable's file name up to its first dot, the first character
// in upper case and every other in lower case (HORLOGE.EXE and tempovir show as Horloge and
// Tempovir).
QString TitleFromExecutable(const QString &executablePath);
void SetApplicationTitle(const QString &title);
QString ApplicationTitle();

// The message of the exception being handled (call inside a catch block).
QString CurrentExceptionMessage();

// Reports what escapes from one of the program's handlers, so that no exception ever
// unwinds through Qt's own frames.
void ReportCurrentException();

template <class F> void Guarded(F &&handler)
{
    try {
        handler();
    } catch (...) {
        ReportCurrentException();
    }
}

} // namespace platform

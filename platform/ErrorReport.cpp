#include "platform/ErrorReport.h"

#include "platform/Exception.h"
#include "platform/Seam.h"

#include <QFileInfo>
#include <cstdio>
#include <exception>

namespace platform {
namespace {
// Without a reporter installed, reports go to standard error.
class StandardErrorReporter final : public ErrorReporter
{
public:
    void report(const QString &message) override { std::fprintf(stderr, "%s\n", qPrintable(message)); }
};

StandardErrorReporter standardErrorReporter;
Seam<ErrorReporter> seam(standardErrorReporter);
QString title;
} // namespace

ErrorReporter *SetErrorReporter(ErrorReporter *reporter)
{
    return seam.install(reporter);
}

void ShowException(const QString &message)
{
    // The standard box ends a sentence with a period when the message has none.
    QString text = message;
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        text += QLatin1Char('.');
    seam.get().report(text);
}

QString CurrentExceptionMessage()
{
    try {
        throw;
    } catch (const Exception &e) {
        return e.message();
    } catch (const std::exception &e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Erreur inconnue");
    }
}

void ReportCurrentException()
{
    ShowException(CurrentExceptionMessage());
}

QString TitleFromExecutable(const QString &executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    // A Windows path seen from here still has backslashes in it.
    name = name.mid(name.lastIndexOf(QLatin1Char('\\')) + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    // A title starts with a capital, also for an executable named in lower case as Linux
    // programs are: "tempovir" shows as Tempovir, as HORLOGE.EXE shows as Horloge.
    return name.left(1).toUpper() + name.mid(1).toLower();
}

void SetApplicationTitle(const QString &newTitle)
{
    title = newTitle;
}
QString ApplicationTitle()
{
    return title;
}

} // namespace platform

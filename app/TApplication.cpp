#include "app/TApplication.h"

#include "platform/ErrorReport.h"
#include "platform/linux/SessionEnd.h"

#include <QMessageBox>

namespace {

// The standard error box, titled with the program's title.
class MessageBoxReporter final : public platform::ErrorReporter
{
public:
    void report(const QString &message) override
    {
        // Modal for its window only, so that a power-off countdown stays cancellable.
        QMessageBox box(QMessageBox::Critical, platform::ApplicationTitle(), message, QMessageBox::Ok,
                        QApplication::activeWindow());
        if (box.parentWidget())
            box.setWindowModality(Qt::WindowModal);
        box.exec();
    }
};

MessageBoxReporter messageBoxReporter;

} // namespace

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    platform::SetApplicationTitle(platform::TitleFromExecutable(applicationFilePath()));
    platform::SetErrorReporter(&messageBoxReporter);
}

bool TApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        platform::ReportCurrentException();
        return false;
    }
}

bool TApplication::event(QEvent *event)
{
    // Qt would close every window first, running the main window's close sequence.
    if (event->type() == QEvent::Quit) {
        platform::EndSession();
        return true;
    }
    return QApplication::event(event);
}

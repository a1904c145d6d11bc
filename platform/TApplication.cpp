#include "platform/TApplication.h"

#include "platform/ErrorReport.h"

#include <QMessageBox>

TApplication::TApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    platform::SetApplicationTitle(platform::TitleFromExecutable(applicationFilePath()));
    platform::SetErrorReporter([](const QString &message) {
        QMessageBox::critical(activeWindow(), platform::ApplicationTitle(), message);
    });
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

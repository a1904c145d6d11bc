#include "ui/frmMain.h"

#include "alarms/uAlarms.h"
#include "app/Globals.h"
#include "platform/ErrorReport.h"
#include "settings/uUserPrefs.h"

#include <QCloseEvent>
#include <QCoreApplication>

TfmMain::TfmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("TPV - Tempovir"));
    resize(370, 197);
    FormCreate();
}

void TfmMain::FormCreate() {}

void TfmMain::InitApplication()
{
    IniFileName = ChangeFileExt(QCoreApplication::applicationFilePath(), QStringLiteral(".ini"));
    InitAlarmGrid();
    LoadUserPrefs(IniFileName);
}

void TfmMain::FormClose()
{
    SaveAlarmsIfModified();
    Closing = true;
    try {
        SaveUserPrefs(IniFileName);
    } catch (...) {
        // The window stays open, so alarm checks must go on.
        Closing = false;
        throw;
    }
}

void TfmMain::closeEvent(QCloseEvent *event)
{
    try {
        FormClose();
    } catch (...) {
        event->ignore();
        platform::ReportCurrentException();
        return;
    }
    event->accept();
    // Closing the main window ends the program, whatever else is still shown.
    QCoreApplication::exit(0);
}

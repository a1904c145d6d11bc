#include "ui/frmMain.h"

#include "alarms/uAlarms.h"
#include "app/Globals.h"
#include "platform/ErrorReport.h"
#include "settings/uUserPrefs.h"
#include "ui/Clock.h"

#include <QCloseEvent>
#include <QCoreApplication>

TfmMain::TfmMain(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fmMain"));
    setWindowTitle(QStringLiteral("TPV - Tempovir"));
    resize(370, 197);

    Clock1 = new TClock(this);
    Clock1->setObjectName(QStringLiteral("Clock1"));
    QPalette palette = Clock1->palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, QColor(0, 255, 255));
    Clock1->setPalette(palette);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(64);
    Clock1->setFont(font);
    Clock1->OnGetTime = [this](QObject *Sender, QTime &ATime) { Clock1GetTime(Sender, ATime); };
    setCentralWidget(Clock1);
    FormCreate();
}

void TfmMain::FormCreate() {}

void TfmMain::Clock1GetTime(QObject *, QTime &)
{
    if (!StartingUp && !Closing)
        CheckAlarms();
}

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

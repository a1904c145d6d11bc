#include "ui/frmAlarmsEdit.h"

#include "alarms/AlarmTable.h"

TfmAlarmsEdit::TfmAlarmsEdit(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fmAlarmsEdit"));
    setWindowTitle(QStringLiteral("Liste des alarmes"));
    resize(615, 322);
    AlarmTable = new TAlarmTable(this);
}

#include "ui/frmAlarmsEdit.h"

#include "alarms/AlarmTable.h"
#include "platform/WindowPlacement.h"

TfmAlarmsEdit::TfmAlarmsEdit(QWidget *parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("fmAlarmsEdit"));
    setWindowTitle(QStringLiteral("Liste des alarmes"));
    platform::SetDesignedOuterSize(this, QSize(615, 322));
    AlarmTable = new TAlarmTable(this);
}

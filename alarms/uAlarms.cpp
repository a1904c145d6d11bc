#include "alarms/uAlarms.h"

#include "app/Globals.h"
#include "ui/Action.h"
#include "ui/frmMain.h"

#include <QLabel>

void InitAlarmGrid() {}

void SaveAlarmsIfModified() {}

void CheckAlarms() {}

void UpdateAlarmsIndicator()
{
    const bool on = fmMain->ActAlarmsActivate->Checked();
    fmMain->ActAlarmsActivate->SetChecked(on); // the menu item mnuAlarmsActivate shows it
    fmMain->lblAlarms->setVisible(on);
}

void ActAlarmsActivateExecute(QObject *Sender)
{
    if (Sender)
        fmMain->ActAlarmsActivate->SetChecked(!fmMain->ActAlarmsActivate->Checked());
    UpdateAlarmsIndicator();
}

void ActAlarmsSoundExecute(QObject *Sender)
{
    if (Sender)
        fmMain->ActAlarmsSound->SetChecked(!fmMain->ActAlarmsSound->Checked());
}

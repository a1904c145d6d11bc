#pragma once

#include <QObject>

// Numbers the eight alarm rows and loads them from IniFileName.
void InitAlarmGrid();
// Writes the alarm sections when the user changed the table.
void SaveAlarmsIfModified();
// One pass over the alarm table: disarms and fires every alarm that has come due.
void CheckAlarms();

// Brings the menu check, the "Alarmes activées" label and the table's colours in line
// with the global activation.
void UpdateAlarmsIndicator();
// With a sender (the user) the activation is inverted; in every case the indicator follows.
void ActAlarmsActivateExecute(QObject *Sender);
// With a sender the sound switch is inverted; without one nothing happens.
void ActAlarmsSoundExecute(QObject *Sender);

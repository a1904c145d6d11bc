#pragma once

#include <QObject>
#include <QString>

// Numbers the eight alarm rows and loads them from IniFileName.
void InitAlarmGrid();
// Writes the alarm sections when the user changed the table.
void SaveAlarmsIfModified();
// One pass over the alarm table: disarms and fires every alarm that has come due.
void CheckAlarms();
// Announces alarm row (1 to 8) in the popup, then plays the melody or runs the power-off.
void FireAlarm(int row, const QString &message);
// The popup's text for an alarm: product name, alarm number, a rule, then the message.
QString AlertText(int row, const QString &message);

// Brings the menu check, the "Alarmes activées" label and the table's colours in line
// with the global activation.
void UpdateAlarmsIndicator();
// With a sender (the user) the activation is inverted; in every case the indicator follows.
void ActAlarmsActivateExecute(QObject *Sender);
// With a sender the sound switch is inverted; without one nothing happens.
void ActAlarmsSoundExecute(QObject *Sender);

// The alarm melodies: three short notes 50 ms apart. Errors are discarded.
void BeepRising();
void BeepFalling();

#pragma once

#include <QObject>
#include <QString>

class TAlarmHost;
class TAlarmTable;

// Numbers the eight alarm rows and loads them from the settings file; an enabled alarm
// still ahead switches the global activation on.
void InitAlarmGrid(TAlarmTable &Table, TAlarmHost &Host, const QString &iniFileName);
// Writes the alarm sections when the user changed the table, in one replacement of the file;
// throws when it cannot, the file then as it was.
void SaveAlarmsIfModified(TAlarmTable &Table, const QString &iniFileName);
// One pass over the alarm table: disarms and fires every alarm that has come due.
void CheckAlarms(TAlarmTable &Table, TAlarmHost &Host);
// Announces alarm row (1 to 8) in the popup, then plays the melody or runs the power-off.
void FireAlarm(TAlarmTable &Table, TAlarmHost &Host, int row, const QString &message);
// The popup's text for an alarm: product name, alarm number, a rule, then the message.
QString AlertText(int row, const QString &message);

// Brings the menu check, the "Alarmes activées" label and the table's colours in line
// with the global activation.
void UpdateAlarmsIndicator(TAlarmTable &Table, TAlarmHost &Host);
// With a sender (the user) the activation is inverted; in every case the indicator follows.
void ActAlarmsActivateExecute(QObject *Sender, TAlarmTable &Table, TAlarmHost &Host);
// With a sender the sound switch is inverted; without one nothing happens.
void ActAlarmsSoundExecute(QObject *Sender, TAlarmHost &Host);

// The alarm melodies: three short notes 50 ms apart. Errors are discarded.
void BeepRising();
void BeepFalling();

#pragma once

// Numbers the eight alarm rows and loads them from IniFileName.
void InitAlarmGrid();
// Writes the alarm sections when the user changed the table.
void SaveAlarmsIfModified();
// One pass over the alarm table: disarms and fires every alarm that has come due.
void CheckAlarms();

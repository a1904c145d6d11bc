#pragma once

// Numbers the eight alarm rows and loads them from IniFileName.
void InitAlarmGrid();
// Writes the alarm sections when the user changed the table.
void SaveAlarmsIfModified();

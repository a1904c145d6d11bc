#include "alarms/uAlarms.h"

void InitAlarmGrid() {}

void SaveAlarmsIfModified() {}

void CheckAlarms() {}

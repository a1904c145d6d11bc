#pragma once

#include <QString>

class TfmMain;
class TfmAlarmsEdit;
class TfmShutdown;

// Set from just before the first window is created until start-up has finished.
extern bool StartingUp;
// Set by the close sequence once the alarms are saved; alarm checks stop from then on.
extern bool Closing;
// The settings file: the executable's path with its extension changed to ".ini".
extern QString IniFileName;

extern TfmMain *fmMain;
extern TfmAlarmsEdit *fmAlarmsEdit;
extern TfmShutdown *fmShutdown;

// The change-extension rule: what follows the last ".", if no "/", "\" or ":" comes after
// it, is replaced by ext; otherwise ext is appended.
QString ChangeFileExt(const QString &path, const QString &ext);

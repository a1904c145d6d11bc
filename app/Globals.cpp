#include "app/Globals.h"

bool StartingUp = false;
bool Closing = false;
QString IniFileName;

TfmMain *fmMain = nullptr;
TfmAlarmsEdit *fmAlarmsEdit = nullptr;
TfmShutdown *fmShutdown = nullptr;

QString ChangeFileExt(const QString &path, const QString &ext)
{
    qsizetype i = path.size() - 1;
    while (i >= 0 && !QStringLiteral(".\\/:").contains(path[i]))
        --i;
    if (i >= 0 && path[i] == QLatin1Char('.'))
        return path.left(i) + ext;
    return path + ext;
}

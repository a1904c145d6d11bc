#pragma once

#include <QString>

// Waits ms milliseconds while dispatching window messages, so the windows stay responsive.
// Messages are always processed at least once; the wait is measured on the wrapping tick
// counter and is never shortened by what the handlers do.
void Delay(quint32 ms);

// a when flag is set, else b.
QString IfThenStr(bool flag, const QString &a, const QString &b);
int IfThenInt(bool flag, int a, int b);

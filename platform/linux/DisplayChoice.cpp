#include "platform/linux/DisplayChoice.h"

#include <QDeadlineTimer>
#include <QStringList>
#include <QThread>
#include <cstdio>
#include <xcb/xcb.h>

TDisplayChoice ChooseDisplay(const QString &qpaPlatform, bool xDisplayReachable)
{
    bool needsX = qpaPlatform.trimmed().isEmpty();
    // The variable may list several platforms to try in turn.
    for (const QString &entry : qpaPlatform.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QString name = entry.section(QLatin1Char(':'), 0, 0).trimmed();
        if (name.startsWith(QLatin1String("wayland")) || name == QLatin1String("xcb"))
            needsX = true;
    }
    if (!needsX)
        return TDisplayChoice::AsAsked;
    return xDisplayReachable ? TDisplayChoice::Xcb : TDisplayChoice::None;
}

bool XDisplayReachable()
{
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return false;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return ok;
}

bool PrepareDisplay(int waitMs)
{
    const QString asked = qEnvironmentVariable("QT_QPA_PLATFORM");
    const QDeadlineTimer deadline(waitMs);
    TDisplayChoice choice = ChooseDisplay(asked, XDisplayReachable());
    while (choice == TDisplayChoice::None && !qEnvironmentVariableIsEmpty("DISPLAY") &&
           !deadline.hasExpired()) {
        QThread::msleep(250);
        choice = ChooseDisplay(asked, XDisplayReachable());
    }
    switch (choice) {
    case TDisplayChoice::AsAsked:
        return true;
    case TDisplayChoice::Xcb:
        qputenv("QT_QPA_PLATFORM", "xcb");
        return true;
    case TDisplayChoice::None:
        break;
    }
    std::fputs("Tempovir : aucun affichage X11 accessible (variable DISPLAY), impossible de démarrer.\n",
               stderr);
    return false;
}

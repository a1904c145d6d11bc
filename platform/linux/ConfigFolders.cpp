#include "platform/linux/ConfigFolders.h"

#include <QDir>

namespace platform {

QString UserConfigHome()
{
    const QString xdg = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg))
        return xdg;
    return QDir::homePath() + QStringLiteral("/.config");
}

QStringList SystemConfigFolders()
{
    QStringList folders;
    for (const QString &folder :
         qEnvironmentVariable("XDG_CONFIG_DIRS").split(QLatin1Char(':'), Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(folder))
            folders << folder;
    if (folders.isEmpty())
        folders << QStringLiteral("/etc/xdg");
    return folders;
}

} // namespace platform

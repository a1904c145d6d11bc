#include "app/SettingsLocation.h"

#include "platform/linux/ConfigFolders.h"

#include <QDir>
#include <QFileInfo>
#include <unistd.h>

namespace {

// Whether this user may create a file in the folder (the real user, not the effective one
// of a privileged helper).
bool UserCanWrite(const QString &folder)
{
    return ::access(QFile::encodeName(folder).constData(), W_OK | X_OK) == 0;
}

} // namespace

QString ChangeFileExt(const QString &path, const QString &ext)
{
    qsizetype i = path.size() - 1;
    while (i >= 0 && !QStringLiteral(".\\/:").contains(path[i]))
        --i;
    if (i >= 0 && path[i] == QLatin1Char('.'))
        return path.left(i) + ext;
    return path + ext;
}

QString SettingsFileFor(const QString &exePath, const std::function<bool(const QString &folder)> &canWrite,
                        const QString &configHome)
{
    const QString beside = ChangeFileExt(exePath, QStringLiteral(".ini"));
    const QFileInfo info(beside);
    if (info.exists() || canWrite(info.absolutePath()))
        return beside;
    const QString folder = configHome + QStringLiteral("/tempovir");
    QDir().mkpath(folder);
    return folder + QLatin1Char('/') + info.fileName();
}

QString SettingsFileFor(const QString &exePath)
{
    return SettingsFileFor(exePath, UserCanWrite, platform::UserConfigHome());
}

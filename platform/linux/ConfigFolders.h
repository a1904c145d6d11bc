#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config.
QString UserConfigHome();

// The absolute folders of $XDG_CONFIG_DIRS in their order of preference, else /etc/xdg.
QStringList SystemConfigFolders();

} // namespace platform

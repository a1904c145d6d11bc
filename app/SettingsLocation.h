#pragma once

#include <QString>
#include <functional>

// The change-extension rule: what follows the last ".", if no "/", "\" or ":" comes after
// it, is replaced by ext; otherwise ext is appended.
QString ChangeFileExt(const QString &path, const QString &ext);

// The settings file of the program at exePath: beside the executable (its path with the
// extension changed to ".ini") when that file exists or the user can write that folder, as
// a portable copy expects; otherwise, for a program installed where the user cannot write,
// the same file name in the user's configuration folder ($XDG_CONFIG_HOME/tempovir, by
// default ~/.config/tempovir), which is created.
QString SettingsFileFor(const QString &exePath);

// The rule itself, with the folder check and the configuration home given.
QString SettingsFileFor(const QString &exePath, const std::function<bool(const QString &folder)> &canWrite,
                        const QString &configHome);

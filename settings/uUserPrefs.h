#pragma once

#include <QString>

// The three preferences kept in the settings file, as the main window applies them.
struct TUserPrefs
{
    bool AppStayOnTop = false;
    bool AppShowMenu = true;
    bool ActAlarmsSound = true;

    bool operator==(const TUserPrefs &) const = default;
};

// Reads the preferences key by key; a missing or unreadable value gives its default.
TUserPrefs LoadUserPrefs(const QString &iniFileName);
// Writes the three preferences; throws when the file cannot be written.
void SaveUserPrefs(const QString &iniFileName, const TUserPrefs &prefs);

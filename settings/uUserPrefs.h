#pragma once

#include <QString>

class TAppIniFileStorage;

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
// Detaches the storage, attached to the settings file with the windows' placement in it, and
// replaces the file once: the placement written back whole, then the three preferences key
// by key. Throws when a preference cannot be written; a placement that cannot is lost.
void SaveUserPrefs(TAppIniFileStorage &storage, const TUserPrefs &prefs);

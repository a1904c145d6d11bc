#pragma once

#include <QString>

// Restores the window placement and the three preferences from the settings file.
void LoadUserPrefs(const QString &iniFileName);
// Writes the window placement and the three preferences.
void SaveUserPrefs(const QString &iniFileName);

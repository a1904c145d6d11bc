#pragma once

#include <QString>

// Restores the stored preferences (stay-on-top, menu bar, alarm sound) and applies them.
void LoadUserPrefs(const QString &iniFileName);
// Writes the three preferences.
void SaveUserPrefs(const QString &iniFileName);
// Applies the preference actions' current states.
void ApplyUserPrefs();

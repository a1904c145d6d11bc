#include "settings/uUserPrefs.h"

void LoadUserPrefs(const QString &) {}

void SaveUserPrefs(const QString &) {}

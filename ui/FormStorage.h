#pragma once

#include "settings/uUserPrefs.h"

#include <QList>
#include <QString>

class QWidget;
class TAppIniFileStorage;

// One window's placement in the settings file: the window, the storage it goes through and
// its section there.
struct TFormStorage
{
    QWidget *Form = nullptr;
    TAppIniFileStorage *AppStorage = nullptr;
    QString AppStoragePath;
    int Version = 0;
    // The application's main window: restored minimised, it minimises the whole program once
    // the event loop runs.
    bool MainForm = false;
};

// Size, position and state of the window from the attached storage. A window whose
// "FormVersion", "ShowCmd" or "PixelsPerInch" is not an integer keeps its place and state.
void RestoreFormPlacement(const TFormStorage &formStorage);
// Writes the window's placement keys into the attached storage.
void SaveFormPlacement(const TFormStorage &formStorage);

// Start-up: the storage attached to iniFileName only for the windows' placement, in the given
// order; then the preferences read key by key, for the caller to apply.
TUserPrefs LoadUserPrefs(TAppIniFileStorage &storage, const QList<TFormStorage> &forms,
                         const QString &iniFileName);
// Close: the windows' placement written through the storage, and the preferences key by key
// after it, in one replacement of the file. Throws when the preferences cannot be written.
void SaveUserPrefs(TAppIniFileStorage &storage, const QList<TFormStorage> &forms, const QString &iniFileName,
                   const TUserPrefs &prefs);

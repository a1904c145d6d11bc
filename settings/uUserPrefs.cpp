#include "settings/uUserPrefs.h"

#include "res/uRes.h"
#include "settings/AppIniFileStorage.h"
#include "settings/IniFile.h"

TUserPrefs LoadUserPrefs(const QString &iniFileName)
{
    const TUserPrefs defaults;
    const TIniFile ini(iniFileName);
    TUserPrefs prefs;
    prefs.AppStayOnTop = ini.ReadBool(uRes::SectionDisplay, uRes::KeyAppStayOnTop, defaults.AppStayOnTop);
    prefs.AppShowMenu = ini.ReadBool(uRes::SectionDisplay, uRes::KeyAppShowMenu, defaults.AppShowMenu);
    prefs.ActAlarmsSound =
        ini.ReadBool(uRes::SectionAlarms, uRes::KeyActAlarmsSound, defaults.ActAlarmsSound);
    return prefs;
}

void SaveUserPrefs(TAppIniFileStorage &storage, const TUserPrefs &prefs)
{
    storage.detachWith([&prefs](TIniFile &ini) {
        ini.WriteBool(uRes::SectionDisplay, uRes::KeyAppStayOnTop, prefs.AppStayOnTop);
        ini.WriteBool(uRes::SectionDisplay, uRes::KeyAppShowMenu, prefs.AppShowMenu);
        ini.WriteBool(uRes::SectionAlarms, uRes::KeyActAlarmsSound, prefs.ActAlarmsSound);
    });
}

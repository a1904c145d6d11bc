#include "settings/uUserPrefs.h"

#include "app/Globals.h"
#include "res/uRes.h"
#include "settings/IniFile.h"
#include "ui/Action.h"
#include "ui/frmMain.h"

// Runs the three preference handlers without a sender: each applies its action's state.
void ApplyUserPrefs()
{
    fmMain->ActAppStayOnTop->Execute(nullptr);
    fmMain->ActAppShowMenu->Execute(nullptr);
    fmMain->ActAlarmsSound->Execute(nullptr);
}

void LoadUserPrefs(const QString &iniFileName)
{
    {
        const TIniFile ini(iniFileName);
        fmMain->ActAppStayOnTop->SetChecked(ini.ReadBool(uRes::SectionDisplay, uRes::KeyAppStayOnTop, false));
        fmMain->ActAppShowMenu->SetChecked(ini.ReadBool(uRes::SectionDisplay, uRes::KeyAppShowMenu, true));
        fmMain->ActAlarmsSound->SetChecked(ini.ReadBool(uRes::SectionAlarms, uRes::KeyActAlarmsSound, true));
    }
    ApplyUserPrefs();
}

void SaveUserPrefs(const QString &iniFileName)
{
    TIniFile ini(iniFileName);
    ini.WriteBool(uRes::SectionDisplay, uRes::KeyAppStayOnTop, fmMain->ActAppStayOnTop->Checked());
    ini.WriteBool(uRes::SectionDisplay, uRes::KeyAppShowMenu, fmMain->ActAppShowMenu->Checked());
    ini.WriteBool(uRes::SectionAlarms, uRes::KeyActAlarmsSound, fmMain->ActAlarmsSound->Checked());
}

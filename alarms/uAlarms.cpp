#include "alarms/uAlarms.h"

#include "alarms/AlarmHost.h"
#include "alarms/AlarmTable.h"
#include "platform/Exception.h"
#include "platform/Sound.h"
#include "platform/TextLines.h"
#include "platform/Time.h"
#include "platform/uMisc.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "settings/IniFile.h"

#include <exception>

namespace {

constexpr int ColDate = TAlarmTable::ColDate;
constexpr int ColTime = TAlarmTable::ColTime;
constexpr int ColEnabled = TAlarmTable::ColEnabled;
constexpr int ColMessage = TAlarmTable::ColMessage;
constexpr int ColShutdown = TAlarmTable::ColShutdown;
constexpr int AlarmCount = TAlarmTable::AlarmCount;

// A key line holds one line: line breaks in a message are kept as the markup tag that
// the popup and the grid show as the same break.
QString MessageForFile(const QString &message)
{
    return platform::SplitLines(message).join(QStringLiteral("<BR>"));
}

void LoadAlarms(TAlarmTable &Table, TAlarmHost &Host, const QString &iniFileName)
{
    bool anyEnabled = false;
    {
        const TIniFile ini(iniFileName);
        for (int i = 0; i < AlarmCount; ++i) {
            const int r = i + 1;
            const QString section = uRes::AlarmSection(i);
            const QDate d = ini.ReadDate(section, uRes::KeyDate, platform::Date());
            const QTime t = ini.ReadTime(section, uRes::KeyTime, platform::Time());
            const QDate today = platform::Date();
            const QTime now = platform::Time();
            const bool expired = today > d || (today == d && now >= t);
            if (expired) {
                Table.SetCells(ColEnabled, r, uRes::No);
                Table.SetCells(ColDate, r, DateToStr(today));
                Table.SetCells(ColTime, r, TimeToStr(now));
                Table.SetCells(ColMessage, r, uRes::NoMessage);
                Table.SetCells(ColShutdown, r, uRes::No);
                continue;
            }
            const bool e = ini.ReadBool(section, uRes::KeyEnabled, false);
            const bool s = ini.ReadBool(section, uRes::KeyShutdown, false);
            Table.SetCells(ColEnabled, r, IfThenStr(e, uRes::Yes, uRes::No));
            Table.SetCells(ColDate, r, DateToStr(d));
            Table.SetCells(ColTime, r, TimeToStr(t));
            Table.SetCells(ColMessage, r, ini.ReadString(section, uRes::KeyDisplayName, QString()));
            Table.SetCells(ColShutdown, r, IfThenStr(s, uRes::Yes, uRes::No));
            anyEnabled = anyEnabled || e;
        }
    }
    if (anyEnabled) {
        Host.setAlarmsActivated(true);
        ActAlarmsActivateExecute(nullptr, Table, Host);
    }
    Table.SetAlarmsModified(false);
}

void SaveAlarms(TAlarmTable &Table, const QString &iniFileName)
{
    // All forty keys replace the file at once: a save cut short by an error, a kill or a power
    // cut leaves the old file whole, never an alarm switched on for the day it was moved from.
    TIniFile ini(iniFileName);
    ini.BeginUpdate();
    for (int i = 0; i < AlarmCount; ++i) {
        const int r = i + 1;
        const QString section = uRes::AlarmSection(i);
        ini.WriteBool(section, uRes::KeyEnabled, IsYes(Table.Cells(ColEnabled, r)));
        ini.WriteDate(section, uRes::KeyDate, StrToDate(Table.Cells(ColDate, r)));
        ini.WriteTime(section, uRes::KeyTime, StrToTime(Table.Cells(ColTime, r)));
        ini.WriteString(section, uRes::KeyDisplayName, MessageForFile(Table.Cells(ColMessage, r)));
        ini.WriteBool(section, uRes::KeyShutdown, IsYes(Table.Cells(ColShutdown, r)));
    }
    ini.UpdateFile();
    Table.SetAlarmsModified(false);
}

} // namespace

void InitAlarmGrid(TAlarmTable &Table, TAlarmHost &Host, const QString &iniFileName)
{
    Table.numberRows();
    LoadAlarms(Table, Host, iniFileName);
}

void SaveAlarmsIfModified(TAlarmTable &Table, const QString &iniFileName)
{
    if (Table.isModified())
        SaveAlarms(Table, iniFileName);
}

QString AlertText(int row, const QString &message)
{
    return QStringLiteral("<B>Tem<FONT color=\"#FF0000\">po</FONT>vir</B> - Alarme Num. %1<hr><br>%2")
        .arg(row, 3, 10, QLatin1Char('0'))
        .arg(message);
}

void CheckAlarms(TAlarmTable &Table, TAlarmHost &Host)
{
    // A row whose text no longer parses (the regional settings changed under the table)
    // must not keep the rows after it from being checked: the pass goes on and the first
    // such error is raised at its end.
    std::exception_ptr firstError;
    for (int r = 1; r <= AlarmCount; ++r) {
        // The user quit while an earlier alarm of this pass was being announced.
        if (Host.Closing())
            break;
        QDate d;
        QTime t;
        try {
            d = StrToDate(Table.Cells(ColDate, r));
            t = StrToTime(Table.Cells(ColTime, r));
        } catch (const EConvertError &) {
            if (!firstError)
                firstError = std::current_exception();
            continue;
        }
        if (platform::Date() != d)
            continue;
        if (!(platform::Time() > t))
            continue;
        if (!IsYes(Table.Cells(ColEnabled, r)))
            continue;
        Table.SetCells(ColEnabled, r, uRes::No);
        Table.refresh();
        if (Host.alarmsActivated())
            FireAlarm(Table, Host, r, Table.Cells(ColMessage, r));
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

void FireAlarm(TAlarmTable &Table, TAlarmHost &Host, int row, const QString &message)
{
    Host.announceAlarm(AlertText(row, message));

    bool found = false;
    for (int r = 1; r <= AlarmCount; ++r)
        found = found || IsYes(Table.Cells(ColEnabled, r));
    if (!found) {
        Host.setAlarmsActivated(false);
        ActAlarmsActivateExecute(nullptr, Table, Host);
    }

    if (IsYes(Table.Cells(ColShutdown, row))) {
        Table.SetCells(ColShutdown, row, uRes::No);
        Host.RunShutdownCountdown();
    } else if (Host.alarmsSound()) {
        BeepRising();
    }
}

void UpdateAlarmsIndicator(TAlarmTable &Table, TAlarmHost &Host)
{
    Host.showAlarmsIndicator(Host.alarmsActivated());
    Table.refresh();
}

void ActAlarmsActivateExecute(QObject *Sender, TAlarmTable &Table, TAlarmHost &Host)
{
    if (Sender)
        Host.setAlarmsActivated(!Host.alarmsActivated());
    UpdateAlarmsIndicator(Table, Host);
}

void ActAlarmsSoundExecute(QObject *Sender, TAlarmHost &Host)
{
    if (Sender)
        Host.setAlarmsSound(!Host.alarmsSound());
}

namespace {

// A note that cannot sound (no sound server) is skipped; the melody keeps its rhythm.
void PlayNotes(std::initializer_list<quint32> frequencies)
{
    bool first = true;
    for (const quint32 frequency : frequencies) {
        try {
            if (!first)
                Delay(50);
            first = false;
            platform::Beep(frequency, 100);
        } catch (...) {
        }
    }
    platform::ReleaseSound();
}

} // namespace

void BeepRising()
{
    PlayNotes({400, 600, 800});
}

void BeepFalling()
{
    PlayNotes({800, 600, 400});
}

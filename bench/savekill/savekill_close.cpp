// The alarm save of the close, alone, for the kill loop of run.sh:
//   savekill_close old PATH       writes the eight alarms as they stood before the edits
//   savekill_close save PATH      prints "saving PID", then saves the eight edited alarms
//   savekill_close classify PATH  says what a file left by a killed save holds
// The edits move every alarm to the next day and switch it on, and change its time, message and
// power-off switch: each of the 40 keys changes.
#include "alarms/AlarmTable.h"
#include "alarms/uAlarms.h"
#include "platform/Regional.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QDate>
#include <QTime>

#include <cstdio>
#include <unistd.h>

namespace {

struct Alarm
{
    bool enabled;
    QDate date;
    QTime time;
    QString message;
    bool shutdown;
};

Alarm Before(int i)
{
    return {false, QDate(2030, 12, 10), QTime(7, 0), QStringLiteral("Ancien réveil %1").arg(i + 1), false};
}

Alarm After(int i)
{
    return {true, QDate(2030, 12, 11), QTime(7, 30), QStringLiteral("Nouveau réveil %1").arg(i + 1), true};
}

void Save(Alarm (*alarm)(int), const QString &path)
{
    TAlarmTable table;
    for (int i = 0; i < TAlarmTable::AlarmCount; ++i) {
        const Alarm a = alarm(i);
        table.SetCells(TAlarmTable::ColEnabled, i + 1, a.enabled ? uRes::Yes : uRes::No);
        table.SetCells(TAlarmTable::ColDate, i + 1, DateToStr(a.date));
        table.SetCells(TAlarmTable::ColTime, i + 1, TimeToStr(a.time));
        table.SetCells(TAlarmTable::ColMessage, i + 1, a.message);
        table.SetCells(TAlarmTable::ColShutdown, i + 1, a.shutdown ? uRes::Yes : uRes::No);
    }
    table.SetAlarmsModified(true);
    SaveAlarmsIfModified(table, path);
}

// "mixed" when every key holds its value from before or after the edits and both kinds occur;
// "armed" when, in addition, an alarm is switched on with the date it had
// before; "other" for anything else: a file missing, cut, or holding other values.
const char *Classify(const QString &path)
{
    const TIniFile ini(path);
    int before = 0;
    int after = 0;
    bool armedForOldDay = false;
    for (int i = 0; i < TAlarmTable::AlarmCount; ++i) {
        const QString section = uRes::AlarmSection(i);
        const auto values = [](const Alarm &a) {
            return QStringList{a.enabled ? "1" : "0", DateToStr(a.date), TimeToStr(a.time), a.message,
                               a.shutdown ? "1" : "0"};
        };
        const QStringList old = values(Before(i));
        const QStringList edited = values(After(i));
        const QStringList keys = {uRes::KeyEnabled, uRes::KeyDate, uRes::KeyTime, uRes::KeyDisplayName,
                                  uRes::KeyShutdown};
        QStringList stored;
        for (const QString &key : keys) {
            stored << ini.ReadString(section, key, QStringLiteral("<missing>"));
            before += stored.back() == old[stored.size() - 1];
            after += stored.back() == edited[stored.size() - 1];
        }
        armedForOldDay = armedForOldDay || (stored[0] == edited[0] && stored[1] == old[1]);
    }
    const int keys = 5 * TAlarmTable::AlarmCount;
    if (before + after != keys || before == 0 || after == 0)
        return "other";
    return armedForOldDay ? "armed" : "mixed";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    platform::SetFormatSettings(platform::FormatSettingsFor(QLocale(QLocale::French, QLocale::France)));
    const QString mode = QString::fromLocal8Bit(argv[1]);
    const QString path = QString::fromLocal8Bit(argv[2]);
    if (mode == "old") {
        Save(Before, path);
    } else if (mode == "save") {
        std::printf("saving %d\n", int(::getpid()));
        std::fflush(stdout);
        Save(After, path);
    } else if (mode == "classify") {
        std::printf("%s\n", Classify(path));
    } else {
        return 2;
    }
    return 0;
}

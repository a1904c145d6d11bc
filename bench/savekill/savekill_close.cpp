// The alarm save of the close, alone, for the kill loop of run.sh:
//   savekill_close old PATH            writes the eight alarms as they stood before the edits
//   savekill_close time PATH           saves the eight edited alarms, prints how long it took (µs)
//   savekill_close kill PATH MICROS    saves them and is killed with SIGKILL MICROS µs after the
//                                      save began, whether it has ended by then or not
//   savekill_close classify PATH       says what a file left by a killed save holds
// The edits move every alarm to the next day and switch it on, and change its time, message and
// power-off switch: each of the 40 keys changes. The kill comes from a thread of the process
// itself, so that its moment is exact and no shell stands between.
#include "alarms/AlarmTable.h"
#include "alarms/uAlarms.h"
#include "platform/Regional.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTime>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
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
    const QStringList args = app.arguments().mid(1);
    if (args.size() < 2)
        return 2;
    platform::SetFormatSettings(platform::FormatSettingsFor(QLocale(QLocale::French, QLocale::France)));
    const QString &mode = args[0];
    const QString &path = args[1];
    if (mode == "old") {
        Save(Before, path);
    } else if (mode == "time") {
        QElapsedTimer timer;
        timer.start();
        Save(After, path);
        std::printf("%lld\n", static_cast<long long>(timer.nsecsElapsed() / 1000));
    } else if (mode == "kill" && args.size() == 3) {
        const auto delay = std::chrono::microseconds(args[2].toLongLong());
        std::thread([delay] {
            std::this_thread::sleep_for(delay);
            ::kill(::getpid(), SIGKILL);
        }).detach();
        Save(After, path);
        for (;;)
            ::pause();
    } else if (mode == "classify") {
        std::printf("%s\n", Classify(path));
    } else {
        return 2;
    }
    return 0;
}

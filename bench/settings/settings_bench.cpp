// Reads the 40 alarm keys (8 sections of 5) the way loading does, one settings file object
// for the group and each read going to the file, from a settings file of 200 lines; then
// saves eight changed alarms with the close's own SaveAlarmsIfModified, which writes the file
// and flushes it and its folder to disk. The file lives in the temporary folder (TMPDIR).
#include "alarms/AlarmTable.h"
#include "alarms/uAlarms.h"
#include "platform/Regional.h"
#include "platform/Time.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "settings/IniFile.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// 200 lines: the window placement and preference sections, other keys, then the alarms.
QByteArray SettingsFile()
{
    QByteArray text;
    int lines = 0;
    auto line = [&](const QByteArray &l) {
        text += l + "\r\n";
        ++lines;
    };
    line("[Display]");
    line("AppStayOnTop=0");
    line("AppShowMenu=1");
    line("[Alarms]");
    line("ActAlarmsSound=1");
    for (const char *form : {"fmMain", "fmAlarmsEdit"}) {
        line(QByteArray("[") + form + "]");
        for (const char *key : {"Flags", "ShowCmd", "MinMaxPos", "NormPos", "PixelsPerInch"})
            line(QByteArray(key) + "=" + QByteArray::number(qHash(QByteArray(key))));
    }
    line("[Other]");
    const int alarmLines = 8 * 6;
    for (int i = 0; lines < 200 - alarmLines; ++i)
        line("Key" + QByteArray::number(i) + "=some value of moderate length " + QByteArray::number(i));
    for (int i = 0; i < 8; ++i) {
        line(uRes::AlarmSection(i).toUtf8().prepend('[') + ']');
        line("Enabled=" + QByteArray::number(i % 2));
        line("Date=25/12/2030");
        line("Time=07:30:00");
        line("DisplayName=Réveil numéro " + QByteArray::number(i + 1));
        line("Shutdown=0");
    }
    Q_ASSERT(lines == 200);
    return text;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    platform::SetFormatSettings(platform::FormatSettingsFor(QLocale(QLocale::French, QLocale::France)));

    QTemporaryDir dir;
    const QString path = dir.filePath("tempovir.ini");
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write(SettingsFile());
    }

    const int runs = argc > 1 ? QByteArray(argv[1]).toInt() : 500;
    std::vector<double> totals;
    int enabled = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const TIniFile ini(path);
        for (int i = 0; i < 8; ++i) {
            const QString section = uRes::AlarmSection(i);
            const QDate d = ini.ReadDate(section, uRes::KeyDate, platform::Date());
            const QTime t = ini.ReadTime(section, uRes::KeyTime, platform::Time());
            enabled += ini.ReadBool(section, uRes::KeyEnabled, false);
            const QString message = ini.ReadString(section, uRes::KeyDisplayName, QString());
            enabled += ini.ReadBool(section, uRes::KeyShutdown, false);
            enabled += d.isValid() && t.isValid() && !message.isEmpty() ? 0 : 1000;
        }
        totals.push_back(timer.nsecsElapsed() / 1e6);
    }
    if (enabled != runs * 4) {
        std::fprintf(stderr, "unexpected values read\n");
        return 1;
    }
    std::sort(totals.begin(), totals.end());
    std::printf("settings file: 200 lines, %lld bytes\n", static_cast<long long>(QFile(path).size()));
    std::printf("reading 40 alarm keys, %d runs: median %.3f ms, 95th percentile %.3f ms, max %.3f ms "
                "(goal: under 5 ms)\n",
                runs, totals[totals.size() / 2], totals[totals.size() * 95 / 100], totals.back());

    const int saveRuns = qMax(1, runs / 25);
    TAlarmTable table;
    std::vector<double> saves;
    for (int run = 0; run < saveRuns; ++run) {
        // Every cell of the eight alarms differs from the run before, as after the user's edits.
        for (int r = 1; r <= TAlarmTable::AlarmCount; ++r) {
            table.SetCells(TAlarmTable::ColDate, r, DateToStr(QDate(2030, 12, 1 + (run + r) % 28)));
            table.SetCells(TAlarmTable::ColTime, r, TimeToStr(QTime(7, run % 60)));
            table.SetCells(TAlarmTable::ColEnabled, r, run % 2 == 0 ? uRes::Yes : uRes::No);
            table.SetCells(TAlarmTable::ColMessage, r, QStringLiteral("Réveil %1").arg(run));
            table.SetCells(TAlarmTable::ColShutdown, r, run % 2 == 0 ? uRes::No : uRes::Yes);
        }
        table.SetAlarmsModified(true);
        QElapsedTimer timer;
        timer.start();
        SaveAlarmsIfModified(table, path);
        saves.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(saves.begin(), saves.end());
    std::printf("saving eight changed alarms (SaveAlarmsIfModified), %d runs: median %.1f ms, max %.1f ms\n",
                saveRuns, saves[saves.size() / 2], saves.back());
    return 0;
}

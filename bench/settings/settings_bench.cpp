// Reads the 40 alarm keys (8 sections of 5) the way loading does, one settings file object
// for the group and each read going to the file, from a settings file of 200 lines; then
// writes them the way saving does, every value changed, each write replacing the file and
// flushing it and its folder to disk. The file lives in the temporary folder (TMPDIR).
#include "platform/Regional.h"
#include "platform/Time.h"
#include "res/uRes.h"
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

    const int writeRuns = qMax(1, runs / 25);
    std::vector<double> writes;
    for (int run = 0; run < writeRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        TIniFile ini(path);
        for (int i = 0; i < 8; ++i) {
            const QString section = uRes::AlarmSection(i);
            ini.WriteBool(section, uRes::KeyEnabled, (run + i) % 2 == 0);
            ini.WriteDate(section, uRes::KeyDate, QDate(2030, 12, 1 + run % 28));
            ini.WriteTime(section, uRes::KeyTime, QTime(7, run % 60));
            ini.WriteString(section, uRes::KeyDisplayName, QStringLiteral("Réveil %1").arg(run));
            ini.WriteBool(section, uRes::KeyShutdown, run % 2 == 0);
        }
        writes.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(writes.begin(), writes.end());
    std::printf("writing 40 changed alarm keys, %d runs: median %.1f ms, max %.1f ms\n", writeRuns,
                writes[writes.size() / 2], writes.back());
    return 0;
}

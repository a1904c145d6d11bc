// Processor time used by one Delay of the given length (default 30 s) on the real clock
// and the real message pump, with a clock-like timer firing every 450 ms meanwhile.
#include "platform/uMisc.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTimer>
#include <cstdio>
#include <sys/resource.h>

static double cpuSeconds()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) +
           double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const quint32 ms = argc > 1 ? quint32(atoi(argv[1])) : 30000;
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(450);

    QElapsedTimer wall;
    const double cpu0 = cpuSeconds();
    wall.start();
    Delay(ms);
    const double cpu = cpuSeconds() - cpu0;
    const double seconds = double(wall.elapsed()) / 1000.0;
    std::printf("Delay(%u): wall %.3f s, cpu %.4f s, %.3f %% of one core, %d timer events handled\n", ms,
                seconds, cpu, 100.0 * cpu / seconds, ticks);
    return 0;
}

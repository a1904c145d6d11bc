// How long Beep takes to return for a 100 ms note: it must return once the note has sounded,
// not after the sound server's default latency.
#include "platform/Sound.h"

#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

int main()
{
    platform::SetSoundOutput(&platform::ServerSoundOutput());
    // The first note opens the stream; a null sink wakes only on its 2-second idle timer,
    // so it is timed apart.
    QElapsedTimer first;
    first.start();
    platform::Beep(800, 100);
    std::printf("first Beep(.., 100 ms), opening the stream: %.1f ms\n", double(first.nsecsElapsed()) / 1e6);
    std::vector<double> ms;
    for (int i = 0; i < 20; ++i) {
        QElapsedTimer t;
        t.start();
        platform::Beep(i % 2 ? 600 : 400, 100);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("Beep(.., 100 ms) returned after: min %.1f ms, median %.1f ms, max %.1f ms (20 notes)\n",
                ms.front(), ms[ms.size() / 2], ms.back());
    return 0;
}

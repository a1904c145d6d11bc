// Windows for the clock benchmark, in the mode given as the first argument:
//   digital, analog  only the clock control, set up as the main window sets up Clock1;
//   plain            a naive clock for comparison: a widget that repaints its whole text from a
//                    450 ms QTimer;
//   ticks            the floor: a black window and the clock's tick timer issuing empty ticks,
//                    450 ms apart, as the control's are;
//   wake MS          no window and no Qt: a process that sleeps MS milliseconds at a time, for
//                    the cost of waking up alone.

#include "platform/Fonts.h"
#include "platform/Time.h"
#include "ui/Clock.h"
#include "ui/ClockTimer.h"

#include <QApplication>
#include <QPainter>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace {

const QColor Aqua(0, 255, 255);

QFont ClockFont()
{
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(64);
    return font;
}

void Colour(QWidget &w)
{
    QPalette palette = w.palette();
    palette.setColor(QPalette::Window, Qt::black);
    palette.setColor(QPalette::WindowText, Aqua);
    w.setPalette(palette);
}

class PlainClock : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setFont(font());
        p.setPen(Aqua);
        p.drawText(rect(), Qt::AlignCenter, platform::Time().toString(QStringLiteral("HH:mm:ss")));
    }
};

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2 && std::strcmp(argv[1], "wake") == 0) {
        const int ms = std::atoi(argv[2]);
        for (;;)
            poll(nullptr, 0, ms);
    }
    QApplication app(argc, argv);
    platform::RegisterFonts();
    const char *mode = argc > 1 ? argv[1] : "digital";

    if (std::strcmp(mode, "plain") == 0) {
        PlainClock w;
        Colour(w);
        w.setAutoFillBackground(true);
        w.setFont(ClockFont());
        w.resize(370, 150);
        w.show();
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, &w, [&w] { w.update(); });
        timer.start(450);
        return app.exec();
    }
    if (std::strcmp(mode, "ticks") == 0) {
        QWidget w;
        Colour(w);
        w.setAutoFillBackground(true);
        w.resize(370, 150);
        w.show();
        TTickTimer timer(450, [] {});
        timer.start();
        return app.exec();
    }

    TClock clock;
    clock.setWindowTitle(QStringLiteral("bench clock"));
    Colour(clock);
    clock.setFont(ClockFont());
    clock.setHoursHandColor(Aqua);
    clock.setMinutesHandColor(Aqua);
    clock.setSecondsHandColor(QColor(128, 0, 128));
    clock.setShowMode(std::strcmp(mode, "analog") == 0 ? scAnalog : scDigital);
    clock.resize(370, 150);
    clock.show();
    return app.exec();
}

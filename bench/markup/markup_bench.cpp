// Layout times of the markup renderer: a 20 000-character message of mixed tags and the
// alert text, measured only and drawn, best and median of many runs.
#include "platform/Fonts.h"
#include "ui/MarkupRender.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString MixedText(int length)
{
    static const char *const chunks[] = {
        "Le <B>réveil</B> sonne ",
        "<FONT color=\"#FF0000\">rouge</FONT> ",
        "<I>penché</I> et <U>souligné</U> ",
        "<FONT face=\"Arial\" size=3 bgcolor=\"clyellow\">grand</FONT> ",
        "texte simple avec des mots ",
        "<A href=\"cible\">lien</A> ",
        "&nbsp;&amp;&lt;&gt; ",
        "<S>barré</S><br>",
        "<SUP>haut</SUP><SUB>bas</SUB> ",
        "<P align=\"center\">milieu</P>",
        "<hr>",
    };
    QString s;
    for (size_t i = 0; s.size() < length; ++i)
        s += QString::fromUtf8(chunks[i % std::size(chunks)]);
    s.truncate(length);
    return s;
}

struct Timing
{
    double best, median;
};

Timing Time(QPainter &p, const QString &text, const QRect &rect, bool measureOnly, int runs)
{
    TMarkupOptions o;
    o.MeasureOnly = measureOnly;
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        TMarkupResult r;
        RenderMarkup(p, text, rect, o, &r);
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2]};
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    platform::RegisterFonts();

    QImage image(400, 20000, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    p.setPen(Qt::black);

    const QString mixed = MixedText(20000);
    const QString alert =
        QString::fromUtf8("<B>Tem<FONT color=\"#FF0000\">po</FONT>vir</B> - Alarme Num. 001<hr><br>Réveil");
    const QString mixed2 = MixedText(40000);

    const QRect page(0, 0, 400, 20000);
    const QRect popup(0, 0, 320, 120);
    Time(p, mixed, page, true, 5); // warm the font caches

    const Timing m = Time(p, mixed, page, true, 50);
    const Timing m2 = Time(p, mixed2, page, true, 20);
    const Timing md = Time(p, mixed, page, false, 20);
    const Timing a = Time(p, alert, popup, true, 2000);
    const Timing ad = Time(p, alert, popup, false, 2000);
    std::printf("mixed tags, %lld chars, layout (measure): best %.3f ms, median %.3f ms\n",
                static_cast<long long>(mixed.size()), m.best, m.median);
    std::printf("mixed tags, %lld chars, layout (measure): best %.3f ms, median %.3f ms\n",
                static_cast<long long>(mixed2.size()), m2.best, m2.median);
    std::printf("mixed tags, %lld chars, layout and drawing: best %.3f ms, median %.3f ms\n",
                static_cast<long long>(mixed.size()), md.best, md.median);
    std::printf("alert text, layout (measure): best %.4f ms, median %.4f ms\n", a.best, a.median);
    std::printf("alert text, layout and drawing: best %.4f ms, median %.4f ms\n", ad.best, ad.median);
    return 0;
}

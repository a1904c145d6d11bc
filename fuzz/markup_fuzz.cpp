// Feeds arbitrary bytes to the markup renderer, drawing and measuring into an image of a
// size taken from the input.
#include "platform/Fonts.h"
#include "ui/MarkupRender.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>

namespace {
QGuiApplication *app = nullptr;
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Font fallback warnings about random text would drown the fuzzer's own output.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    app = new QGuiApplication(*argc, *argv);
    platform::RegisterFonts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    // The first bytes choose the image, the rectangle and the options; the rest is the text.
    const int width = 1 + data[0] % 160;
    const int height = 1 + data[1] % 120;
    const uint8_t flags = data[2];
    const int points = 4 + data[3] % 20;
    const int dx = int(data[4] % 16) - 4;
    const int dy = int(data[5] % 16) - 4;
    const char *bytes = reinterpret_cast<const char *>(data + 6);
    const qsizetype length = qsizetype(size - 6);
    const QString text =
        (flags & 0x80) ? QString::fromLatin1(bytes, length) : QString::fromUtf8(bytes, length);

    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    static const char *const faces[] = {"MS Sans Serif", "Arial", "Tahoma", "DejaVu Sans"};
    QFont font(QString::fromLatin1(faces[flags & 3]), points);
    p.setFont(font);
    p.setPen(QColor(10, 20, 30));

    TMarkupOptions options;
    options.WordWrap = flags & 4;
    options.Ellipsis = flags & 8;
    options.Hover = flags & 16;
    options.HoverColor = QColor(255, 255, 0);
    options.HoverFontColor = QColor(255, 0, 0);
    options.LineSpacing = (flags & 32) ? int(data[4] % 8) - 2 : 0;
    options.ShadowOffset = 1 + data[5] % 3;
    options.TestPoint = QPoint(data[3] % 64, data[4] % 64);
    const QRect rect(dx, dy, width - dx + (data[2] % 5) - 2, height - dy);

    TMarkupResult measured;
    options.MeasureOnly = true;
    RenderMarkup(p, text, rect, options, &measured);
    options.MeasureOnly = false;
    TMarkupResult drawn;
    RenderMarkup(p, text, rect, options, &drawn);
    // Drawing stops at the rectangle, measuring does not.
    if (drawn.Height > measured.Height && options.LineSpacing >= 0)
        __builtin_trap();
    if (p.font() != font || p.pen().color() != QColor(10, 20, 30))
        __builtin_trap();
    return 0;
}

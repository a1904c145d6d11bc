#include "MarkupTestUtil.h"
#include "ui/MarkupLabel.h"

#include <QApplication>
#include <gtest/gtest.h>

using namespace markup_test;

namespace {

QImage Grab(TMarkupLabel &label)
{
    return label.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(MarkupLabel, TextLosesItsLineEnds)
{
    TMarkupLabel label;
    label.setMarkupText("un\r\ndeux\ntrois\r");
    EXPECT_EQ(label.MarkupText(), QStringLiteral("undeuxtrois"));
}

TEST(MarkupLabel, PaintsItsColourThenTheMarkupInItsFont)
{
    TMarkupLabel label;
    label.resize(120, 40);
    label.setFont(TestFont());
    label.setColor(QColor(200, 210, 220));
    QPalette pal = label.palette();
    pal.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label.setPalette(pal);
    label.setMarkupText("<B>un</B>\r\ndeux");

    QImage expected(120, 40, QImage::Format_RGB32);
    expected.fill(QColor(200, 210, 220));
    {
        QPainter p(&expected);
        p.setFont(TestFont());
        p.setPen(QColor(0, 0, 128));
        RenderMarkup(p, "<B>un</B>deux", QRect(0, 0, 120, 40), TMarkupOptions());
    }
    EXPECT_TRUE(SameImage(Grab(label), expected));
}

TEST(MarkupLabel, VerticalAlignmentMovesTheText)
{
    const QFont f = TestFont();
    const int h = Height(f);
    const struct
    {
        TVAlignment alignment;
        int top;
    } cases[] = {{tvaTop, 0}, {tvaCenter, (60 - h) / 2}, {tvaBottom, 60 - h}};
    for (const auto &c : cases) {
        TMarkupLabel label;
        label.resize(80, 60);
        label.setFont(f);
        label.setColor(Qt::white);
        label.setMarkupText("texte");
        label.setVAlignment(c.alignment);
        const QImage image = Grab(label);
        Reference ref(QSize(80, 60));
        ref.pieces(1, c.top, f, label.palette().color(QPalette::WindowText), {"texte"});
        EXPECT_TRUE(SameImage(image, ref.image())) << c.alignment;
    }
}

TEST(MarkupLabel, AutoSizingTakesTheMeasuredHeightPlusSix)
{
    const QFont f = TestFont();
    TMarkupLabel label;
    label.resize(80, 10);
    label.setFont(f);
    label.setMarkupText("un<br>deux<br>trois");
    label.setAutoSizing(true);
    Grab(label);
    QApplication::processEvents();
    EXPECT_EQ(label.size(), QSize(80, 3 * Height(f) + 6));

    TMarkupLabel fixed;
    fixed.resize(473, 65);
    fixed.setMarkupText("un<br>deux<br>trois");
    Grab(fixed);
    QApplication::processEvents();
    EXPECT_EQ(fixed.size(), QSize(473, 65));
}

TEST(MarkupLabel, EllipsisKeepsOneLine)
{
    const QFont f = TestFont();
    TMarkupLabel label;
    label.resize(50, 40);
    label.setFont(f);
    label.setColor(Qt::white);
    label.setEllipsis(true);
    label.setMarkupText("un deux trois quatre");
    const QImage image = Grab(label);
    EXPECT_FALSE(Empty(image, QRect(0, 0, 50, Height(f))));
    EXPECT_TRUE(Empty(image, QRect(0, Height(f), 50, 40 - Height(f))));
}

#include "MarkupTestUtil.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

using namespace markup_test;

namespace {

// Splits text into the pieces word wrap makes: each ends after its space.
QStringList Words(const QString &text)
{
    QStringList parts;
    QString current;
    for (QChar c : text) {
        current += c;
        if (c == u' ') {
            parts << current;
            current.clear();
        }
    }
    if (!current.isEmpty())
        parts << current;
    return parts;
}

const QString kAlertHead =
    QStringLiteral("<B>Tem<FONT color=\"#FF0000\">po</FONT>vir</B> - Alarme Num. 001<hr><br>");

QFont Sized(QFont f, int points)
{
    f.setPointSize(points);
    return f;
}

int PiecesWidth(const QFont &f, const QStringList &parts)
{
    int w = 0;
    for (const QString &part : parts)
        w += Width(f, part);
    return w;
}

} // namespace

TEST(MarkupAlertText, ProductNameRuleEmptyLineAndWrappedMessage)
{
    const QFont base = TestFont();
    const QFont bold = Styled(base, true);
    const QString messageA = QStringLiteral("Prendre le train de sept ");
    const QString messageB = QStringLiteral("heures vingt pour Paris");
    const QStringList head = {QStringLiteral(" "), QStringLiteral("- "), QStringLiteral("Alarme "),
                              QStringLiteral("Num. "), QStringLiteral("001")};
    int headWidth = Width(bold, "Tem") + Width(bold, "po") + Width(bold, "vir");
    for (const QString &part : head)
        headWidth += Width(base, part);
    const int rectWidth = 1 + headWidth + 10;
    const int avail = rectWidth - 1;
    // The message must break exactly between its two halves.
    ASSERT_LT(PiecesWidth(base, Words(messageA)), avail);
    ASSERT_GE(PiecesWidth(base, Words(messageA + "heures ")), avail);
    ASSERT_LT(PiecesWidth(base, Words(messageB)), avail);

    const QSize size(rectWidth, 100);
    const Drawn d = Draw(kAlertHead + messageA + messageB, size, base);

    const int h1 = std::max(Height(base), Height(bold));
    const int h = Height(base);
    Reference ref(size);
    int x = ref.pieces(1, h1 - Height(bold), bold, Qt::black, {"Tem"});
    x = ref.pieces(x, h1 - Height(bold), bold, Qt::red, {"po"});
    x = ref.pieces(x, h1 - Height(bold), bold, Qt::black, {"vir"});
    ref.pieces(x, h1 - h, base, Qt::black, head);
    ref.line(1, rectWidth - 1, h1 + 1);
    ref.pieces(1, h1 + h, base, Qt::black, Words(messageA));
    ref.pieces(1, h1 + 2 * h, base, Qt::black, Words(messageB));
    EXPECT_TRUE(SameImage(d.image, ref.image()));
    EXPECT_EQ(d.result.Width, headWidth + 2);
    EXPECT_EQ(d.result.Height, h1 + 3 * h);
    // The rule is black across the width whatever the text colour.
    const Drawn blue = Draw(kAlertHead, size, base, {}, Qt::blue);
    EXPECT_EQ(Colours(blue.image, QRect(1, h1 + 1, rectWidth - 1, 1)), QSet<QRgb>{qRgb(0, 0, 0)});
    EXPECT_TRUE(Empty(blue.image, QRect(0, h1 + 1, 1, 1)));
}

TEST(MarkupAlertText, ProductNameIsNeverBroken)
{
    const QFont base = TestFont();
    const QFont bold = Styled(base, true);
    // Room for "Tem" only: "po" and "vir" still follow it because no space precedes them.
    const int rectWidth = Width(bold, "Tem") + 3;
    const QSize size(rectWidth + 40, 60);
    const Drawn d = Draw(kAlertHead, size, base, {}, Qt::black, QRect(0, 0, rectWidth, 60));
    const int h1 = std::max(Height(base), Height(bold));
    Reference ref(size);
    ref.clipRight(rectWidth - 1);
    int x = ref.pieces(1, h1 - Height(bold), bold, Qt::black, {"Tem"});
    x = ref.pieces(x, h1 - Height(bold), bold, Qt::red, {"po"});
    ref.pieces(x, h1 - Height(bold), bold, Qt::black, {"vir"});
    const QRect firstLine(0, 0, size.width(), h1);
    EXPECT_TRUE(SameImage(d.image.copy(firstLine), ref.image().copy(firstLine)));
    const TMarkupResult m = Measure(kAlertHead, QSize(rectWidth, 60), base);
    EXPECT_GT(m.Height, h1 + Height(base)); // the rest went to further lines
}

TEST(MarkupPowerOffNotice, WrappedInArialWithEmptyLineBeforeLastSentence)
{
    const QString s1 =
        QString::fromUtf8("La fonction d'arrêt automatique du PC a été activée dans le logiciel Tempovir. ");
    const QString s2 = QString::fromUtf8(
        "Vous pouvez empêcher cet arrêt automatique dans les 30 secondes qui suivent son activation. ");
    const QString s3 = QString::fromUtf8(
        "Pour annuler maintenant l'arrêt automatique du PC, cliquez sur le bouton Annuler Arrêt auto.");
    const QString notice = "<FONT face=\"Arial\">" + s1 + "<br>" + s2 + "<br><br>" + s3 + "</FONT>";
    const QFont base = TestFont();
    QFont arial = base;
    arial.setFamily("Arial");
    const int avail = 473 - 1;
    const int w1 = PiecesWidth(arial, Words(s1)) - Width(arial, " ");
    const int w2 = PiecesWidth(arial, Words(s2)) - Width(arial, " ");
    const int w3 = PiecesWidth(arial, Words(s3));
    ASSERT_LT(w1, avail);
    ASSERT_LT(w2, avail);
    ASSERT_LT(w3, avail);

    const QSize size(473, 65);
    const Drawn d = Draw(notice, size, base);
    const int h1 = std::max(Height(base), Height(arial));
    const int ha = Height(arial);
    Reference ref(size);
    ref.pieces(1, h1 - ha, arial, Qt::black, Words(s1));
    ref.pieces(1, h1, arial, Qt::black, Words(s2));
    ref.pieces(1, h1 + 2 * ha, arial, Qt::black, Words(s3));
    EXPECT_TRUE(SameImage(d.image, ref.image()));
    EXPECT_EQ(d.result.Height, h1 + 3 * ha);
    // The width follows the widest line, plus 2, taking a line only when it passes the width so far.
    int width = w1 + 2;
    for (int w : {w2, w3})
        if (width < w)
            width = w + 2;
    EXPECT_EQ(d.result.Width, width);
}

TEST(MarkupPowerOffNotice, LinesBelowTheLabelAreNotDrawn)
{
    const QString notice = QString::fromUtf8(
        "<FONT face=\"Arial\">La fonction d'arrêt automatique du PC a été activée dans le logiciel Tempovir. "
        "<br>Vous pouvez empêcher cet arrêt automatique dans les 30 secondes qui suivent son activation. "
        "<br><br>Pour annuler maintenant l'arrêt automatique du PC, cliquez sur le bouton Annuler Arrêt "
        "auto.</FONT>");
    const QFont base = TestFont(QStringLiteral("MS Sans Serif"), 14);
    QFont arial = base;
    arial.setFamily("Arial");
    const int hb = Height(base);
    const int ha = Height(arial);
    const int h1 = std::max(hb, ha);

    const TMarkupResult all = Measure(notice, QSize(473, 65), base);
    ASSERT_GT(all.Height, 65);
    // Every line after the first starts in Arial and is one Arial line high.
    EXPECT_EQ((all.Height - h1) % ha, 0);

    // Drawing stops once the next line's top plus the "gh" height of the finished line's
    // starting font (the window font for the first line, Arial after it) passes 65.
    int drawnHeight = h1;
    int gh = hb;
    while (drawnHeight + gh <= 65 && drawnHeight < all.Height) {
        drawnHeight += ha;
        gh = ha;
    }
    const Drawn d = Draw(notice, QSize(473, 100), base, {}, Qt::black, QRect(0, 0, 473, 65));
    EXPECT_EQ(d.result.Height, drawnHeight);
    EXPECT_LE(d.result.Height, 65);
    EXPECT_FALSE(Empty(d.image, QRect(0, drawnHeight - ha, 473, ha)));
    EXPECT_TRUE(Empty(d.image, QRect(0, drawnHeight, 473, 100 - drawnHeight)));
}

TEST(MarkupFont, NestedFontTagsReturnToTheBaseColourAtTheFirstClose)
{
    const QFont base = TestFont();
    const QColor green(0, 128, 0);
    const QSize size(120, 20);
    const Drawn d =
        Draw("<FONT color=\"clred\">rr<FONT color=\"clblue\">bb</FONT>cc</FONT>dd", size, base, {}, green);
    Reference ref(size);
    int x = ref.pieces(1, 0, base, Qt::red, {"rr"});
    x = ref.pieces(x, 0, base, Qt::blue, {"bb"});
    ref.pieces(x, 0, base, green, {"cc", "dd"});
    EXPECT_TRUE(SameImage(d.image, ref.image()));
}

TEST(MarkupColor, Values)
{
    const QPalette pal = QGuiApplication::palette();
    const struct
    {
        const char *value;
        QColor expected;
    } cases[] = {
        {"clred", QColor(255, 0, 0)},
        {"#FF0000", QColor(255, 0, 0)},
        {"#ff0000", QColor(255, 0, 0)},
        {"CLRED", QColor(255, 0, 0)},
        {"#FF", QColor(255, 0, 0)},
        {"#00FF", QColor(0, 255, 0)},
        {"#0000FF", QColor(0, 0, 255)},
        {"#123456", QColor(0x12, 0x34, 0x56)},
        {"clsilver", QColor(192, 192, 192)},
        {"clteal", QColor(0, 128, 128)},
        {"clgray", QColor(128, 128, 128)},
        {"rouge", QColor(0, 0, 0)},
        {"red", QColor(0, 0, 0)},
        {"clbtnface", pal.color(QPalette::Button)},
        {"clhighlight", pal.color(QPalette::Highlight)},
        {"clhighlighttext", pal.color(QPalette::HighlightedText)},
        {"clwindow", pal.color(QPalette::Base)},
        {"clwindowtext", pal.color(QPalette::Text)},
        {"clinfobk", pal.color(QPalette::ToolTipBase)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MarkupColor(QString::fromLatin1(c.value)), c.expected) << c.value;
    EXPECT_FALSE(MarkupColor(QString()).isValid());
}

TEST(MarkupColor, TheThreeSpellingsOfRedDrawTheSame)
{
    const QFont base = TestFont();
    const QSize size(60, 20);
    const QImage named = Draw("<FONT color=\"clred\">rouge</FONT>", size, base).image;
    EXPECT_EQ(Colours(named, named.rect()), QSet<QRgb>{qRgb(255, 0, 0)});
    EXPECT_TRUE(SameImage(Draw("<FONT color=\"#FF0000\">rouge</FONT>", size, base).image, named));
    EXPECT_TRUE(SameImage(Draw("<FONT color=\"#ff0000\">rouge</FONT>", size, base).image, named));
    // An unknown word is black; an empty value keeps the current colour.
    const QImage unknown = Draw("<FONT color=\"rouge\">rouge</FONT>", size, base, {}, Qt::blue).image;
    EXPECT_EQ(Colours(unknown, unknown.rect()), QSet<QRgb>{qRgb(0, 0, 0)});
    const QImage empty = Draw("<FONT color=\"\">rouge</FONT>", size, base, {}, Qt::blue).image;
    EXPECT_EQ(Colours(empty, empty.rect()), QSet<QRgb>{qRgb(0, 0, 255)});
}

TEST(MarkupEntities, EscapedTagIsDrawnAsText)
{
    const QFont base = TestFont();
    const QSize size(80, 20);
    Reference ref(size);
    ref.pieces(1, 0, base, Qt::black, {"<B>gras"});
    EXPECT_TRUE(SameImage(Draw("&lt;B&gt;gras", size, base).image, ref.image()));
}

TEST(MarkupEntities, NonBreakingSpaceKeepsTwoWordsOnOneLine)
{
    const QFont base = TestFont();
    const QString joined = QStringLiteral("aa\u00A0bb");
    const int avail = Width(base, "xx ") + Width(base, "aa ") + Width(base, "b");
    ASSERT_LT(Width(base, joined), avail);
    const QSize size(avail + 1, 40);
    const int h = Height(base);

    Reference together(size);
    together.pieces(1, 0, base, Qt::black, {"xx "});
    together.pieces(1, h, base, Qt::black, {joined});
    EXPECT_TRUE(SameImage(Draw("xx aa&nbsp;bb", size, base).image, together.image()));

    Reference apart(size);
    apart.pieces(1, 0, base, Qt::black, {"xx ", "aa "});
    apart.pieces(1, h, base, Qt::black, {"bb"});
    EXPECT_TRUE(SameImage(Draw("xx aa bb", size, base).image, apart.image()));
}

TEST(MarkupEntities, EarlyGroupAnyCaseLateGroupLowerCaseOnly)
{
    const QFont base = TestFont();
    const QSize size(200, 20);
    const struct
    {
        const char *markup;
        const char *shown; // UTF-8
    } cases[] = {
        {"a&amp;b", "a&b"},
        {"a&AMP;b", "a&b"},
        {"a&amp;amp;b", "a&b"},
        {"&quot;x&QUOT;", "\"x\""},
        {"&sect;&permil;&reg;&copy;&para;&trade;&euro;", "§‰®©¶™€"},
        {"&amp;lt;b&amp;gt;", "<b>"},
        {"a&LT;b", "a&LT;b"},
        {"a&NBSP;b", "a&NBSP;b"},
        {"a&foo;b&", "a&foo;b&"},
        {"x&gt;y", "x>y"},
    };
    for (const auto &c : cases) {
        Reference ref(size);
        ref.pieces(1, 0, base, Qt::black, {QString::fromUtf8(c.shown)});
        EXPECT_TRUE(SameImage(Draw(QString::fromUtf8(c.markup), size, base).image, ref.image())) << c.markup;
    }
}

TEST(MarkupWrap, WordWiderThanTheRectangleIsCutAndTheNextWordStartsANewLine)
{
    const QFont base = TestFont();
    const QString wide = QStringLiteral("Anticonstitutionnellement ");
    const int rectWidth = 60;
    ASSERT_GT(Width(base, wide), rectWidth);
    const QSize size(200, 40);
    const Drawn d = Draw(wide + "mot", size, base, {}, Qt::black, QRect(0, 0, rectWidth, 40));
    Reference ref(size);
    ref.clipRight(rectWidth - 1);
    ref.pieces(1, 0, base, Qt::black, {wide});
    ref.pieces(1, Height(base), base, Qt::black, {"mot"});
    EXPECT_TRUE(SameImage(d.image, ref.image()));
    EXPECT_FALSE(Empty(d.image, QRect(rectWidth - 6, 0, 6, Height(base))));
    EXPECT_EQ(d.result.Width, Width(base, wide) - Width(base, " ") + 2);
}

TEST(MarkupMeasure, EmptyTextIsZeroWideAndOneLineHigh)
{
    for (const auto &[family, points] : {std::pair{"MS Sans Serif", 8}, {"Arial", 12}, {"Tahoma", 10}}) {
        const QFont f = TestFont(QString::fromLatin1(family), points);
        const Drawn d = Draw(QString(), QSize(50, 50), f);
        EXPECT_EQ(d.result.Width, 0) << family;
        EXPECT_EQ(d.result.Height, Height(f)) << family;
        EXPECT_TRUE(Empty(d.image, d.image.rect()));
    }
}

TEST(MarkupMeasure, TwoLineBreaksGiveOneEmptyLine)
{
    const QFont base = TestFont();
    const int h = Height(base);
    const QSize size(60, 60);
    const Drawn d = Draw("haut<br><br>bas", size, base);
    Reference ref(size);
    ref.pieces(1, 0, base, Qt::black, {"haut"});
    ref.pieces(1, 2 * h, base, Qt::black, {"bas"});
    EXPECT_TRUE(SameImage(d.image, ref.image()));
    EXPECT_EQ(d.result.Height, 3 * h);
    EXPECT_EQ(d.result.Width, Width(base, "haut") + 2);
    // A break at the very end adds no line.
    EXPECT_EQ(Measure("haut<br>", size, base).Height, h);
}

TEST(MarkupMeasure, UnterminatedTagShowsOnlyWhatPrecedesIt)
{
    const QFont base = TestFont();
    const QSize size(80, 20);
    const Drawn plain = Draw("abc", size, base);
    for (const char *text : {"abc<def", "abc<", "abc<d", "abc<d<e", "abc<<<", "abc<b"}) {
        const Drawn d = Draw(QString::fromLatin1(text), size, base);
        EXPECT_TRUE(SameImage(d.image, plain.image)) << text;
        EXPECT_EQ(d.result.Width, plain.result.Width) << text;
        EXPECT_EQ(d.result.Height, plain.result.Height) << text;
    }
    const TMarkupResult none = Measure("<abc", size, base);
    EXPECT_EQ(none.Width, 0);
    EXPECT_EQ(none.Height, Height(base));
}

TEST(MarkupLines, StopBelowTheRectangleButTheFirstLineIsAlwaysDrawn)
{
    const QFont base = TestFont();
    const int h = Height(base);
    const struct
    {
        int rectHeight;
        int lines;
    } cases[] = {{1, 1}, {h, 1}, {2 * h - 1, 1}, {2 * h, 2}, {3 * h - 1, 2}, {3 * h, 3}, {10 * h, 3}};
    for (const auto &c : cases) {
        const Drawn d =
            Draw("un<br>deux<br>trois", QSize(60, 4 * h), base, {}, Qt::black, QRect(0, 0, 60, c.rectHeight));
        EXPECT_EQ(d.result.Height, c.lines * h) << c.rectHeight;
        for (int line = 0; line < 3; ++line)
            EXPECT_EQ(Empty(d.image, QRect(0, line * h, 60, h)), line >= c.lines)
                << c.rectHeight << " " << line;
    }
    // Measuring only goes through the whole text.
    TMarkupOptions measure;
    measure.MeasureOnly = true;
    const Drawn m =
        Draw("un<br>deux<br>trois", QSize(60, 4 * h), base, measure, Qt::black, QRect(0, 0, 60, 1));
    EXPECT_EQ(m.result.Height, 3 * h);
    EXPECT_TRUE(Empty(m.image, m.image.rect()));
}

TEST(MarkupSurface, FontPenBrushAndClipComeBackUnchanged)
{
    QImage image = Blank(QSize(100, 40));
    QPainter p(&image);
    const QFont f = TestFont("Tahoma", 9);
    p.setFont(f);
    p.setPen(QColor(1, 2, 3));
    p.setBrush(QColor(200, 10, 10));
    p.setBackground(QColor(5, 6, 7));
    p.setBackgroundMode(Qt::OpaqueMode);
    RenderMarkup(p,
                 "<B><I><U><FONT face=\"Arial\" size=5 color=\"clred\" bgcolor=\"clyellow\">x<SH>y</SH><HR>",
                 QRect(0, 0, 100, 40), TMarkupOptions());
    EXPECT_EQ(p.font(), f);
    EXPECT_EQ(p.pen().color(), QColor(1, 2, 3));
    EXPECT_EQ(p.brush().color(), QColor(200, 10, 10));
    EXPECT_EQ(p.background().color(), QColor(5, 6, 7));
    EXPECT_EQ(p.backgroundMode(), Qt::TransparentMode);
    EXPECT_FALSE(p.hasClipping());
}

TEST(MarkupWrap, PlacementBoundaries)
{
    const QFont base = TestFont();
    const int h = Height(base);
    const int unDeux = Width(base, "un ") + Width(base, "deux");
    const int wide = Width(base, "bbbb");
    const struct
    {
        const char *text;
        int avail;
        int lines;
    } cases[] = {
        {"un deux", unDeux, 2}, // the line must stay narrower than the available width
        {"un deux", unDeux + 1, 1},
        {"aa bbbb", wide, 2}, // a piece as wide as the whole line gets a line of its own
        {"aa bbbb", wide + 1, 2},
        {"bbbb bbbb", wide, 2}, // two such pieces never share a line, where one would be cut off
        {"un deux", 0, 2},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Measure(QString::fromLatin1(c.text), QSize(c.avail + 1, 50), base).Height, c.lines * h)
            << c.text << " in " << c.avail;
}

TEST(MarkupMeasure, WidthGrowsToALineWidthPlusTwoOnlyWhenPassed)
{
    const QFont base = TestFont();
    // Two letters one pixel apart: a line of the wider one after a line of the narrower one
    // is wider than the first line but not than the first line plus two.
    QString s, a;
    for (char n = 'a'; n <= 'z' && a.isEmpty(); ++n)
        for (char w = 'a'; w <= 'z' && a.isEmpty(); ++w)
            if (Width(base, QString(QChar(n))) + 1 == Width(base, QString(QChar(w))))
                s = QChar(n), a = QChar(w);
    ASSERT_FALSE(a.isEmpty());
    const struct
    {
        QString text;
        int width;
    } cases[] = {
        {a, Width(base, a) + 2},
        {s + "<br>" + a, Width(base, s) + 2},
        {a + "<br>" + s, Width(base, a) + 2},
        {s + "<br>" + a + a, Width(base, a + a) + 2},
        {a + " ", Width(base, a) + 2},
        {a + "<br>", Width(base, a) + 2},
        {"<br>", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Measure(c.text, QSize(200, 100), base).Width, c.width) << c.text.toStdString();
}

TEST(MarkupLines, StopUsesTheFontOfTheFinishedLinesStart)
{
    const QFont base = TestFont(QStringLiteral("Tahoma"), 8);
    const QFont big = Sized(base, 20);
    const int hb = Height(base);
    const int hbig = Height(big);
    ASSERT_GT(hbig, hb);
    // The second line starts in the big font and ends in the base font.
    const QString text = QStringLiteral("<FONT size=20>x<br>y</FONT><br>z");
    const int third = hbig + hbig;
    for (const auto &[bottom, drawn] :
         {std::pair{third + hb, false}, {third + hbig - 1, false}, {third + hbig, true}}) {
        const Drawn d = Draw(text, QSize(60, third + 2 * hbig), base, {}, Qt::black, QRect(0, 0, 60, bottom));
        EXPECT_EQ(!Empty(d.image, QRect(0, third, 60, hb)), drawn) << bottom;
    }
}

#include "MarkupTestUtil.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>
#include <vector>

using namespace markup_test;

namespace {

struct Part
{
    QString text;
    QFont font;
    QColor color = Qt::black;
    QColor background = QColor();
};

// Draws parts one after another on the first line, bottom-aligned to the line box.
QImage Expected(QSize size, const QFont &base, const std::vector<Part> &parts)
{
    int lineHeight = Height(base);
    for (const Part &p : parts)
        lineHeight = std::max(lineHeight, Height(p.font));
    Reference ref(size);
    int x = 1;
    for (const Part &p : parts) {
        const int top = lineHeight - Height(p.font);
        if (p.background.isValid())
            ref.painter().fillRect(QRect(x, top, Width(p.font, p.text), Height(p.font)), p.background);
        x = ref.pieces(x, top, p.font, p.color, {p.text});
    }
    return ref.image();
}

QFont Sized(QFont f, int points)
{
    f.setPointSize(points);
    return f;
}

QFont Face(QFont f, const QString &family)
{
    f.setFamily(family);
    return f;
}

} // namespace

TEST(MarkupTags, StylesFontsAndColours)
{
    const QFont b = TestFont();
    const QFont bold = Styled(b, true);
    const QFont italic = Styled(b, false, true);
    const QFont tahoma = Face(b, "Tahoma");
    const QColor red(255, 0, 0), yellow(255, 255, 0), aqua(0, 255, 255);
    const struct
    {
        const char *markup;
        std::vector<Part> parts;
    } cases[] = {
        {"<B>Tem</B>po", {{"Tem", bold}, {"po", b}}},
        {"<b>a", {{"a", bold}}},
        {"<B >a", {{"a", b}}},
        {"<BX>a", {{"a", b}}},
        {"<I>a</I>b", {{"a", italic}, {"b", b}}},
        {"<I>a</Ixyz>b", {{"a", italic}, {"b", b}}},
        {"<I >a", {{"a", b}}},
        {"<U>a</U>b", {{"a", Styled(b, false, false, true)}, {"b", b}}},
        {"<S>a</S>b", {{"a", Styled(b, false, false, false, true)}, {"b", b}}},
        {"<S>a</Strike>b", {{"a", Styled(b, false, false, false, true)}, {"b", b}}},
        {"<B><I><U><S>a", {{"a", Styled(b, true, true, true, true)}}},
        {"<FONT color=\"clred\">a</Bxx>b", {{"a", b, red}, {"b", b}}},
        {"<B><FONT color=\"clred\">a</BR>b</B>c", {{"a", bold, red}, {"b", bold}, {"c", b}}},
        {"<FONT face=\"Tahoma\">a</FONT>b", {{"a", tahoma}, {"b", b}}},
        {"<FONT face=\"tahoma\">a", {{"a", tahoma}}},
        {"<FONT size=1>a", {{"a", Sized(b, 8)}}},
        {"<FONT size=3>a", {{"a", Sized(b, 12)}}},
        {"<FONT size=\"5\">a", {{"a", Sized(b, 16)}}},
        {"<FONT size=20>a</FONT>b", {{"a", Sized(b, 20)}, {"b", b}}},
        {"<FONT size=x>a", {{"a", b}}},
        {"<F color=\"clred\">a", {{"a", b}}},
        {"<FONT bgcolor=\"clred\">a", {{"a", b, Qt::black, red}}},
        {"<FONT color=\"clred\"><B>a</FONT>b", {{"a", bold, red}, {"b", bold}}},
        {"<FONT face=\"Tahoma\" size=4><I>a</FONT>b",
         {{"a", Styled(Sized(tahoma, 14), false, true)}, {"b", italic}}},
        {"<FONT bgcolor=\"clyellow\">a</FONT>b", {{"a", b, Qt::black, yellow}, {"b", b}}},
        {"<FONT bgcolor=\"clyellow\">a<FONT bgcolor=\"claqua\">b</FONT>c</FONT>d",
         {{"a", b, Qt::black, yellow},
          {"b", b, Qt::black, aqua},
          {"c", b, Qt::black, yellow},
          {"d", b, Qt::black, yellow}}},
        {"<WHAT>a<Q x=1>b", {{"a", b}, {"b", b}}},
        {"a<Z>cache</Z>b", {{"a", b}, {"b", b}}},
        {"<BLINK>a</BLINK>b", {{"a", b}, {"b", b}}},
        {"<IMG src=\"http://example.invalid/x.png\">a", {{"a", b}}},
        {"<R a=\"90\">a</R>", {{"a", b}}},
    };
    const QSize size(120, 40);
    for (const auto &c : cases)
        EXPECT_TRUE(SameImage(Draw(QString::fromLatin1(c.markup), size, b).image, Expected(size, b, c.parts)))
            << c.markup;
}

TEST(MarkupTags, LineBreakTags)
{
    const QFont b = TestFont();
    const int h = Height(b);
    for (const char *tag :
         {"<BR>", "<br>", "<bR/>", "<BRxyz>", "<HR>", "<hr size=2>", "</P>", "</LI>", "<UL>"})
        EXPECT_EQ(Measure(QString("a%1b").arg(QLatin1String(tag)), QSize(100, 100), b).Height, 2 * h) << tag;
    for (const char *tag : {"<B>", "<P>", "<LI>", "</UL>", "<FONT>", "</A>"})
        EXPECT_EQ(Measure(QString("a%1b").arg(QLatin1String(tag)), QSize(100, 100), b).Height, h) << tag;
}

TEST(MarkupTags, PreprocessingOfHashAndLineEnds)
{
    const QFont b = TestFont();
    const QSize size(100, 40);
    const struct
    {
        const char *markup;
        const char *same;
    } cases[] = {
        {"a<#b>c", "a#bc"}, {"<#x>y<#z>", "#xy"}, {"a\r\nb", "a<br>b"}, {"a\rb", "a<br>b"}, {"a\nb", "ab"},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(SameImage(Draw(QString::fromLatin1(c.markup), size, b).image,
                              Draw(QString::fromLatin1(c.same), size, b).image))
            << c.markup;
}

TEST(MarkupTags, Links)
{
    const QFont b = TestFont();
    const QSize size(150, 20);
    const QString text = QStringLiteral("avant <A href=\"Cible.HTML\">lien</A> fin");
    const int linkX = 1 + Width(b, "avant ");
    const int linkW = Width(b, "lien");
    const QFont underlined = Styled(b, false, false, true);
    const QColor blue(0, 0, 255);
    EXPECT_TRUE(
        SameImage(Draw(text, size, b).image,
                  Expected(size, b, {{"avant ", b}, {"lien", underlined, blue}, {" ", b}, {"fin", b}})));

    const struct
    {
        QPoint point;
        bool hit;
    } points[] = {{{linkX, 0}, true},          {{linkX + linkW - 1, 5}, true}, {{linkX - 1, 5}, false},
                  {{linkX + linkW, 5}, false}, {{linkX, Height(b)}, false},    {{-1, -1}, false}};
    for (const auto &pt : points) {
        TMarkupOptions o;
        o.TestPoint = pt.point;
        TMarkupResult r;
        r = Measure(text, size, b, o);
        EXPECT_EQ(r.LinkHit, pt.hit) << pt.point.x() << "," << pt.point.y();
        EXPECT_EQ(r.LinkTarget, pt.hit ? QStringLiteral("Cible.HTML") : QString());
    }

    // Hovered with hover on: the hover colours.
    TMarkupOptions hover;
    hover.TestPoint = QPoint(linkX + 1, 3);
    hover.Hover = true;
    hover.HoverFontColor = QColor(255, 0, 0);
    hover.HoverColor = QColor(255, 255, 0);
    const Drawn d = Draw(text, size, b, hover);
    EXPECT_TRUE(d.result.LinkHit);
    EXPECT_TRUE(SameImage(d.image, Expected(size, b,
                                            {{"avant ", b},
                                             {"lien", underlined, QColor(255, 0, 0), QColor(255, 255, 0)},
                                             {" ", b},
                                             {"fin", b}})));
}

TEST(MarkupTags, ParagraphAlignmentIndentationAndBand)
{
    const QFont b = TestFont();
    const int h = Height(b);
    const int w = 120;
    const QSize size(w, 3 * h);
    const int textW = Width(b, "texte");
    const struct
    {
        const char *markup;
        int x;
    } cases[] = {
        {"<P align=\"left\">texte", 1},
        {"<P align=\"right\">texte", w - textW},
        {"<P align=\"RIGHT\">texte ", w - textW},
        {"<P align=\"center\">texte", 1 + (w - 1 - textW) / 2},
        {"<P indent=\"10\">texte", 11},
        {"<P align=\"right\" indent=\"5\">texte", w - textW + 5},
        {"a<IN x=\"30\">texte", -1},
        {"<OF x=\"40\">texte", 41},
    };
    for (const auto &c : cases) {
        Reference ref(size);
        if (c.x < 0)
            ref.pieces(ref.pieces(1, 0, b, Qt::black, {"a"}) - 1 + 31 - Width(b, "a"), 0, b, Qt::black,
                       {"texte"});
        else
            ref.pieces(c.x, 0, b, Qt::black, {"texte"});
        EXPECT_TRUE(SameImage(Draw(QString::fromLatin1(c.markup), size, b).image, ref.image())) << c.markup;
    }
    // The alignment stays for the next lines; the band covers the paragraph's lines only.
    const Drawn d = Draw("<P align=\"right\" bgcolor=\"clyellow\">un<br>deux</P>trois", size, b);
    Reference ref(size);
    ref.painter().fillRect(QRect(1, 0, w - 1, 2 * h), QColor(255, 255, 0));
    ref.pieces(w - Width(b, "un"), 0, b, Qt::black, {"un"});
    ref.pieces(w - Width(b, "deux"), h, b, Qt::black, {"deux"});
    ref.pieces(w - Width(b, "trois"), 2 * h, b, Qt::black, {"trois"});
    EXPECT_TRUE(SameImage(d.image, ref.image()));
}

TEST(MarkupTags, ListItemsAreIndentedWithABullet)
{
    const QFont b = TestFont();
    const int h = Height(b);
    const QSize size(120, 4 * h);
    const Drawn d = Draw("<UL><LI>un</LI><LI>deux</LI></UL>fin", size, b);
    EXPECT_EQ(d.result.Height, 4 * h);
    Reference ref(size);
    ref.pieces(13, h, b, Qt::black, {QStringLiteral("\u2022 "), "un"});
    ref.pieces(13, 2 * h, b, Qt::black, {QStringLiteral("\u2022 "), "deux"});
    ref.pieces(1, 3 * h, b, Qt::black, {"fin"});
    EXPECT_TRUE(SameImage(d.image, ref.image()));
}

TEST(MarkupTags, SuperscriptAndSubscriptRaiseTheLine)
{
    const QFont b = TestFont();
    const int h = Height(b);
    const int q = h / 4;
    const QSize size(60, 30);
    {
        const Drawn d = Draw("a<SUP>b</SUP>", size, b);
        EXPECT_EQ(d.result.Height, h + q);
        Reference ref(size);
        const int x = ref.pieces(1, q, b, Qt::black, {"a"});
        ref.pieces(x, 0, b, Qt::black, {"b"});
        EXPECT_TRUE(SameImage(d.image, ref.image()));
    }
    {
        const Drawn d = Draw("a<SUB>b</SUB>", size, b);
        EXPECT_EQ(d.result.Height, h + q);
        Reference ref(size);
        const int x = ref.pieces(1, 0, b, Qt::black, {"a"});
        ref.pieces(x, q, b, Qt::black, {"b"});
        EXPECT_TRUE(SameImage(d.image, ref.image()));
    }
}

TEST(MarkupTags, ShadowHighlightErrorAndRectangleBackground)
{
    const QFont b = TestFont();
    const int h = Height(b);
    const QSize size(60, 20);
    {
        TMarkupOptions o;
        o.ShadowOffset = 2;
        Reference ref(size);
        ref.pieces(3, 2, b, QColor(128, 128, 128), {"a"});
        ref.pieces(1, 0, b, Qt::black, {"a"});
        EXPECT_TRUE(SameImage(Draw("<SHADOW>a</SHADOW>", size, b, o).image, ref.image()));
    }
    {
        const QPalette pal = QGuiApplication::palette();
        EXPECT_TRUE(SameImage(
            Draw("<HI>a</HI>b", size, b).image,
            Expected(
                size, b,
                {{"a", b, pal.color(QPalette::HighlightedText), pal.color(QPalette::Highlight)}, {"b", b}})));
    }
    {
        const Drawn d = Draw("<E>faute</E> juste", size, b);
        const int w = Width(b, "faute");
        EXPECT_TRUE(Colours(d.image, QRect(1, h - 3, w, 3)).contains(qRgb(255, 0, 0)));
        EXPECT_FALSE(Colours(d.image, QRect(1 + w + 1, 0, 60, h)).contains(qRgb(255, 0, 0)));
    }
    {
        const Drawn d = Draw("<BODY bgcolor=\"clyellow\">a", size, b);
        Reference ref(size);
        ref.painter().fillRect(QRect(QPoint(0, 0), size), QColor(255, 255, 0));
        ref.pieces(1, 0, b, Qt::black, {"a"});
        EXPECT_TRUE(SameImage(d.image, ref.image()));
    }
}

TEST(MarkupOptions, LineSpacingWrapAndEllipsis)
{
    const QFont b = TestFont();
    const int h = Height(b);
    {
        TMarkupOptions o;
        o.LineSpacing = 3;
        const Drawn d = Draw("a<br>b", QSize(40, 40), b, o);
        EXPECT_EQ(d.result.Height, 2 * (h + 3));
        Reference ref(QSize(40, 40));
        ref.pieces(1, 3, b, Qt::black, {"a"});
        ref.pieces(1, h + 6, b, Qt::black, {"b"});
        EXPECT_TRUE(SameImage(d.image, ref.image()));
    }
    const QString text = QStringLiteral("un deux trois quatre cinq");
    const QSize narrow(50, 100);
    EXPECT_GT(Measure(text, narrow, b).Height, h);
    TMarkupOptions noWrap;
    noWrap.WordWrap = false;
    EXPECT_EQ(Measure(text, narrow, b, noWrap).Height, h);
    EXPECT_EQ(Measure(text, narrow, b, noWrap).Width, Width(b, text) + 2);
    TMarkupOptions ellipsis;
    ellipsis.Ellipsis = true;
    const Drawn d = Draw(text, narrow, b, ellipsis);
    EXPECT_EQ(d.result.Height, h);
    Reference ref(narrow);
    ref.pieces(1, 0, b, Qt::black, {Metrics(b).elidedText(text, Qt::ElideRight, 50 - 1)});
    EXPECT_TRUE(SameImage(d.image, ref.image()));
}

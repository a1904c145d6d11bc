#include "ui/RtfReader.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>
#include <gtest/gtest.h>
#include <iterator>
#include <random>

namespace {

struct TextRun
{
    QString text;
    QTextCharFormat format;
};

QList<TextRun> Runs(const QTextBlock &block)
{
    QList<TextRun> runs;
    for (auto it = block.begin(); !it.atEnd(); ++it)
        runs.append({it.fragment().text(), it.fragment().charFormat()});
    return runs;
}

QStringList Blocks(const QTextDocument &document)
{
    QStringList blocks;
    for (QTextBlock b = document.begin(); b.isValid(); b = b.next())
        blocks << b.text();
    return blocks;
}

} // namespace

// The about box's title, four lines each followed by a line break.
TEST(RtfReader, ReadsTheTitleAsRightAlignedBoldArialWithARedMiddle)
{
    const QString rtf = QStringLiteral(
        "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil Arial;}}\r\n"
        "{\\colortbl ;\\red255\\green0\\blue0;}\r\n"
        "\\viewkind4\\uc1\\pard\\qr\\lang1036\\b\\fs36 Tem\\cf1 po\\cf0 vir\\b0\\f1 \r\n"
        "\\par }\r\n");
    QTextDocument document;
    ReadRtf(rtf, document);

    ASSERT_EQ(Blocks(document), QStringList{QStringLiteral("Tempovir")});
    const QTextBlock block = document.begin();
    EXPECT_EQ(block.blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    const QList<TextRun> runs = Runs(block);
    ASSERT_EQ(runs.size(), 3);
    const char *const texts[] = {"Tem", "po", "vir"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(texts[i]);
        const QTextCharFormat &f = runs[i].format;
        EXPECT_EQ(runs[i].text, QLatin1String(texts[i]));
        EXPECT_EQ(f.fontFamilies().toStringList(), QStringList{QStringLiteral("Arial")});
        EXPECT_DOUBLE_EQ(f.fontPointSize(), 18.0);
        EXPECT_EQ(f.fontWeight(), QFont::Bold);
        EXPECT_FALSE(f.fontItalic());
        // Only "po" has a colour; the others take the default text colour.
        EXPECT_EQ(f.hasProperty(QTextFormat::ForegroundBrush), i == 1);
    }
    EXPECT_EQ(runs[1].format.foreground().color(), QColor(255, 0, 0));
}

TEST(RtfReader, ParagraphsAndAlignment)
{
    struct Case
    {
        const char *rtf;
        QStringList blocks;
        QList<Qt::Alignment> alignments;
    };
    const Case cases[] = {
        {R"({\rtf1 one\par two\par})", {"one", "two"}, {Qt::AlignLeft, Qt::AlignLeft}},
        // \pard ends the centring for the next paragraph only.
        {R"({\rtf1\qc mid\par\pard left\par})", {"mid", "left"}, {Qt::AlignHCenter, Qt::AlignLeft}},
        // The alignment in force at \par is the paragraph's; a group's own ends with it.
        {R"({\rtf1 {\qr right\par}after})", {"right", "after"}, {Qt::AlignRight, Qt::AlignLeft}},
        {R"({\rtf1\qj just})", {"just"}, {Qt::AlignJustify}},
        // An empty paragraph in the middle stays; the one after the last \par does not.
        {R"({\rtf1 a\par\par b\par })", {"a", "", "b"}, {Qt::AlignLeft, Qt::AlignLeft, Qt::AlignLeft}},
        {"{\\rtf1 a\\line b}", {QStringLiteral("a\u2028b")}, {Qt::AlignLeft}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rtf);
        QTextDocument document;
        ReadRtf(QString::fromUtf8(c.rtf), document);
        EXPECT_EQ(Blocks(document), c.blocks);
        QTextBlock b = document.begin();
        for (const Qt::Alignment a : c.alignments) {
            ASSERT_TRUE(b.isValid());
            EXPECT_EQ(b.blockFormat().alignment() & Qt::AlignHorizontal_Mask, a);
            b = b.next();
        }
    }
}

TEST(RtfReader, CharactersEscapesAndSkippedGroups)
{
    struct Case
    {
        const char *rtf;
        const char *text; // UTF-8
    };
    const Case cases[] = {
        {R"({\rtf1\ansi\ansicpg1252 caf\'e9 \'80 \'93q\'94})", "café € “q”"},
        // The fallback after \u is skipped, as many characters as \uc says, \'hh counting as one.
        {R"({\rtf1\uc1 \u8364?x\u233\'e9y})", "€xéy"},
        {R"({\rtf1\uc2 \u-4064 ab.})", "\xef\x80\xa0."},
        {R"({\rtf1\uc0 \u233 z})", "éz"},
        {R"({\rtf1 a\\b\{c\}d\~e})", "a\\b{c}d\xc2\xa0"
                                     "e"},
        {R"({\rtf1 {\*\unknowndest hidden {nested}}{\info {\title T}}{\stylesheet {\s0 Normal;}}shown})",
         "shown"},
        {R"({\rtf1 \emdash\endash\bullet\lquote\rquote\ldblquote\rdblquote})", "—–•‘’“”"},
        // A control word's delimiting space is not text; a second one is.
        {R"({\rtf1\b  x})", " x"},
        // Malformed input is read as far as it goes.
        {R"({\rtf1 {\b open)", "open"},
        {R"(}}}a{)", "a"},
        {R"({\rtf1 end\)", "end"},
        {R"({\rtf1 bad\'4)", "bad4"},
        {R"({\rtf1 \fs-99999999999999999 big})", "big"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.rtf);
        QTextDocument document;
        ReadRtf(QString::fromUtf8(c.rtf), document);
        EXPECT_EQ(document.toRawText(), QString::fromUtf8(c.text));
    }
}

TEST(RtfReader, CharacterFormatsFollowGroupsAndPlain)
{
    QTextDocument document;
    ReadRtf(QStringLiteral("{\\rtf1\\deff1{\\fonttbl{\\f0 Courier New;}{\\f1 Times New Roman;}}"
                           "{\\colortbl;\\red0\\green0\\blue255;}"
                           "{\\b\\i\\ul\\fs21\\cf1\\f0 a}b{\\cf9\\i c}\\b d\\plain e}"),
            document);
    const QList<TextRun> runs = Runs(document.begin());
    ASSERT_EQ(runs.size(), 5);
    EXPECT_EQ(runs[0].text, QStringLiteral("a"));
    EXPECT_EQ(runs[0].format.fontWeight(), QFont::Bold);
    EXPECT_TRUE(runs[0].format.fontItalic());
    EXPECT_TRUE(runs[0].format.fontUnderline());
    EXPECT_DOUBLE_EQ(runs[0].format.fontPointSize(), 10.5);
    EXPECT_EQ(runs[0].format.foreground().color(), QColor(0, 0, 255));
    EXPECT_EQ(runs[0].format.fontFamilies().toStringList(), QStringList{QStringLiteral("Courier New")});
    // The group's end restores everything; the default font is \deff's.
    EXPECT_EQ(runs[1].text, QStringLiteral("b"));
    EXPECT_EQ(runs[1].format.fontWeight(), QFont::Normal);
    EXPECT_FALSE(runs[1].format.fontItalic());
    EXPECT_DOUBLE_EQ(runs[1].format.fontPointSize(), 12.0);
    EXPECT_FALSE(runs[1].format.hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(runs[1].format.fontFamilies().toStringList(), QStringList{QStringLiteral("Times New Roman")});
    // A colour the table lacks is the default colour.
    EXPECT_EQ(runs[2].text, QStringLiteral("c"));
    EXPECT_FALSE(runs[2].format.hasProperty(QTextFormat::ForegroundBrush));
    EXPECT_EQ(runs[3].format.fontWeight(), QFont::Bold);
    EXPECT_EQ(runs[4].text, QStringLiteral("e"));
    EXPECT_EQ(runs[4].format.fontWeight(), QFont::Normal);
}

TEST(RtfReader, ReadingAgainReplacesTheDocument)
{
    QTextDocument document;
    ReadRtf(QStringLiteral("{\\rtf1 first\\par second}"), document);
    ReadRtf(QStringLiteral("{\\rtf1 third}"), document);
    EXPECT_EQ(Blocks(document), QStringList{QStringLiteral("third")});
}

// Text from elsewhere (a damaged form, a hand edit) must never crash the reader or hang it.
TEST(RtfReader, ReadsArbitraryInputWithoutFailing)
{
    const QString alphabet = QStringLiteral("{}\\\\\\\\'';-0123456789abfqrstuclpdx *\r\né€");
    const char *const words[] = {"\\par ",     "\\u",     "\\uc9",    "\\'",          "\\*",  "\\fonttbl",
                                 "\\colortbl", "\\f1",    "\\cf1",    "\\fs",         "\\b0", "\\red300",
                                 "\\qr",       "\\plain", "{\\info ", "\\ansicpg932 "};
    std::mt19937 random(20261210);
    for (int round = 0; round < 2000; ++round) {
        QString rtf;
        const int length = int(random() % 80);
        for (int i = 0; i < length; ++i) {
            if (random() % 3 == 0)
                rtf += QLatin1String(words[random() % std::size(words)]);
            else
                rtf += alphabet.at(qsizetype(random() % alphabet.size()));
        }
        QTextDocument document;
        ReadRtf(rtf, document);
        ASSERT_LE(document.characterCount(), rtf.size() + 1) << rtf.toStdString();
    }
}

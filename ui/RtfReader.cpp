#include "ui/RtfReader.h"

#include "platform/Ascii.h"

#include <QByteArray>
#include <QColor>
#include <QList>
#include <QMap>
#include <QStringDecoder>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <optional>

namespace {

enum class Destination { Text, FontTable, ColorTable, Skip };

// Everything a group's closing brace restores.
struct GroupState
{
    Destination destination = Destination::Text;
    int font = -1; // -1: the default font \deff names
    int halfPoints = 24;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    int color = 0;
    Qt::Alignment alignment = Qt::AlignLeft;
    int unicodeSkip = 1; // \uc: fallback characters that follow each \u
};

class Reader
{
public:
    Reader(const QString &rtf, QTextDocument &document) : m_rtf(rtf), m_cursor(&document)
    {
        document.clear();
    }

    void Run()
    {
        const qsizetype n = m_rtf.size();
        while (m_pos < n) {
            const QChar c = m_rtf.at(m_pos);
            if (c == u'{') {
                ++m_pos;
                FlushText();
                m_stack.append(m_state);
                m_skip = 0;
            } else if (c == u'}') {
                ++m_pos;
                FlushText();
                if (!m_stack.isEmpty())
                    m_state = m_stack.takeLast();
                m_skip = 0;
            } else if (c == u'\\') {
                ++m_pos;
                ReadControl();
            } else {
                ++m_pos;
                if (c != u'\r' && c != u'\n')
                    Character(c);
            }
        }
        FlushText();
    }

private:
    void ReadControl()
    {
        const qsizetype n = m_rtf.size();
        if (m_pos >= n)
            return;
        const QChar c = m_rtf.at(m_pos);
        if (!IsLetter(c)) {
            ++m_pos;
            ControlSymbol(c);
            return;
        }
        const qsizetype start = m_pos;
        while (m_pos < n && IsLetter(m_rtf.at(m_pos)))
            ++m_pos;
        const QString word = m_rtf.mid(start, m_pos - start);
        std::optional<int> param;
        const qsizetype numberStart = m_pos;
        if (m_pos < n && m_rtf.at(m_pos) == u'-')
            ++m_pos;
        qint64 value = 0;
        bool digits = false;
        while (m_pos < n && m_rtf.at(m_pos).isDigit() && m_rtf.at(m_pos).unicode() < 128) {
            value = std::min<qint64>(value * 10 + (m_rtf.at(m_pos).unicode() - u'0'), 1'000'000'000);
            digits = true;
            ++m_pos;
        }
        if (digits)
            param = int(m_rtf.at(numberStart) == u'-' ? -value : value);
        else
            m_pos = numberStart;
        if (m_pos < n && m_rtf.at(m_pos) == u' ')
            ++m_pos; // the delimiter belongs to the control word
        ControlWord(word, param);
    }

    void ControlSymbol(QChar c)
    {
        switch (c.unicode()) {
        case u'\'': {
            int byte = -1;
            if (m_pos + 1 < m_rtf.size()) {
                const int high = platform::HexDigitValue(m_rtf.at(m_pos).unicode());
                const int low = platform::HexDigitValue(m_rtf.at(m_pos + 1).unicode());
                if (high >= 0 && low >= 0) {
                    byte = high * 16 + low;
                    m_pos += 2;
                }
            }
            if (byte < 0 || ConsumeSkip())
                return;
            if (m_state.destination == Destination::Text || m_state.destination == Destination::FontTable)
                m_bytes.append(char(byte));
            return;
        }
        case u'*':
            m_state.destination = Destination::Skip;
            return;
        case u'~':
            Character(QChar(0x00A0));
            return;
        case u'_':
            Character(QChar(0x2011));
            return;
        case u'\r':
        case u'\n':
            ControlWord(QStringLiteral("par"), std::nullopt);
            return;
        case u'\\':
        case u'{':
        case u'}':
            Character(c);
            return;
        default:
            return; // \- (optional hyphen), \| and the rest draw nothing
        }
    }

    void ControlWord(const QString &word, std::optional<int> param)
    {
        if (ConsumeSkip())
            return;
        const int p = param.value_or(1);
        GroupState &s = m_state;
        if (word == u"fonttbl") {
            s.destination = Destination::FontTable;
        } else if (word == u"colortbl") {
            s.destination = Destination::ColorTable;
            m_red = m_green = m_blue = -1;
        } else if (IsSkippedDestination(word)) {
            s.destination = Destination::Skip;
        } else if (s.destination == Destination::Skip) {
            return;
        } else if (word == u"red" || word == u"green" || word == u"blue") {
            if (s.destination == Destination::ColorTable) {
                const int v = std::clamp(p, 0, 255);
                (word == u"red" ? m_red : word == u"green" ? m_green : m_blue) = v;
            }
        } else if (word == u"deff") {
            m_defaultFont = p;
        } else if (word == u"ansicpg") {
            FlushText();
            m_decoder = QStringDecoder(QByteArray("windows-") + QByteArray::number(p));
        } else if (word == u"f") {
            FlushText();
            if (s.destination == Destination::FontTable)
                m_fontName.clear();
            s.font = p;
        } else if (word == u"fs") {
            FlushText();
            if (p > 0)
                s.halfPoints = p;
        } else if (word == u"b" || word == u"i" || word == u"ul" || word == u"ulnone") {
            FlushText();
            const bool on = word != u"ulnone" && p != 0;
            (word == u"b" ? s.bold : word == u"i" ? s.italic : s.underline) = on;
        } else if (word == u"plain") {
            FlushText();
            s.font = -1;
            s.halfPoints = 24;
            s.bold = s.italic = s.underline = false;
            s.color = 0;
        } else if (word == u"cf") {
            FlushText();
            s.color = p;
        } else if (word == u"pard") {
            s.alignment = Qt::AlignLeft;
        } else if (word == u"ql" || word == u"qr" || word == u"qc" || word == u"qj") {
            s.alignment = word == u"qr"   ? Qt::AlignRight
                          : word == u"qc" ? Qt::AlignHCenter
                          : word == u"qj" ? Qt::AlignJustify
                                          : Qt::AlignLeft;
        } else if (word == u"par") {
            EndParagraph();
        } else if (word == u"line") {
            Character(QChar::LineSeparator);
        } else if (word == u"tab") {
            Character(QChar(u'\t'));
        } else if (word == u"uc") {
            s.unicodeSkip = std::max(0, param.value_or(0));
        } else if (word == u"u" && param) {
            Character(QChar(char16_t(*param < 0 ? *param + 65536 : *param)));
            m_skip = s.unicodeSkip;
        } else if (word == u"emdash") {
            Character(QChar(0x2014));
        } else if (word == u"endash") {
            Character(QChar(0x2013));
        } else if (word == u"bullet") {
            Character(QChar(0x2022));
        } else if (word == u"lquote" || word == u"rquote") {
            Character(QChar(word == u"lquote" ? 0x2018 : 0x2019));
        } else if (word == u"ldblquote" || word == u"rdblquote") {
            Character(QChar(word == u"ldblquote" ? 0x201C : 0x201D));
        }
        // Every other word (\rtf, \ansi, \viewkind, \lang, \fnil, \fcharset ...) changes nothing
        // this reader shows.
    }

    static bool IsSkippedDestination(const QString &word)
    {
        static const QStringList skipped = {
            QStringLiteral("stylesheet"), QStringLiteral("info"),      QStringLiteral("pict"),
            QStringLiteral("object"),     QStringLiteral("header"),    QStringLiteral("footer"),
            QStringLiteral("headerl"),    QStringLiteral("headerr"),   QStringLiteral("headerf"),
            QStringLiteral("footerl"),    QStringLiteral("footerr"),   QStringLiteral("footerf"),
            QStringLiteral("footnote"),   QStringLiteral("listtable"), QStringLiteral("listoverridetable"),
            QStringLiteral("generator"),  QStringLiteral("themedata"), QStringLiteral("filetbl"),
        };
        return skipped.contains(word);
    }

    static bool IsLetter(QChar c)
    {
        const char16_t u = c.unicode();
        return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
    }

    // The \u fallback characters are skipped; each character, \'hh or control word is one.
    bool ConsumeSkip()
    {
        if (m_skip <= 0)
            return false;
        --m_skip;
        return true;
    }

    void Character(QChar c)
    {
        if (ConsumeSkip())
            return;
        DecodeBytes();
        switch (m_state.destination) {
        case Destination::Text:
            m_text.append(c);
            break;
        case Destination::FontTable:
            if (c == u';') {
                m_fonts.insert(m_state.font, m_fontName.trimmed());
                m_fontName.clear();
            } else {
                m_fontName.append(c);
            }
            break;
        case Destination::ColorTable:
            if (c == u';') {
                m_colors.append(m_red < 0 && m_green < 0 && m_blue < 0
                                    ? QColor()
                                    : QColor(std::max(m_red, 0), std::max(m_green, 0), std::max(m_blue, 0)));
                m_red = m_green = m_blue = -1;
            }
            break;
        case Destination::Skip:
            break;
        }
    }

    void DecodeBytes()
    {
        if (m_bytes.isEmpty())
            return;
        const QString decoded =
            m_decoder.isValid() ? m_decoder.decode(m_bytes) : QString::fromLatin1(m_bytes);
        m_bytes.clear();
        if (m_state.destination == Destination::FontTable)
            m_fontName += decoded;
        else
            m_text += decoded;
    }

    void FlushText()
    {
        DecodeBytes();
        if (m_text.isEmpty())
            return;
        StartParagraph();
        m_cursor.insertText(m_text, CharFormat());
        m_text.clear();
        // Where no \par follows, the alignment in force at the text is the paragraph's.
        m_cursor.mergeBlockFormat(BlockFormat());
    }

    void StartParagraph()
    {
        if (m_inParagraph)
            return;
        if (!m_firstParagraph)
            m_cursor.insertBlock();
        m_firstParagraph = false;
        m_inParagraph = true;
    }

    void EndParagraph()
    {
        FlushText();
        StartParagraph();
        m_cursor.mergeBlockFormat(BlockFormat());
        m_inParagraph = false;
    }

    QTextBlockFormat BlockFormat() const
    {
        QTextBlockFormat format;
        format.setAlignment(m_state.alignment);
        return format;
    }

    QTextCharFormat CharFormat() const
    {
        QTextCharFormat format;
        const int font = m_state.font >= 0 ? m_state.font : m_defaultFont;
        const auto face = m_fonts.constFind(font);
        if (face != m_fonts.cend() && !face->isEmpty())
            format.setFontFamilies({*face});
        format.setFontPointSize(m_state.halfPoints / 2.0);
        format.setFontWeight(m_state.bold ? QFont::Bold : QFont::Normal);
        format.setFontItalic(m_state.italic);
        format.setFontUnderline(m_state.underline);
        if (m_state.color > 0 && m_state.color < m_colors.size() && m_colors.at(m_state.color).isValid())
            format.setForeground(m_colors.at(m_state.color));
        return format;
    }

    const QString &m_rtf;
    qsizetype m_pos = 0;
    QTextCursor m_cursor;
    GroupState m_state;
    QList<GroupState> m_stack;
    int m_skip = 0;
    int m_defaultFont = 0;
    QMap<int, QString> m_fonts;
    QString m_fontName;
    QList<QColor> m_colors;
    int m_red = -1;
    int m_green = -1;
    int m_blue = -1;
    QStringDecoder m_decoder{QStringDecoder::Latin1};
    QByteArray m_bytes;
    QString m_text;
    bool m_firstParagraph = true;
    bool m_inParagraph = false;
};

} // namespace

void ReadRtf(const QString &rtf, QTextDocument &document)
{
    Reader(rtf, document).Run();
}

#include "ui/MarkupRender.h"

#include "platform/Ascii.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPalette>
#include <QPolygon>

#include <algorithm>
#include <vector>

namespace {

constexpr int kListIndent = 12;
// Font sizes beyond this only cost memory in the glyph caches; a message never needs them.
constexpr int kMaxPointSize = 200;
constexpr int kMaxPosition = 100000;
// Widths saturate here instead of overflowing on absurd input.
constexpr int kMaxWidth = 1 << 28;

int SatAdd(int a, int b)
{
    return int(std::clamp<qint64>(qint64(a) + b, -kMaxWidth, kMaxWidth));
}

// Platform system-colour indexes, mapped to the nearest palette role.
QColor SystemColor(int index)
{
    const QPalette pal = QGuiApplication::palette();
    switch (index) {
    case 1:
        return pal.color(QPalette::Dark);
    case 2:
        return pal.color(QPalette::Active, QPalette::Highlight);
    case 3:
        return pal.color(QPalette::Inactive, QPalette::Highlight);
    case 4:
        return pal.color(QPalette::Window);
    case 5:
        return pal.color(QPalette::Base);
    case 6:
        return pal.color(QPalette::Shadow);
    case 7:
        return pal.color(QPalette::WindowText);
    case 8:
        return pal.color(QPalette::Text);
    case 9:
        return pal.color(QPalette::Active, QPalette::HighlightedText);
    case 10:
        return pal.color(QPalette::Window);
    case 11:
        return pal.color(QPalette::Window);
    case 12:
        return pal.color(QPalette::Mid);
    case 13:
        return pal.color(QPalette::Highlight);
    case 14:
        return pal.color(QPalette::HighlightedText);
    case 15:
        return pal.color(QPalette::Button);
    case 16:
        return pal.color(QPalette::Dark);
    case 17:
        return pal.color(QPalette::Disabled, QPalette::Text);
    case 18:
        return pal.color(QPalette::ButtonText);
    case 19:
        return pal.color(QPalette::Inactive, QPalette::HighlightedText);
    case 20:
        return pal.color(QPalette::Light);
    case 21:
        return pal.color(QPalette::Shadow);
    case 22:
        return pal.color(QPalette::Midlight);
    case 23:
        return pal.color(QPalette::ToolTipText);
    case 24:
        return pal.color(QPalette::ToolTipBase);
    default:
        return QColor(0, 0, 0);
    }
}

struct NamedColor
{
    const char16_t *name;
    QRgb rgb;  // used when index is 0
    int index; // system colour index
};

const NamedColor kNamedColors[] = {
    {u"clblack", qRgb(0, 0, 0), 0},
    {u"clred", qRgb(255, 0, 0), 0},
    {u"cllime", qRgb(0, 255, 0), 0},
    {u"clblue", qRgb(0, 0, 255), 0},
    {u"clyellow", qRgb(255, 255, 0), 0},
    {u"claqua", qRgb(0, 255, 255), 0},
    {u"clfuchsia", qRgb(255, 0, 255), 0},
    {u"clwhite", qRgb(255, 255, 255), 0},
    {u"clgreen", qRgb(0, 128, 0), 0},
    {u"clmaroon", qRgb(128, 0, 0), 0},
    {u"clnavy", qRgb(0, 0, 128), 0},
    {u"clolive", qRgb(128, 128, 0), 0},
    {u"clpurple", qRgb(128, 0, 128), 0},
    {u"clteal", qRgb(0, 128, 128), 0},
    {u"clgray", qRgb(128, 128, 128), 0},
    {u"clsilver", qRgb(192, 192, 192), 0},
    {u"clbackground", 0, 1},
    {u"clactivecaption", 0, 2},
    {u"clinactivecaption", 0, 3},
    {u"clmenu", 0, 4},
    {u"clwindow", 0, 5},
    {u"clwindowframe", 0, 6},
    {u"clmenutext", 0, 7},
    {u"clwindowtext", 0, 8},
    {u"clcaptiontext", 0, 9},
    {u"clactiveborder", 0, 10},
    {u"clinactiveborder", 0, 11},
    {u"clappworkspace", 0, 12},
    {u"clhighlight", 0, 13},
    {u"clhighlighttext", 0, 14},
    {u"clbtnface", 0, 15},
    {u"clbtnshadow", 0, 16},
    {u"clgraytext", 0, 17},
    {u"clbtntext", 0, 18},
    {u"clinactivecaptiontext", 0, 19},
    {u"clbtnhighlight", 0, 20},
    {u"cl3ddkshadow", 0, 21},
    {u"cl3dlight", 0, 22},
    {u"clinfotext", 0, 23},
    {u"clinfobk", 0, 24},
};

// One pair of hexadecimal digits from position at; missing or invalid digits count as 0.
int HexPair(QStringView v, qsizetype at)
{
    int value = 0;
    for (qsizetype i = at; i < at + 2 && i < v.size(); ++i) {
        const int d = platform::HexDigitValue(v[i].unicode());
        if (d < 0)
            return 0;
        value = value * 16 + d;
    }
    return value;
}

struct Entity
{
    const char16_t *name; // without the "&"
    char16_t value;
};

const Entity kEarlyEntities[] = {
    {u"amp;", u'&'},         {u"quot;", u'"'},       {u"sect;", u'\u00A7'},
    {u"permil;", u'\u2030'}, {u"reg;", u'\u00AE'},   {u"copy;", u'\u00A9'},
    {u"para;", u'\u00B6'},   {u"trade;", u'\u2122'}, {u"euro;", u'\u20AC'},
};

// Replaces the early entities until none is left. A produced "&" is looked at again with
// the text after it ("&amp;amp;" gives "&"), which keeps the work linear.
void ReplaceEarlyEntities(QString &s)
{
    if (!s.contains(u'&'))
        return;
    QString out;
    out.reserve(s.size());
    qsizetype i = 0;
    const qsizetype n = s.size();
    while (i < n) {
        if (s[i] == u'&') {
            const QStringView rest = QStringView(s).mid(i + 1);
            const Entity *found = nullptr;
            for (const Entity &e : kEarlyEntities) {
                if (rest.startsWith(QStringView(e.name), Qt::CaseInsensitive)) {
                    found = &e;
                    break;
                }
            }
            if (found) {
                const qsizetype len = QStringView(found->name).size() + 1;
                if (found->value == u'&') {
                    i += len - 1;
                    s[i] = u'&';
                } else {
                    out += QChar(found->value);
                    i += len;
                }
                continue;
            }
        }
        out += s[i];
        ++i;
    }
    s = out;
}

// The late entities, replaced inside one text piece (lower case only).
void ReplaceLateEntities(QString &t)
{
    if (!t.contains(u'&'))
        return;
    QString out;
    out.reserve(t.size());
    const QStringView v(t);
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'&') {
            const QStringView rest = v.mid(i + 1);
            if (rest.startsWith(u"nbsp;")) {
                out += QChar(0x00A0);
                i += 5;
                continue;
            }
            if (rest.startsWith(u"lt;")) {
                out += u'<';
                i += 3;
                continue;
            }
            if (rest.startsWith(u"gt;")) {
                out += u'>';
                i += 3;
                continue;
            }
        }
        out += v[i];
    }
    t = out;
}

// Position just after name in the (upper-cased) text, or -1. With notFollowedByTo, a match
// that continues with "TO" (BGCOLORTO when looking for BGCOLOR) is skipped.
qsizetype FindAttr(QStringView text, QStringView name, bool notFollowedByTo = false)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(name, from);
        if (at < 0)
            return -1;
        const qsizetype after = at + name.size();
        if (notFollowedByTo && text.mid(after).startsWith(u"TO")) {
            from = after;
            continue;
        }
        return after;
    }
}

// The text between the first and the second double quote from position from; null when
// there is no quote.
QString QuotedValue(QStringView text, qsizetype from)
{
    if (from < 0)
        return QString();
    const qsizetype open = text.indexOf(u'"', from);
    if (open < 0)
        return QString();
    qsizetype close = text.indexOf(u'"', open + 1);
    if (close < 0)
        close = text.size();
    return text.mid(open + 1, close - open - 1).toString();
}

// Leading digits of text from position from, or -1 when there are none.
int LeadingNumber(QStringView text, qsizetype from)
{
    if (from < 0 || from >= text.size() || text[from].unicode() < '0' || text[from].unicode() > '9')
        return -1;
    int value = 0;
    for (qsizetype i = from; i < text.size(); ++i) {
        const int d = text[i].unicode() >= '0' && text[i].unicode() <= '9' ? text[i].unicode() - '0' : -1;
        if (d < 0)
            break;
        value = std::min(kMaxPosition, value * 10 + d);
    }
    return value;
}

// A pixel value of a tag: the quoted value's digits, else the first digits of the tag.
int TagNumber(QStringView tag, qsizetype from)
{
    const QString quoted = QuotedValue(tag, from);
    if (!quoted.isNull())
        return std::max(0, LeadingNumber(quoted, 0));
    for (qsizetype i = from; i < tag.size(); ++i) {
        if (tag[i].unicode() >= '0' && tag[i].unicode() <= '9')
            return LeadingNumber(tag, i);
    }
    return 0;
}

enum class Align { Left, Right, Center };

struct Piece
{
    QString text;
    QFont font;
    QColor color;
    QColor background; // invalid: transparent
    int x = 0;         // from the line's start
    int width = 0;
    int height = 0;
    int ascent = 0;
    int shift = 0; // negative: superscript, positive: subscript
    int link = -1;
    bool highlight = false;
    bool shadow = false;
    bool error = false;
};

struct Line
{
    int width = 0;
    int height = 0;
    int gh = 0; // "gh" height in the font current at the line's start
    int supAllowance = 0;
    int subAllowance = 0;
    Align align = Align::Left;
    int indent = 0;
    bool rule = false;
    QColor band, bandTo;
    QColor fill, fillTo; // background of the whole rectangle
};

class Renderer
{
public:
    Renderer(QPainter &p, const QRect &rect, const TMarkupOptions &o)
        : m_p(p), m_opt(o), m_device(p.device()), m_baseFont(p.font()), m_fm(p.font()), m_drawFont(p.font()),
          m_drawMetrics(m_device ? QFontMetrics(p.font(), m_device) : QFontMetrics(p.font()))
    {
        m_baseColor = p.pen().color();
        m_font = m_baseFont;
        m_color = m_baseColor;
        m_left = rect.left() + 1;
        m_right = rect.left() + rect.width();
        m_top = rect.top();
        m_bottom = rect.top() + rect.height();
        m_rect = rect;
        m_wrap = o.WordWrap && !o.Ellipsis;
        m_draw = !o.MeasureOnly && p.isActive();
        updateMetrics();
    }

    bool run(const QString &text, TMarkupResult &res);

private:
    void updateMetrics()
    {
        m_fm = m_device ? QFontMetrics(m_font, m_device) : QFontMetrics(m_font);
        m_height = m_fm.height();
    }
    QFontMetrics metricsFor(const QFont &f) const
    {
        return m_device ? QFontMetrics(f, m_device) : QFontMetrics(f);
    }
    int textWidth(const QFontMetrics &fm, const QString &t) const;
    void drawText(const QFontMetrics &fm, int x, int baseline, const QString &t);
    void measureLine(Line &line);
    bool applyTag(QStringView tag, Line &line, int &curX, int &lineW);
    void fontTag(QStringView tag);
    void paragraphTag(QStringView tag, Line &line);
    void addPiece(const QString &t, int width, int curX, Line &line);
    void drawLine(const Line &line, int start, int top);

    QPainter &m_p;
    const TMarkupOptions &m_opt;
    QPaintDevice *m_device;
    QFont m_baseFont;
    QColor m_baseColor;
    QFontMetrics m_fm;
    int m_height = 0;
    QRect m_rect;
    int m_left = 0, m_right = 0, m_top = 0, m_bottom = 0;
    bool m_wrap = true;
    bool m_draw = true;

    QString m_s;
    qsizetype m_pos = 0;

    QFont m_font;
    QColor m_color;
    QColor m_background, m_savedBackground;
    Align m_align = Align::Left;
    int m_indent = 0;
    int m_listLevel = 0;
    int m_offset = 0;
    bool m_sup = false, m_sub = false, m_shadow = false, m_hidden = false, m_error = false;
    bool m_highlight = false;
    int m_link = -1;
    std::vector<QString> m_linkTargets;
    int m_hoveredLink = -1;
    QColor m_band, m_bandTo;
    std::vector<Piece> m_pieces;
    QFont m_drawFont;
    QFontMetrics m_drawMetrics;
};

int Renderer::textWidth(const QFontMetrics &fm, const QString &t) const
{
    if (!t.contains(u'\t'))
        return fm.horizontalAdvance(t);
    const int stop = std::max(1, 8 * fm.averageCharWidth());
    int x = 0;
    const QStringView v(t);
    qsizetype from = 0;
    while (true) {
        const qsizetype tab = v.indexOf(u'\t', from);
        x = SatAdd(x, fm.horizontalAdvance(v.mid(from, (tab < 0 ? v.size() : tab) - from).toString()));
        if (tab < 0)
            return x;
        x = SatAdd((x / stop) * stop, stop);
        from = tab + 1;
    }
}

void Renderer::drawText(const QFontMetrics &fm, int x, int baseline, const QString &t)
{
    if (!t.contains(u'\t')) {
        m_p.drawText(QPoint(x, baseline), t);
        return;
    }
    const int stop = std::max(1, 8 * fm.averageCharWidth());
    int dx = 0;
    const QStringView v(t);
    qsizetype from = 0;
    while (true) {
        const qsizetype tab = v.indexOf(u'\t', from);
        const QString part = v.mid(from, (tab < 0 ? v.size() : tab) - from).toString();
        m_p.drawText(QPoint(x + dx, baseline), part);
        dx = SatAdd(dx, fm.horizontalAdvance(part));
        if (tab < 0)
            return;
        dx = SatAdd((dx / stop) * stop, stop);
        from = tab + 1;
    }
}

void Renderer::addPiece(const QString &t, int width, int curX, Line &line)
{
    Piece p;
    p.text = t;
    p.font = m_font;
    p.color = m_color;
    p.background = m_background;
    p.x = curX;
    p.width = width;
    p.height = m_height;
    p.ascent = m_fm.ascent();
    p.link = m_link;
    p.highlight = m_highlight;
    p.shadow = m_shadow;
    p.error = m_error;
    if (m_link >= 0)
        p.font.setUnderline(true);
    const int quarter = m_height / 4;
    if (m_sup) {
        p.shift = -quarter;
        line.supAllowance = std::max(line.supAllowance, quarter);
    } else if (m_sub) {
        p.shift = quarter;
        line.subAllowance = std::max(line.subAllowance, quarter);
    }
    m_pieces.push_back(std::move(p));
}

void Renderer::measureLine(Line &line)
{
    m_pieces.clear();
    line.gh = m_height;
    line.band = m_band;
    line.bandTo = m_bandTo;
    int lineW = 0;
    int curX = m_offset;
    int maxHeight = 0;
    int trailingSpace = 0;
    bool endsWithSpace = false;
    const qsizetype n = m_s.size();

    while (m_pos < n) {
        const qsizetype start = m_pos;
        qsizetype end = start;
        bool endedAtSpace = false;
        while (end < n && m_s[end] != u'<') {
            if (m_wrap && m_s[end] == u' ') {
                ++end;
                endedAtSpace = true;
                break;
            }
            ++end;
        }
        if (end > start) {
            if (!m_hidden) {
                QString t = m_s.mid(start, end - start);
                ReplaceLateEntities(t);
                const int w = textWidth(m_fm, t);
                const int avail = (m_right - m_left) - m_offset;
                // A piece wider than the whole line goes on a line of its own, where it is cut at
                // the edge: next to other text it would push the rest of the line out of sight.
                const bool place =
                    !m_wrap || SatAdd(lineW, w) < avail || (w >= avail && lineW == 0) || !endsWithSpace;
                if (!place)
                    break; // the line ends before this piece
                addPiece(t, w, curX, line);
                curX = SatAdd(curX, w);
                lineW = SatAdd(lineW, w);
                maxHeight = std::max(maxHeight, m_height);
                endsWithSpace = t.endsWith(u' ');
                trailingSpace = endsWithSpace ? m_fm.horizontalAdvance(u' ') : 0;
            }
            m_pos = end;
            if (endedAtSpace)
                continue;
        }
        if (m_pos >= n)
            break;
        // A tag: the text was cut after the last one that has its ">".
        const qsizetype gt = m_s.indexOf(u'>', m_pos + 1);
        const QStringView tag = QStringView(m_s).mid(m_pos, gt - m_pos + 1);
        m_pos = gt + 1;
        if (applyTag(tag, line, curX, lineW))
            break;
    }
    line.width = std::max(0, lineW - (endsWithSpace ? trailingSpace : 0));
    line.height = std::max(maxHeight, line.gh) + m_opt.LineSpacing + line.supAllowance + line.subAllowance;
    line.align = m_align;
    line.indent = m_indent;
}

void Renderer::fontTag(QStringView tag)
{
    // Attributes are read after "<FONT", from the upper-cased text.
    const QString attrs = tag.mid(5, std::max<qsizetype>(0, tag.size() - 6)).toString().toUpper();
    const QString face = QuotedValue(attrs, FindAttr(attrs, u"FACE"));
    if (!face.isEmpty())
        m_font.setFamily(face);
    const QColor color = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u" COLOR")));
    if (color.isValid())
        m_color = color;
    const QColor background = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u"BGCOLOR")));
    if (background.isValid()) {
        m_savedBackground = m_background;
        m_background = background;
    }
    qsizetype at = FindAttr(attrs, u"SIZE");
    if (at >= 0) {
        while (at < attrs.size() && (attrs[at] == u' ' || attrs[at] == u'=' || attrs[at] == u'"'))
            ++at;
        const int size = LeadingNumber(attrs, at);
        if (size >= 0) {
            static const int kSizes[] = {8, 10, 12, 14, 16};
            const int points = size >= 1 && size <= 5 ? kSizes[size - 1] : size;
            m_font.setPointSize(std::clamp(points, 1, kMaxPointSize));
        }
    }
}

void Renderer::paragraphTag(QStringView tag, Line &line)
{
    const QString attrs = tag.toString().toUpper();
    const QString align = QuotedValue(attrs, FindAttr(attrs, u"ALIGN"));
    if (align == u"RIGHT")
        m_align = Align::Right;
    else if (align == u"LEFT")
        m_align = Align::Left;
    else if (align == u"CENTER")
        m_align = Align::Center;
    const qsizetype indent = FindAttr(attrs, u"INDENT");
    if (indent >= 0)
        m_indent = std::max(0, LeadingNumber(QuotedValue(attrs, indent), 0));
    const QColor band = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u"BGCOLOR", true)));
    if (band.isValid()) {
        m_band = band;
        m_bandTo = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u"BGCOLORTO")));
        line.band = m_band;
        line.bandTo = m_bandTo;
    }
}

// Applies one tag; returns true when it ends the line.
bool Renderer::applyTag(QStringView tag, Line &line, int &curX, int &lineW)
{
    auto is = [&](QStringView exact) { return tag.compare(exact, Qt::CaseInsensitive) == 0; };
    auto starts = [&](QStringView prefix) { return tag.startsWith(prefix, Qt::CaseInsensitive); };
    auto setFont = [&](auto change) {
        change(m_font);
        updateMetrics();
    };

    if (starts(u"</")) {
        if (is(u"</B>")) {
            setFont([](QFont &f) { f.setBold(false); });
        } else if (starts(u"</B")) {
            m_color = m_baseColor; // also ends blinking
        } else if (starts(u"</I")) {
            setFont([](QFont &f) { f.setItalic(false); });
        } else if (is(u"</U>")) {
            setFont([](QFont &f) { f.setUnderline(false); });
        } else if (starts(u"</U")) {
            if (m_listLevel > 0) {
                --m_listLevel;
                m_indent = kListIndent * m_listLevel;
            } else {
                setFont([](QFont &f) { f.setUnderline(false); });
            }
        } else if (starts(u"</SU")) {
            m_sup = m_sub = false;
        } else if (starts(u"</SH")) {
            m_shadow = false;
        } else if (starts(u"</S")) {
            setFont([](QFont &f) { f.setStrikeOut(false); });
        } else if (starts(u"</F")) {
            setFont([&](QFont &f) {
                QFont base = m_baseFont;
                base.setBold(f.bold());
                base.setItalic(f.italic());
                base.setUnderline(f.underline());
                base.setStrikeOut(f.strikeOut());
                f = base;
            });
            m_color = m_baseColor;
            m_background = m_savedBackground;
        } else if (starts(u"</A")) {
            m_link = -1;
        } else if (starts(u"</P")) {
            m_band = m_bandTo = QColor();
            return true;
        } else if (starts(u"</L")) {
            return true;
        } else if (starts(u"</H")) {
            m_highlight = false;
        } else if (starts(u"</E")) {
            m_error = false;
        } else if (starts(u"</Z")) {
            m_hidden = false;
        } else if (starts(u"</O")) {
            m_offset = 0;
        }
        return false;
    }

    if (is(u"<B>")) {
        setFont([](QFont &f) { f.setBold(true); });
    } else if (starts(u"<BR")) {
        return true;
    } else if (starts(u"<BL")) {
        // Blinking is shown as steady text.
    } else if (starts(u"<BO")) {
        const QString attrs = tag.toString().toUpper();
        const QColor fill = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u"BGCOLOR", true)));
        if (fill.isValid()) {
            line.fill = fill;
            line.fillTo = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u"BGCOLORTO")));
        }
    } else if (is(u"<I>")) {
        setFont([](QFont &f) { f.setItalic(true); });
    } else if (starts(u"<IN")) {
        const int x = TagNumber(tag, 3);
        if (x > curX) {
            lineW += x - curX;
            curX = x;
        }
    } else if (starts(u"<IM")) {
        // Pictures are not drawn; nothing is ever loaded.
    } else if (is(u"<U>")) {
        setFont([](QFont &f) { f.setUnderline(true); });
    } else if (starts(u"<U")) {
        m_listLevel = std::min(m_listLevel + 1, 1000);
        return true;
    } else if (is(u"<S>")) {
        setFont([](QFont &f) { f.setStrikeOut(true); });
    } else if (is(u"<SUB>")) {
        m_sub = true;
        m_sup = false;
    } else if (is(u"<SUP>")) {
        m_sup = true;
        m_sub = false;
    } else if (starts(u"<SH")) {
        m_shadow = true;
    } else if (starts(u"<F")) {
        fontTag(tag);
        updateMetrics();
    } else if (starts(u"<HR")) {
        line.rule = true;
        return true;
    } else if (starts(u"<HI")) {
        m_highlight = true;
    } else if (starts(u"<A")) {
        m_linkTargets.push_back(QuotedValue(tag, 2));
        m_link = int(m_linkTargets.size()) - 1;
    } else if (starts(u"<P")) {
        paragraphTag(tag, line);
    } else if (starts(u"<L")) {
        m_indent = kListIndent * m_listLevel;
        if (!m_hidden) {
            const QString bullet = QStringLiteral("\u2022 ");
            const int w = m_fm.horizontalAdvance(bullet);
            addPiece(bullet, w, curX, line);
            m_pieces.back().link = -1;
            m_pieces.back().font.setUnderline(m_font.underline());
            curX = SatAdd(curX, w);
            lineW = SatAdd(lineW, w);
        }
    } else if (starts(u"<E")) {
        m_error = true;
    } else if (starts(u"<Z")) {
        m_hidden = true;
    } else if (starts(u"<OF")) {
        m_offset = TagNumber(tag, 3);
        curX = m_offset;
    }
    // Rotation ("<R") and unknown tags have no effect.
    return false;
}

void Renderer::drawLine(const Line &line, int start, int top)
{
    if (line.fill.isValid()) {
        if (line.fillTo.isValid()) {
            QLinearGradient g(m_rect.topLeft(), m_rect.bottomLeft());
            g.setColorAt(0, line.fill);
            g.setColorAt(1, line.fillTo);
            m_p.fillRect(m_rect, g);
        } else {
            m_p.fillRect(m_rect, line.fill);
        }
    }
    if (line.band.isValid()) {
        const QRect band(m_left, top, m_right - m_left, line.height);
        if (line.bandTo.isValid()) {
            QLinearGradient g(band.topLeft(), band.topRight());
            g.setColorAt(0, line.band);
            g.setColorAt(1, line.bandTo);
            m_p.fillRect(band, g);
        } else {
            m_p.fillRect(band, line.band);
        }
    }
    const QPalette pal = QGuiApplication::palette();
    const int normalBottom = top + line.height - line.subAllowance;
    for (const Piece &piece : m_pieces) {
        const int x = start + piece.x;
        if (x >= m_right)
            continue;
        const int cellTop = normalBottom + piece.shift - piece.height;
        QColor color = piece.color;
        QColor background = piece.background;
        if (piece.highlight) {
            color = pal.color(QPalette::HighlightedText);
            background = pal.color(QPalette::Highlight);
        }
        if (piece.link >= 0) {
            const bool hovered = m_opt.Hover && piece.link == m_hoveredLink;
            color = hovered && m_opt.HoverFontColor.isValid() ? m_opt.HoverFontColor : m_opt.LinkColor;
            if (hovered && m_opt.HoverColor.isValid())
                background = m_opt.HoverColor;
        }
        if (background.isValid())
            m_p.fillRect(QRect(x, cellTop, piece.width, piece.height), background);
        m_p.setFont(piece.font);
        if (!(piece.font == m_drawFont)) {
            m_drawFont = piece.font;
            m_drawMetrics = metricsFor(piece.font);
        }
        const QFontMetrics &fm = m_drawMetrics;
        QString text = piece.text;
        if (m_opt.Ellipsis && x + piece.width > m_right)
            text = fm.elidedText(text, Qt::ElideRight, m_right - x);
        const int baseline = cellTop + piece.ascent;
        if (piece.shadow) {
            m_p.setPen(m_opt.ShadowColor);
            drawText(fm, x + m_opt.ShadowOffset, baseline + m_opt.ShadowOffset, text);
        }
        m_p.setPen(color);
        drawText(fm, x, baseline, text);
        if (piece.error && piece.width > 0) {
            QPolygon zigzag;
            const int y = cellTop + piece.height - 1;
            for (int i = 0; i <= piece.width; i += 2)
                zigzag << QPoint(x + i, (i / 2) % 2 ? y - 2 : y);
            m_p.setPen(QColor(255, 0, 0));
            m_p.drawPolyline(zigzag);
        }
    }
    if (line.rule) {
        m_p.setPen(QPen(QColor(0, 0, 0), 1));
        const int y = top + line.height + 1;
        m_p.drawLine(start, y, m_right - 1, y);
    }
}

bool Renderer::run(const QString &text, TMarkupResult &res)
{
    m_s = text;
    ReplaceEarlyEntities(m_s);
    const qsizetype hash = m_s.indexOf(u"<#");
    if (hash >= 0) {
        const qsizetype gt = m_s.indexOf(u'>', hash + 2);
        if (gt >= 0)
            m_s.remove(gt, 1);
        m_s.remove(hash, 1);
    }
    m_s.remove(u'\n');
    if (m_s.contains(u'\r'))
        m_s.replace(u'\r', QStringLiteral("<BR>"));
    // A "<" with no ">" after it ends the text.
    const qsizetype cut = m_s.indexOf(u'<', m_s.lastIndexOf(u'>') + 1);
    if (cut >= 0)
        m_s.truncate(cut);

    const int baseGh = m_height;
    int top = m_top;
    int height = 0;
    int width = 0;
    bool anyLine = false;
    if (m_draw) {
        // Only the right edge clips; lines may reach below the rectangle.
        m_p.setClipRect(QRect(m_rect.left(), m_top - 4096, std::max(0, m_right - m_rect.left()),
                              std::max(0, m_bottom - m_top) + 8192),
                        Qt::IntersectClip);
        m_p.setBackgroundMode(Qt::TransparentMode);
    }
    Line line;
    while (m_pos < m_s.size()) {
        line = Line();
        measureLine(line);
        anyLine = true;
        const int free = (m_right - m_left) - line.width;
        int start = m_left;
        if (line.align == Align::Right && m_right - line.width > m_left)
            start = m_right - line.width;
        else if (line.align == Align::Center && free > 0)
            start = m_left + free / 2;
        start += line.indent;

        if (!res.LinkHit && m_opt.TestPoint.y() >= top && m_opt.TestPoint.y() < top + line.height) {
            for (const Piece &piece : m_pieces) {
                const int x = start + piece.x;
                if (piece.link >= 0 && m_opt.TestPoint.x() >= x && m_opt.TestPoint.x() < x + piece.width) {
                    res.LinkHit = true;
                    res.LinkTarget = m_linkTargets[size_t(piece.link)];
                    m_hoveredLink = piece.link;
                    break;
                }
            }
        }
        if (m_draw)
            drawLine(line, start, top);
        top = SatAdd(top, line.height);
        height = SatAdd(height, line.height);
        if (width < line.width)
            width = line.width + 2;
        if (m_draw && top + line.gh > m_bottom)
            break;
    }
    res.Width = width;
    res.Height = anyLine ? height : baseGh;
    return res.LinkHit;
}

} // namespace

QColor MarkupColor(const QString &value)
{
    if (value.isEmpty())
        return QColor();
    if (value.startsWith(u'#')) {
        const QStringView v = QStringView(value).mid(1);
        return QColor(HexPair(v, 0), HexPair(v, 2), HexPair(v, 4));
    }
    const QString name = value.toLower();
    for (const NamedColor &c : kNamedColors) {
        if (name == QStringView(c.name))
            return c.index ? SystemColor(c.index) : QColor(c.rgb);
    }
    return QColor(0, 0, 0);
}

bool RenderMarkup(QPainter &surface, const QString &text, const QRect &rect, const TMarkupOptions &options,
                  TMarkupResult *result)
{
    TMarkupResult local;
    TMarkupResult &res = result ? *result : local;
    res = TMarkupResult();
    // The painter's font, pen, brush and clipping come back as they were.
    const bool active = surface.isActive();
    if (active)
        surface.save();
    Renderer renderer(surface, rect, options);
    const bool hit = renderer.run(text, res);
    if (active) {
        surface.restore();
        surface.setBackgroundMode(Qt::TransparentMode);
    }
    return hit;
}

#include "ui/MarkupLayout.h"

namespace markup {

namespace {

constexpr int kListIndent = 12;
constexpr int kMaxListLevel = 1000;
// Font sizes beyond this only cost memory in the glyph caches; a message never needs them.
constexpr int kMaxPointSize = 200;

QFontMetrics MetricsOn(QPaintDevice *device, const QFont &font)
{
    return device ? QFontMetrics(font, device) : QFontMetrics(font);
}

// The colours of a BGCOLOR and BGCOLORTO pair; false, and nothing set, without a BGCOLOR.
bool GradientAttrs(const QString &attrs, QColor &from, QColor &to)
{
    const QColor color = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u"BGCOLOR", true)));
    if (!color.isValid())
        return false;
    from = color;
    to = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u"BGCOLORTO")));
    return true;
}

} // namespace

Layout::Layout(QPaintDevice *device, const QFont &baseFont, const QColor &baseColor, const QString &text,
               const QRect &rect, const TMarkupOptions &options)
    : m_device(device), m_options(options), m_area(rect), m_wrap(options.WordWrap && !options.Ellipsis),
      m_tokens(text, m_wrap), m_baseFont(baseFont), m_baseColor(baseColor),
      m_metrics(MetricsOn(device, baseFont)), m_top(m_area.top)
{
    m_style.font = baseFont;
    m_style.color = baseColor;
    updateMetrics();
    m_baseGh = m_fontHeight;
}

void Layout::updateMetrics()
{
    m_metrics = MetricsOn(m_device, m_style.font);
    m_fontHeight = m_metrics.height();
}

int Layout::textWidth(const QString &text) const
{
    int width = 0;
    ForEachTabRun(m_metrics, text, [&](int x, const QString &run, bool last) {
        if (last)
            width = SatAdd(x, m_metrics.horizontalAdvance(run));
    });
    return width;
}

void Layout::setFontFlag(void (QFont::*set)(bool), bool on)
{
    (m_style.font.*set)(on);
    updateMetrics();
}

bool Layout::nextLine(Line &line)
{
    if (m_tokens.atEnd())
        return false;
    measureLine(line);
    placeLine(line);
    return true;
}

void Layout::measureLine(Line &line)
{
    // A fresh line that keeps the storage of the last one's pieces.
    std::vector<Piece> pieces = std::move(line.pieces);
    pieces.clear();
    line = Line();
    line.pieces = std::move(pieces);
    line.gh = m_fontHeight;
    line.band = m_block.band;
    line.bandTo = m_block.bandTo;
    int lineW = 0;
    int curX = m_block.offset;
    int maxHeight = 0;
    int trailingSpace = 0;
    bool endsWithSpace = false;

    while (!m_tokens.atEnd()) {
        const qsizetype length = m_tokens.pieceLength();
        if (length == 0) {
            if (applyTag(m_tokens.takeTag(), line, curX, lineW))
                break;
            continue;
        }
        if (!m_style.hidden) {
            const QString t = m_tokens.piece(length);
            const int w = textWidth(t);
            const int avail = (m_area.right - m_area.left) - m_block.offset;
            // A piece wider than the whole line goes on a line of its own, where it is cut at
            // the edge: next to other text it would push the rest of the line out of sight.
            const bool place =
                !m_wrap || SatAdd(lineW, w) < avail || (w >= avail && lineW == 0) || !endsWithSpace;
            if (!place)
                break; // the line ends before this piece
            addPiece(t, w, curX, line);
            curX = SatAdd(curX, w);
            lineW = SatAdd(lineW, w);
            maxHeight = std::max(maxHeight, m_fontHeight);
            endsWithSpace = t.endsWith(u' ');
            trailingSpace = endsWithSpace ? m_metrics.horizontalAdvance(u' ') : 0;
        }
        m_tokens.skip(length);
    }
    line.width = std::max(0, lineW - (endsWithSpace ? trailingSpace : 0));
    line.height =
        std::max(maxHeight, line.gh) + m_options.LineSpacing + line.supAllowance + line.subAllowance;
}

void Layout::placeLine(Line &line)
{
    const int free = (m_area.right - m_area.left) - line.width;
    line.start = m_area.left;
    if (m_block.align == Align::Right && m_area.right - line.width > m_area.left)
        line.start = m_area.right - line.width;
    else if (m_block.align == Align::Center && free > 0)
        line.start = m_area.left + free / 2;
    line.start += m_block.indent;
    line.top = m_top;

    const QPoint test = m_options.TestPoint;
    if (!m_result.LinkHit && test.y() >= line.top && test.y() < line.top + line.height) {
        for (const Piece &piece : line.pieces) {
            const int x = line.start + piece.x;
            if (piece.link >= 0 && test.x() >= x && test.x() < x + piece.width) {
                m_result.LinkHit = true;
                m_result.LinkTarget = m_linkTargets[size_t(piece.link)];
                m_hoveredLink = piece.link;
                break;
            }
        }
    }

    m_anyLine = true;
    m_top = SatAdd(m_top, line.height);
    m_result.Height = SatAdd(m_result.Height, line.height);
    if (m_result.Width < line.width)
        m_result.Width = line.width + 2;
}

TMarkupResult Layout::result() const
{
    TMarkupResult result = m_result;
    if (!m_anyLine)
        result.Height = m_baseGh;
    return result;
}

void Layout::addPiece(const QString &text, int width, int curX, Line &line)
{
    Piece p;
    p.text = text;
    p.font = m_style.font;
    p.color = m_style.color;
    p.background = m_style.background;
    p.x = curX;
    p.width = width;
    p.height = m_fontHeight;
    p.ascent = m_metrics.ascent();
    p.link = m_style.link;
    p.highlight = m_style.highlight;
    p.shadow = m_style.shadow;
    p.error = m_style.error;
    if (m_style.link >= 0)
        p.font.setUnderline(true);
    const int quarter = m_fontHeight / 4;
    if (m_style.sup) {
        p.shift = -quarter;
        line.supAllowance = std::max(line.supAllowance, quarter);
    } else if (m_style.sub) {
        p.shift = quarter;
        line.subAllowance = std::max(line.subAllowance, quarter);
    }
    line.pieces.push_back(std::move(p));
}

void Layout::fontTag(QStringView tag)
{
    // Attributes are read after "<FONT", from the upper-cased text.
    const QString attrs = tag.mid(5, std::max<qsizetype>(0, tag.size() - 6)).toString().toUpper();
    const QString face = QuotedValue(attrs, FindAttr(attrs, u"FACE"));
    if (!face.isEmpty())
        m_style.font.setFamily(face);
    const QColor color = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u" COLOR")));
    if (color.isValid())
        m_style.color = color;
    const QColor background = MarkupColor(QuotedValue(attrs, FindAttr(attrs, u"BGCOLOR")));
    if (background.isValid()) {
        m_style.savedBackground = m_style.background;
        m_style.background = background;
    }
    qsizetype at = FindAttr(attrs, u"SIZE");
    if (at >= 0) {
        while (at < attrs.size() && (attrs[at] == u' ' || attrs[at] == u'=' || attrs[at] == u'"'))
            ++at;
        const int size = LeadingNumber(attrs, at);
        if (size >= 0) {
            static const int kSizes[] = {8, 10, 12, 14, 16};
            const int points = size >= 1 && size <= 5 ? kSizes[size - 1] : size;
            m_style.font.setPointSize(std::clamp(points, 1, kMaxPointSize));
        }
    }
    updateMetrics();
}

void Layout::paragraphTag(QStringView tag, Line &line)
{
    const QString attrs = tag.toString().toUpper();
    const QString align = QuotedValue(attrs, FindAttr(attrs, u"ALIGN"));
    if (align == u"RIGHT")
        m_block.align = Align::Right;
    else if (align == u"LEFT")
        m_block.align = Align::Left;
    else if (align == u"CENTER")
        m_block.align = Align::Center;
    const qsizetype indent = FindAttr(attrs, u"INDENT");
    if (indent >= 0)
        m_block.indent = std::max(0, LeadingNumber(QuotedValue(attrs, indent), 0));
    if (GradientAttrs(attrs, m_block.band, m_block.bandTo)) {
        line.band = m_block.band;
        line.bandTo = m_block.bandTo;
    }
}

// Applies one tag; returns true when it ends the line.
bool Layout::applyTag(QStringView tag, Line &line, int &curX, int &lineW)
{
    const auto [kind, closing] = TagKind(tag);
    const bool on = !closing;
    switch (kind) {
    case Tag::Bold:
        setFontFlag(&QFont::setBold, on);
        break;
    case Tag::Italic:
        setFontFlag(&QFont::setItalic, on);
        break;
    case Tag::Underline:
        setFontFlag(&QFont::setUnderline, on);
        break;
    case Tag::StrikeOut:
        setFontFlag(&QFont::setStrikeOut, on);
        break;
    case Tag::Shadow:
        m_style.shadow = on;
        break;
    case Tag::Highlight:
        m_style.highlight = on;
        break;
    case Tag::Error:
        m_style.error = on;
        break;
    case Tag::Hidden:
        m_style.hidden = on;
        break;
    case Tag::Subscript:
    case Tag::Superscript:
        m_style.sub = on && kind == Tag::Subscript;
        m_style.sup = on && kind == Tag::Superscript;
        break;
    case Tag::Blink:
        // Blinking is shown as steady text; its closing tag sets the text colour back.
        if (closing)
            m_style.color = m_baseColor;
        break;
    case Tag::Font:
        if (closing)
            endFont();
        else
            fontTag(tag);
        break;
    case Tag::Link:
        if (closing) {
            m_style.link = -1;
        } else {
            m_linkTargets.push_back(QuotedValue(tag, 2));
            m_style.link = int(m_linkTargets.size()) - 1;
        }
        break;
    case Tag::List:
        if (on) {
            m_block.listLevel = std::min(m_block.listLevel + 1, kMaxListLevel);
            return true;
        }
        if (m_block.listLevel > 0) {
            --m_block.listLevel;
            m_block.indent = kListIndent * m_block.listLevel;
        } else {
            setFontFlag(&QFont::setUnderline, false);
        }
        break;
    case Tag::ListItem:
        if (closing)
            return true;
        listItem(line, curX, lineW);
        break;
    case Tag::Paragraph:
        if (closing) {
            m_block.band = m_block.bandTo = QColor();
            return true;
        }
        paragraphTag(tag, line);
        break;
    case Tag::Offset:
        m_block.offset = closing ? 0 : TagNumber(tag, 3);
        if (on)
            curX = m_block.offset;
        break;
    case Tag::Indent: {
        const int x = TagNumber(tag, 3);
        if (x > curX) {
            lineW += x - curX;
            curX = x;
        }
        break;
    }
    case Tag::LineBreak:
        return true;
    case Tag::Rule:
        line.rule = true;
        return true;
    case Tag::Body:
        GradientAttrs(tag.toString().toUpper(), line.fill, line.fillTo);
        break;
    case Tag::Image:   // pictures are not drawn; nothing is ever loaded
    case Tag::Unknown: // rotation ("<R") among them
        break;
    }
    return false;
}

// Face, size and colour return to the base font's, the styles stay.
void Layout::endFont()
{
    QFont base = m_baseFont;
    base.setBold(m_style.font.bold());
    base.setItalic(m_style.font.italic());
    base.setUnderline(m_style.font.underline());
    base.setStrikeOut(m_style.font.strikeOut());
    m_style.font = base;
    updateMetrics();
    m_style.color = m_baseColor;
    m_style.background = m_style.savedBackground;
}

// Indents by the list level and starts the item with a bullet.
void Layout::listItem(Line &line, int &curX, int &lineW)
{
    m_block.indent = kListIndent * m_block.listLevel;
    if (m_style.hidden)
        return;
    const QString bullet = QStringLiteral("\u2022 ");
    const int w = m_metrics.horizontalAdvance(bullet);
    addPiece(bullet, w, curX, line);
    line.pieces.back().link = -1;
    line.pieces.back().font.setUnderline(m_style.font.underline());
    curX = SatAdd(curX, w);
    lineW = SatAdd(lineW, w);
}

} // namespace markup

#include "ui/MarkupTokenizer.h"

#include "platform/Ascii.h"
#include "ui/MarkupRender.h"

#include <QGuiApplication>
#include <QPalette>

#include <algorithm>
#include <span>

namespace markup {

namespace {

// Pixel values saturate here; nothing on a screen is further away.
constexpr int kMaxPosition = 100000;

struct TagRule
{
    QStringView text;
    bool exact; // the whole tag, else its beginning
    Tag tag;
};

// First match wins, so a longer beginning stands before a shorter one.
constexpr TagRule kOpeningTags[] = {
    {u"<B>", true, Tag::Bold},       {u"<BR", false, Tag::LineBreak},  {u"<BL", false, Tag::Blink},
    {u"<BO", false, Tag::Body},      {u"<I>", true, Tag::Italic},      {u"<IN", false, Tag::Indent},
    {u"<IM", false, Tag::Image},     {u"<U>", true, Tag::Underline},   {u"<U", false, Tag::List},
    {u"<S>", true, Tag::StrikeOut},  {u"<SUB>", true, Tag::Subscript}, {u"<SUP>", true, Tag::Superscript},
    {u"<SH", false, Tag::Shadow},    {u"<F", false, Tag::Font},        {u"<HR", false, Tag::Rule},
    {u"<HI", false, Tag::Highlight}, {u"<A", false, Tag::Link},        {u"<P", false, Tag::Paragraph},
    {u"<L", false, Tag::ListItem},   {u"<E", false, Tag::Error},       {u"<Z", false, Tag::Hidden},
    {u"<OF", false, Tag::Offset}};

constexpr TagRule kClosingTags[] = {
    {u"</B>", true, Tag::Bold},      {u"</B", false, Tag::Blink},     {u"</I", false, Tag::Italic},
    {u"</U>", true, Tag::Underline}, {u"</U", false, Tag::List},      {u"</SU", false, Tag::Subscript},
    {u"</SH", false, Tag::Shadow},   {u"</S", false, Tag::StrikeOut}, {u"</F", false, Tag::Font},
    {u"</A", false, Tag::Link},      {u"</P", false, Tag::Paragraph}, {u"</L", false, Tag::ListItem},
    {u"</H", false, Tag::Highlight}, {u"</E", false, Tag::Error},     {u"</Z", false, Tag::Hidden},
    {u"</O", false, Tag::Offset}};

struct Entity
{
    QStringView name; // without the "&"
    char16_t value;
};

// Replaced before layout, in any letter case.
constexpr Entity kEarlyEntities[] = {
    {u"amp;", u'&'},         {u"quot;", u'"'},       {u"sect;", u'\u00A7'},
    {u"permil;", u'\u2030'}, {u"reg;", u'\u00AE'},   {u"copy;", u'\u00A9'},
    {u"para;", u'\u00B6'},   {u"trade;", u'\u2122'}, {u"euro;", u'\u20AC'},
};

// Replaced inside each text piece, in lower case only: they must not start a tag or end a piece.
constexpr Entity kPieceEntities[] = {
    {u"nbsp;", u'\u00A0'},
    {u"lt;", u'<'},
    {u"gt;", u'>'},
};

// The entity whose name starts rest, or null.
template <size_t N>
const Entity *findEntity(const Entity (&entities)[N], QStringView rest, Qt::CaseSensitivity cs)
{
    for (const Entity &e : entities) {
        if (rest.startsWith(e.name, cs))
            return &e;
    }
    return nullptr;
}

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
            if (const Entity *found =
                    findEntity(kEarlyEntities, QStringView(s).mid(i + 1), Qt::CaseInsensitive)) {
                const qsizetype len = found->name.size() + 1;
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

void ReplacePieceEntities(QString &t)
{
    if (!t.contains(u'&'))
        return;
    QString out;
    out.reserve(t.size());
    const QStringView v(t);
    for (qsizetype i = 0; i < v.size(); ++i) {
        if (v[i] == u'&') {
            if (const Entity *found = findEntity(kPieceEntities, v.mid(i + 1), Qt::CaseSensitive)) {
                out += QChar(found->value);
                i += found->name.size();
                continue;
            }
        }
        out += v[i];
    }
    t = out;
}

bool IsDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

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

// A fixed colour, or (role other than NoRole) a system colour, which follows the palette.
struct NamedColor
{
    constexpr NamedColor(QStringView n, QRgb c) : name(n), rgb(c) {}
    constexpr NamedColor(QStringView n, QPalette::ColorRole r, QPalette::ColorGroup g = QPalette::Current)
        : name(n), role(r), group(g)
    {
    }
    QStringView name; // lower case
    QRgb rgb = 0;
    QPalette::ColorRole role = QPalette::NoRole;
    QPalette::ColorGroup group = QPalette::Current;
};

bool EqualsLowered(QStringView value, QStringView lowerName)
{
    return value.size() == lowerName.size() &&
           std::equal(value.begin(), value.end(), lowerName.begin(),
                      [](QChar v, QChar n) { return platform::AsciiLower(v) == n.unicode(); });
}

} // namespace

TagToken TagKind(QStringView tag)
{
    const bool closing = tag.startsWith(u"</", Qt::CaseInsensitive);
    const std::span<const TagRule> rules =
        closing ? std::span<const TagRule>(kClosingTags) : std::span<const TagRule>(kOpeningTags);
    // The first letter rules most rules out before the full comparison. Only an ASCII character
    // can be told apart this way: a few others match a Latin letter regardless of case.
    const qsizetype first = closing ? 2 : 1;
    const char16_t letter = first < tag.size() ? platform::AsciiLower(tag[first]) : u'>';
    for (const TagRule &rule : rules) {
        if (letter < 0x80 && letter != platform::AsciiLower(rule.text[first]))
            continue;
        if (rule.exact ? tag.compare(rule.text, Qt::CaseInsensitive) == 0
                       : tag.startsWith(rule.text, Qt::CaseInsensitive))
            return {rule.tag, closing};
    }
    return {};
}

Tokenizer::Tokenizer(const QString &text, bool splitAtSpaces) : m_text(text), m_splitAtSpaces(splitAtSpaces)
{
    ReplaceEarlyEntities(m_text);
    const qsizetype hash = m_text.indexOf(u"<#");
    if (hash >= 0) {
        const qsizetype gt = m_text.indexOf(u'>', hash + 2);
        if (gt >= 0)
            m_text.remove(gt, 1);
        m_text.remove(hash, 1);
    }
    m_text.remove(u'\n');
    if (m_text.contains(u'\r'))
        m_text.replace(u'\r', QStringLiteral("<BR>"));
    // A "<" with no ">" after it ends the text.
    const qsizetype cut = m_text.indexOf(u'<', m_text.lastIndexOf(u'>') + 1);
    if (cut >= 0)
        m_text.truncate(cut);
}

qsizetype Tokenizer::pieceLength() const
{
    const qsizetype n = m_text.size();
    qsizetype end = m_pos;
    while (end < n && m_text[end] != u'<') {
        if (m_splitAtSpaces && m_text[end] == u' ')
            return end + 1 - m_pos;
        ++end;
    }
    return end - m_pos;
}

QString Tokenizer::piece(qsizetype length) const
{
    QString t = m_text.mid(m_pos, length);
    ReplacePieceEntities(t);
    return t;
}

QStringView Tokenizer::takeTag()
{
    // The text was cut after the last "<" that has its ">".
    const qsizetype gt = m_text.indexOf(u'>', m_pos + 1);
    const QStringView tag = QStringView(m_text).mid(m_pos, gt - m_pos + 1);
    m_pos = gt + 1;
    return tag;
}

qsizetype FindAttr(QStringView text, QStringView name, bool notFollowedByTo)
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

int LeadingNumber(QStringView text, qsizetype from)
{
    if (from < 0 || from >= text.size() || !IsDigit(text[from]))
        return -1;
    int value = 0;
    for (qsizetype i = from; i < text.size() && IsDigit(text[i]); ++i)
        value = std::min(kMaxPosition, value * 10 + (text[i].unicode() - u'0'));
    return value;
}

int TagNumber(QStringView tag, qsizetype from)
{
    const QString quoted = QuotedValue(tag, from);
    if (!quoted.isNull())
        return std::max(0, LeadingNumber(quoted, 0));
    for (qsizetype i = from; i < tag.size(); ++i) {
        if (IsDigit(tag[i]))
            return LeadingNumber(tag, i);
    }
    return 0;
}

} // namespace markup

QColor MarkupColor(const QString &value)
{
    using namespace markup;
    if (value.isEmpty())
        return QColor();
    if (value.startsWith(u'#')) {
        const QStringView v = QStringView(value).mid(1);
        return QColor(HexPair(v, 0), HexPair(v, 2), HexPair(v, 4));
    }
    // The platform's system colours map to the nearest palette roles.
    using enum QPalette::ColorRole;
    using enum QPalette::ColorGroup;
    // clang-format off
    static constexpr NamedColor kNamedColors[] = {
        {u"clblack", 0x000000},  {u"clred", 0xFF0000},    {u"cllime", 0x00FF00},    {u"clblue", 0x0000FF},
        {u"clyellow", 0xFFFF00}, {u"claqua", 0x00FFFF},   {u"clfuchsia", 0xFF00FF}, {u"clwhite", 0xFFFFFF},
        {u"clgreen", 0x008000},  {u"clmaroon", 0x800000}, {u"clnavy", 0x000080},    {u"clolive", 0x808000},
        {u"clpurple", 0x800080}, {u"clteal", 0x008080},   {u"clgray", 0x808080},    {u"clsilver", 0xC0C0C0},
        {u"clbackground", Dark},                               {u"clactivecaption", Highlight, Active},
        {u"clinactivecaption", Highlight, Inactive},           {u"clmenu", Window},
        {u"clwindow", Base},                                   {u"clwindowframe", Shadow},
        {u"clmenutext", WindowText},                           {u"clwindowtext", Text},
        {u"clcaptiontext", HighlightedText, Active},           {u"clactiveborder", Window},
        {u"clinactiveborder", Window},                         {u"clappworkspace", Mid},
        {u"clhighlight", Highlight},                           {u"clhighlighttext", HighlightedText},
        {u"clbtnface", Button},                                {u"clbtnshadow", Dark},
        {u"clgraytext", Text, Disabled},                       {u"clbtntext", ButtonText},
        {u"clinactivecaptiontext", HighlightedText, Inactive}, {u"clbtnhighlight", Light},
        {u"cl3ddkshadow", Shadow},                             {u"cl3dlight", Midlight},
        {u"clinfotext", ToolTipText},                          {u"clinfobk", ToolTipBase},
    };
    // clang-format on
    for (const NamedColor &c : kNamedColors) {
        if (EqualsLowered(value, c.name)) {
            if (c.role == QPalette::NoRole)
                return QColor(c.rgb);
            return QGuiApplication::palette().color(c.group, c.role);
        }
    }
    return QColor(0, 0, 0);
}

#pragma once

#include <QString>
#include <QStringView>

namespace markup {

// What a tag does, told by its first letters (a few must be written exactly). Most kinds
// have an opening and a closing tag.
enum class Tag {
    Unknown,
    Bold,
    Blink, // its closing tag is any other beginning "</B", which sets the text colour back
    Body,
    Error,
    Font,
    Hidden,
    Highlight,
    Image,
    Indent,
    Italic,
    LineBreak,
    Link,
    List,
    ListItem,
    Offset,
    Paragraph,
    Rule,
    Shadow,
    StrikeOut,
    Subscript, // the closing tag ends superscript too
    Superscript,
    Underline,
};

struct TagToken
{
    Tag kind = Tag::Unknown;
    bool closing = false;
};

// The kind of a tag, given its text from "<" to ">".
TagToken TagKind(QStringView tag);

// Walks a marked-up text as text pieces and tags.
class Tokenizer
{
public:
    // Replaces the entities that go before layout, resolves the "<#" form and the line ends,
    // and drops an unterminated tag with all that follows it. With splitAtSpaces a text
    // piece ends after its first space.
    Tokenizer(const QString &text, bool splitAtSpaces);

    bool atEnd() const { return m_pos >= m_text.size(); }
    // Length of the text piece at the current position; 0 when a tag comes next.
    qsizetype pieceLength() const;
    // The text piece of that length, with the entities of a piece replaced.
    QString piece(qsizetype length) const;
    void skip(qsizetype length) { m_pos += length; }
    // The tag at the current position, from "<" to ">"; moves past it.
    QStringView takeTag();

private:
    QString m_text;
    qsizetype m_pos = 0;
    bool m_splitAtSpaces;
};

// Position just after name in the (upper-cased) tag text, or -1. With notFollowedByTo, a match
// that continues with "TO" (BGCOLORTO when looking for BGCOLOR) is skipped.
qsizetype FindAttr(QStringView text, QStringView name, bool notFollowedByTo = false);
// The text between the first and the second double quote from position from; null when
// there is no quote or from is -1.
QString QuotedValue(QStringView text, qsizetype from);
// Leading digits of text from position from, or -1 when there are none.
int LeadingNumber(QStringView text, qsizetype from);
// A pixel value of a tag: the quoted value's digits, else the first digits of the tag.
int TagNumber(QStringView tag, qsizetype from);

} // namespace markup

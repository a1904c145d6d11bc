#pragma once

#include "ui/MarkupRender.h"
#include "ui/MarkupTokenizer.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QRect>
#include <QString>

#include <algorithm>
#include <vector>

class QPaintDevice;

namespace markup {

// Widths saturate here instead of overflowing on absurd input.
constexpr int kMaxWidth = 1 << 28;

inline int SatAdd(int a, int b)
{
    return int(std::clamp<qint64>(qint64(a) + b, -kMaxWidth, kMaxWidth));
}

// Calls part(x, run, last) for each run of text between tab characters, x being where the run
// starts: a tab moves on to the next stop, every eight average character widths.
template <typename Part> void ForEachTabRun(const QFontMetrics &fm, const QString &text, Part &&part)
{
    qsizetype tab = text.indexOf(u'\t');
    if (tab < 0) {
        part(0, text, true);
        return;
    }
    const int stop = std::max(1, 8 * fm.averageCharWidth());
    int x = 0;
    qsizetype from = 0;
    while (true) {
        const QString run = text.mid(from, (tab < 0 ? text.size() : tab) - from);
        part(x, run, tab < 0);
        if (tab < 0)
            return;
        x = SatAdd(x, fm.horizontalAdvance(run));
        x = SatAdd((x / stop) * stop, stop);
        from = tab + 1;
        tab = text.indexOf(u'\t', from);
    }
}

// The working area: the layout rectangle less one pixel on the left; right and bottom lie
// just past it.
struct Area
{
    explicit Area(const QRect &rect)
        : left(rect.left() + 1), right(rect.left() + rect.width()), top(rect.top()),
          bottom(rect.top() + rect.height())
    {
    }
    int left, right, top, bottom;
};

// A run of text in one style, placed on its line.
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
    std::vector<Piece> pieces;
    int start = 0; // where the text starts, alignment and indentation applied
    int top = 0;
    int width = 0;
    int height = 0;
    int gh = 0; // "gh" height in the font current at the line's start
    int supAllowance = 0;
    int subAllowance = 0;
    bool rule = false;
    QColor band, bandTo;
    QColor fill, fillTo; // background of the whole rectangle
};

// Breaks a marked-up text into lines and places them in the rectangle, applying the tags;
// finds the link under the test point on the way. Draws nothing.
class Layout
{
public:
    // The base font and colour are the surface's at the call; device (may be null) gives
    // the font metrics.
    Layout(QPaintDevice *device, const QFont &baseFont, const QColor &baseColor, const QString &text,
           const QRect &rect, const TMarkupOptions &options);

    // Lays out the next line below the previous one; false when no text is left.
    bool nextLine(Line &line);
    // Whether the line after this last one would begin too low to be drawn.
    bool reachedBottom(const Line &line) const { return m_top + line.gh > m_area.bottom; }
    // The link found under the test point so far, or -1.
    int hoveredLink() const { return m_hoveredLink; }
    // The measured size of the lines laid out so far, and the link hit.
    TMarkupResult result() const;

private:
    enum class Align { Left, Right, Center };

    // What a tag sets that carries over from piece to piece.
    struct Style
    {
        QFont font;
        QColor color;
        QColor background, savedBackground;
        int link = -1;
        bool sup = false, sub = false, shadow = false, hidden = false, error = false, highlight = false;
    };

    // What a tag sets that carries over from line to line.
    struct Block
    {
        Align align = Align::Left;
        int indent = 0;
        int listLevel = 0;
        int offset = 0;
        QColor band, bandTo;
    };

    void measureLine(Line &line);
    void placeLine(Line &line);
    bool applyTag(QStringView tag, Line &line, int &curX, int &lineW);
    void fontTag(QStringView tag);
    void endFont();
    void listItem(Line &line, int &curX, int &lineW);
    void paragraphTag(QStringView tag, Line &line);
    void addPiece(const QString &text, int width, int curX, Line &line);
    void setFontFlag(void (QFont::*set)(bool), bool on);
    void updateMetrics();
    int textWidth(const QString &text) const;

    QPaintDevice *m_device;
    const TMarkupOptions &m_options;
    const Area m_area;
    const bool m_wrap;
    Tokenizer m_tokens;
    const QFont m_baseFont;
    const QColor m_baseColor;
    Style m_style;
    Block m_block;
    QFontMetrics m_metrics;
    int m_fontHeight = 0;
    std::vector<QString> m_linkTargets;
    int m_hoveredLink = -1;
    int m_top;
    int m_baseGh;
    TMarkupResult m_result;
    bool m_anyLine = false;
};

} // namespace markup

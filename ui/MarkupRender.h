#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;

struct TMarkupOptions
{
    bool WordWrap = true;
    bool MeasureOnly = false;
    int LineSpacing = 0;
    QColor LinkColor = QColor(0, 0, 255);
    QColor HoverColor, HoverFontColor;
    bool Hover = false;
    QColor ShadowColor = QColor(128, 128, 128);
    int ShadowOffset = 1;
    QPoint TestPoint = QPoint(-1, -1);
    // A piece that does not fit ends in "..."; turns word wrap off.
    bool Ellipsis = false;
};

struct TMarkupResult
{
    int Width = 0;
    int Height = 0;
    bool LinkHit = false;
    QString LinkTarget;
};

// Lays the marked-up text out in rect and draws it (or only measures it). The base font is
// the painter's font; the base text colour is the painter's pen colour at the call. The
// painter's font, pen, brush and clipping are the same afterwards, its background mode is
// transparent. Returns whether options.TestPoint lies on a link.
bool RenderMarkup(QPainter &surface, const QString &text, const QRect &rect, const TMarkupOptions &options,
                  TMarkupResult *result = nullptr);

// The colour a markup colour value names: "#RRGGBB" (missing pairs 0), a colour name
// ("clred", system colours from the application palette), black for an unknown name.
// An empty value gives an invalid colour (the caller keeps its colour). Defined with the tag
// reading, in MarkupTokenizer.cpp.
QColor MarkupColor(const QString &value);

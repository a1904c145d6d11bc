#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

enum TVAlignment { tvaTop, tvaCenter, tvaBottom };

// A label whose text is markup, drawn by RenderMarkup on every paint.
class TMarkupLabel : public QWidget
{
    Q_OBJECT

public:
    explicit TMarkupLabel(QWidget *parent = nullptr);

    QString MarkupText() const { return m_markupText; }
    // Line ends are dropped: only a line-break tag breaks a line.
    void setMarkupText(const QString &text);

    // The fill colour; invalid means the window's colour.
    QColor Color() const { return m_color; }
    void setColor(const QColor &color);
    // With a valid second colour the fill is a vertical gradient.
    QColor ColorTo() const { return m_colorTo; }
    void setColorTo(const QColor &color);
    bool isTransparent() const { return m_transparent; }
    void setTransparent(bool on);

    TVAlignment VAlignment() const { return m_vAlignment; }
    void setVAlignment(TVAlignment alignment);
    bool AutoSizing() const { return m_autoSizing; }
    void setAutoSizing(bool on);
    bool Ellipsis() const { return m_ellipsis; }
    void setEllipsis(bool on);

    QColor linkColor() const { return m_linkColor; }
    void setLinkColor(const QColor &color);
    QColor shadowColor() const { return m_shadowColor; }
    void setShadowColor(const QColor &color);
    int shadowOffset() const { return m_shadowOffset; }
    void setShadowOffset(int offset);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void paintLabel();

    QString m_markupText;
    QColor m_color;
    QColor m_colorTo;
    bool m_transparent = false;
    TVAlignment m_vAlignment = tvaTop;
    bool m_autoSizing = false;
    bool m_ellipsis = false;
    QColor m_linkColor = QColor(0, 0, 255);
    QColor m_shadowColor = QColor(128, 128, 128);
    int m_shadowOffset = 1;
};

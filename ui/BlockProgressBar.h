#pragma once

#include <QColor>
#include <QImage>
#include <QWidget>

// A progress bar drawn as a row of small gradient blocks in a rounded white frame, with the
// percentage written over it. Its colours change with the level the percentage reaches.
class TBlockProgressBar : public QWidget
{
    Q_OBJECT

public:
    explicit TBlockProgressBar(QWidget *parent = nullptr);

    int Min() const { return m_min; }
    int Max() const { return m_max; }
    int Position() const { return m_position; }
    // Clamped to Min..Max; the bar is repainted before this returns.
    void setPosition(int value);

    // The shown percentage: the position over the range, rounded.
    int percent() const;
    // 0 below 70 %, 1 below 90 %, 3 above 99 %, otherwise 2.
    static int level(int percent);
    // The two colours of a level: the first at the middle of a block, the second at its edges.
    static QColor levelColor1(int level);
    static QColor levelColor2(int level);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // The bar as drawn for the current position, transparent outside the rounded frame.
    QImage Paint() const;
    void paintBlock(class QPainter &p, int left, int width, int level) const;

    int m_min = 0;
    int m_max = 100;
    int m_position = 0;
};

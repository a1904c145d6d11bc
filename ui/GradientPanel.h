#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

enum TGradientDirection { gdUpDown, gdLeftRight };

// A panel filled with a colour gradient in bands of ColorWidth pixels: band n of a gradient
// across L pixels has each channel at start + n × (end − start) / L, the division truncating
// toward zero. Drawn off-screen and copied to the window at once.
class TGradientPanel : public QWidget
{
    Q_OBJECT

public:
    explicit TGradientPanel(QWidget *parent = nullptr);

    QColor StartColor() const { return m_startColor; }
    void setStartColor(const QColor &color);
    QColor EndColor() const { return m_endColor; }
    void setEndColor(const QColor &color);
    TGradientDirection Direction() const { return m_direction; }
    void setDirection(TGradientDirection direction);
    int ColorWidth() const { return m_colorWidth; }
    void setColorWidth(int pixels);
    // Exchanges the two colours' roles without changing them.
    bool swapColors() const { return m_swapColors; }
    void setSwapColors(bool on);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void invalidate();
    void paintGradient();

    QColor m_startColor = QColor(0, 255, 255);
    QColor m_endColor = QColor(0, 0, 255);
    TGradientDirection m_direction = gdUpDown;
    int m_colorWidth = 1;
    bool m_swapColors = false;
    QPixmap m_buffer;
};

#pragma once

#include <QColor>
#include <QStringList>
#include <QWidget>

class QTimer;

// Lines of text that scroll up through the control and re-enter from the bottom, one step of
// ScrollPixels every Delay milliseconds while Active. The text lies in an inner area as wide as
// the control, with the background colour and the text (the palette's window-text colour) at
// its top. Holding a mouse button on it freezes it, and dragging moves it up or down with the
// same wrap-around; releasing the button resumes the steps.
class TScrollText : public QWidget
{
    Q_OBJECT

public:
    explicit TScrollText(QWidget *parent = nullptr);

    QStringList Items() const { return m_items; }
    void setItems(const QStringList &items);
    int Delay() const { return m_delay; }
    void setDelay(int ms);
    int ScrollPixels() const { return m_scrollPixels; }
    void setScrollPixels(int pixels);
    QColor BackgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor &color);

    bool Active() const { return m_active; }
    // Activating starts afresh: the inner area goes just above the control (top at minus its
    // height) and the steps start. Deactivating stops them where the text is.
    void setActive(bool on);

    // The inner area's top in the control's pixels.
    int textTop() const { return m_top; }
    // The inner area's height: per non-empty line the text height times (text width div the
    // control's width + 1), per empty line the line height, and at least the control's height.
    int textAreaHeight() const;

    // One automatic step: up by ScrollPixels, or back below the control once the inner area has
    // wholly left it at the top.
    void step();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void tick();
    void arm();
    void drag(int dy);

    QStringList m_items;
    int m_delay = 100;
    int m_scrollPixels = 1;
    QColor m_backgroundColor = QColor(0, 0, 128);
    bool m_active = false;
    int m_top = 0;
    bool m_dragging = false;
    int m_dragY = 0;
    QTimer *m_timer;
};

#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>

class TAlertPopup;

// One alarm message of the run.
struct TAlertMessage
{
    QStringList Text;      // lines; shown joined with nothing between them
    int ImageIndex = 0;    // the popup has no image list
    QColor Color, ColorTo; // invalid: the popup's own background
    int Tag = 0;
    QString shown() const { return Text.join(QString()); }
};

// The small translucent window at the bottom right of the screen that shows the current
// message, steps between messages, deletes the one shown, and moves by its top strip.
// It never takes the keyboard focus.
class TAlertPopupWindow : public QWidget
{
    Q_OBJECT

public:
    enum class TButton { None, Close, Previous, Next, Delete };

    explicit TAlertPopupWindow(TAlertPopup *popup);

    // Regions, in the window's own pixels; right and bottom exclusive as QRect(x, y, w, h).
    static QRect captionRect();
    static QRect closeRect();
    static QRect textRect();
    QRect previousRect() const;
    QRect nextRect() const;
    QRect deleteRect() const;
    // The width kept for the position text: "%d of %d" for N - 1 and N, plus 8.
    int positionWidth() const;
    // The button that exists and may be used at p; None elsewhere.
    TButton buttonAt(QPoint p) const;
    TButton hovered() const { return m_hover; }
    TButton pressed() const { return m_down; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void Paint(QPainter &p);
    void paintButtonHighlight(QPainter &p, TButton button, const QRect &r);
    void paintArrow(QPainter &p, const QRect &r, const QString &glyph, bool enabled);
    bool canMove(TButton button) const;
    QString linkAt(QPoint p) const;
    void hoverAt(QPoint p);

    TAlertPopup *m_popup;
    TButton m_hover = TButton::None;
    TButton m_down = TButton::None;
    bool m_dragging = false;
    QPoint m_dragOffset;
};

// The alarm messages of the run, numbered 1 to N, and the popup window that shows them.
class TAlertPopup : public QObject
{
    Q_OBJECT

public:
    enum class TWindowPosition { wpRightBottom, wpPreset };

    static constexpr int PopupWidth = 300;
    static constexpr int PopupHeight = 100;
    static constexpr int AlphaStart = 220;
    static constexpr int AlphaEnd = 220;

    explicit TAlertPopup(QWidget *owner);
    ~TAlertPopup() override;

    // The messages, 1 to N.
    const QList<TAlertMessage> &AlertMessages() const { return m_messages; }
    // 1 to N, or 0 while there is no message.
    int current() const { return m_current; }

    // Appends a message; a visible popup counts it at once.
    void addMessage(const QString &text);
    void selectNewest();
    // Shows the popup without taking the keyboard focus; nothing when the list is empty.
    void show();
    bool isVisible() const;
    TAlertPopupWindow *window() const { return m_window; }

    // What the popup's buttons do.
    void hide();
    void previous();
    void next();
    void deleteCurrent();

    TWindowPosition WindowPosition() const { return m_position; }
    QPoint presetPosition() const { return m_preset; }
    // The user dragged the popup: later shows put it there, for the rest of the run.
    void setPresetPosition(QPoint topLeft);

    QFont Font() const { return m_font; }
    QWidget *owner() const { return m_owner; }
    // The widget that had the keyboard focus when the popup was last shown.
    QWidget *focusBefore() const { return m_focusBefore; }

private:
    void redraw();

    QWidget *m_owner;
    QList<TAlertMessage> m_messages;
    int m_current = 0;
    TWindowPosition m_position = TWindowPosition::wpRightBottom;
    QPoint m_preset;
    QFont m_font;
    QPointer<TAlertPopupWindow> m_window;
    QPointer<QWidget> m_focusBefore;
};

// Opens a link of a message with the desktop's handler. Only web and mail addresses are
// opened: a message is typed by hand, and a link must never run a program or open a local
// file. Returns whether the target was handed on.
bool OpenAlertLink(const QString &target);

#pragma once

#include <QList>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>

class QWidget;

namespace platform {

// Show commands of the placement record.
enum TShowCmd { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWMINIMIZED = 2, SW_SHOWMAXIMIZED = 3 };
// Placement flag: the window goes back to maximised when it is restored from minimised.
constexpr int WPF_RESTORETOMAXIMIZED = 2;

// What the window system keeps of a top-level window's place, as the settings file stores it.
// What each field means on X11 under a window manager:
struct TWindowPlacement
{
    // 1 normal, 2 minimised (iconified), 3 maximised (or full screen), from the window's state;
    // a hidden window gives the state it will be shown in. When applied, 0 leaves visibility
    // and state alone; any other value sets the state and shows the window.
    int showCmd = SW_SHOWNORMAL;
    // WPF_RESTORETOMAXIMIZED when the window is minimised from the maximised state, else 0.
    int flags = 0;
    // X11 has no place of its own for a minimised window: always -1, -1; ignored when applied.
    QPoint minPosition{-1, -1};
    // The window manager decides where a maximised window goes: this is only what the program
    // last set (-1, -1 before), kept with the window and never sent to the window manager.
    QPoint maxPosition{-1, -1};
    // The outer frame of the window in its normal state, title bar and borders included, in
    // pixels of the virtual desktop; right and bottom lie just outside it. While the window is
    // maximised or minimised, the frame it goes back to.
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    QRect normalRect() const { return QRect(QPoint(left, top), QSize(right - left, bottom - top)); }
    void setNormalRect(const QRect &r)
    {
        left = r.left();
        top = r.top();
        right = r.left() + r.width();
        bottom = r.top() + r.height();
    }
};

TWindowPlacement GetWindowPlacement(const QWidget *window);
// Gives the window its normal frame (kept within the work area of the screen it is on, no
// larger than that work area) and, unless showCmd is SW_HIDE, its state. A window the window manager has not
// framed yet takes the exact frame once it has been framed.
void SetWindowPlacement(QWidget *window, const TWindowPlacement &placement);

// Opens the window with an outer frame of that size, centred on the primary screen's work
// area (kept on it), once the window manager frames it.
void SetDesignedOuterSize(QWidget *window, QSize outer);

// The thickness of the window's border (not its title bar), x and y; 0, 0 without a frame.
QPoint FrameThickness(const QWidget *window);
// Whether the user may resize the window by its border.
bool IsSizeable(const QWidget *window);

// Puts a top-level window that has just been hidden (a change of its flags hides it) with its
// client area at client, so that it is there again once it is shown.
void PlaceHiddenWindow(QWidget *window, const QRect &client);

// Makes a frameless window a notification for the window manager before it is first shown:
// shown above the user's work without raising or activating any window, and without a
// taskbar button.
void MarkAsNotification(QWidget *window);

// frame moved as little as puts it inside workArea. A frame larger than the work area starts
// at the work area's left (or top) edge.
QRect KeepOnScreen(const QRect &frame, const QRect &workArea);

// The work area, of those given (the primary screen's first), that holds the largest part of
// frame; the first one when frame lies on none of them.
QRect WorkAreaOf(const QRect &frame, const QList<QRect> &workAreas);

// frame moved up, else left, out of the way of other (a window above it) when they overlap
// and the moved frame still starts inside workArea; otherwise frame as it is.
QRect KeepClearOf(const QRect &frame, const QRect &other, const QRect &workArea);

// Each time the window is shown, moves it where needed so that its frame lies on the work
// area of the screen it is on (KeepOnScreen), and clear of the frame keepClearOf gives when
// there is room (KeepClearOf): before it is mapped, with the frame it is expected to get, and
// again once the window manager has framed it.
void KeepOnScreenWhenShown(QWidget *window, std::function<QRect()> keepClearOf = {});

// Qt keeps a native window that another program destroyed (xdotool windowclose) as if it were
// still there, shown, or hidden later, and showing the window again maps nothing. Such a
// window loses its native window and is hidden, so that the next show creates a new one; any
// other window is left alone.
void RecoverDestroyedWindow(QWidget *window);

} // namespace platform

#include "platform/WindowPlacement.h"

#include "platform/ErrorReport.h"
#include "platform/Screen.h"

#include <QDeadlineTimer>
#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstring>
#include <functional>
#include <optional>
#include <xcb/xcb.h>

namespace platform {
namespace {

// The frame margins last seen on a framed window: the best guess for a window the window
// manager has not framed yet, so that it is usually right the first time.
QMargins lastMargins;

xcb_connection_t *X11Connection()
{
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t X11Atom(xcb_connection_t *connection, const char *name)
{
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return result;
}

// The frame the window manager says it puts around the window (_NET_FRAME_EXTENTS), read
// each time: Qt's copy is not brought up to date when only the frame changes (un-maximising).
std::optional<QMargins> X11FrameExtents(const QWindow *handle)
{
    xcb_connection_t *connection = X11Connection();
    if (!connection)
        return std::nullopt;
    static const xcb_atom_t atom = X11Atom(connection, "_NET_FRAME_EXTENTS");
    if (atom == XCB_ATOM_NONE)
        return std::nullopt;
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection,
        xcb_get_property(connection, 0, xcb_window_t(handle->winId()), atom, XCB_ATOM_CARDINAL, 0, 4),
        nullptr);
    if (!reply)
        return std::nullopt;
    std::optional<QMargins> result;
    if (reply->format == 32 && xcb_get_property_value_length(reply) == 4 * int(sizeof(quint32))) {
        const auto *v = static_cast<const quint32 *>(xcb_get_property_value(reply));
        result = QMargins(int(v[0]), int(v[2]), int(v[1]), int(v[3])); // left, right, top, bottom
    }
    std::free(reply);
    return result;
}

QMargins Margins(const QWidget *w)
{
    const QWindow *handle = w->windowHandle();
    if (!handle)
        return {};
    // The window manager counts pixels of the screen; the widgets, pixels scaled by the
    // window's device pixel ratio (QT_SCALE_FACTOR).
    if (const std::optional<QMargins> extents = X11FrameExtents(handle)) {
        const qreal ratio = handle->devicePixelRatio();
        return QMargins(qRound(extents->left() / ratio), qRound(extents->top() / ratio),
                        qRound(extents->right() / ratio), qRound(extents->bottom() / ratio));
    }
    return handle->frameMargins();
}

QRect OuterFrame(const QWidget *w)
{
    return w->geometry().marginsAdded(Margins(w));
}

// Qt minimises a window by also marking it to start iconic (WM_HINTS); when the window manager
// restores it, the mark stays, and the next time Qt maps the window again (a change of its
// flags does) it would come back minimised. A window shown in any other state starts normal.
void ClearIconicStartHint(const QWidget *w)
{
    const QWindow *handle = w->windowHandle();
    xcb_connection_t *connection = X11Connection();
    if (!handle || !connection || (w->windowState() & Qt::WindowMinimized))
        return;
    const auto window = xcb_window_t(handle->winId());
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, 0, 9),
        nullptr);
    if (!reply)
        return;
    constexpr quint32 StateHint = 1u << 1;
    constexpr quint32 NormalState = 1;
    constexpr quint32 IconicState = 3;
    quint32 hints[9] = {};
    const int length = xcb_get_property_value_length(reply);
    if (reply->format == 32 && length >= int(3 * sizeof(quint32))) {
        std::memcpy(hints, xcb_get_property_value(reply), qMin(size_t(length), sizeof hints));
        if ((hints[0] & StateHint) && hints[2] == IconicState) {
            hints[2] = NormalState;
            xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS,
                                XCB_ATOM_WM_HINTS, 32, uint32_t(length / sizeof(quint32)), hints);
            xcb_flush(connection);
        }
    }
    std::free(reply);
}

// Whether the window manager still holds the window: ICCCM's WM_STATE, Normal or Iconic.
bool HeldByWindowManager(xcb_connection_t *connection, xcb_window_t window)
{
    static const xcb_atom_t atom = X11Atom(connection, "WM_STATE");
    xcb_get_property_reply_t *reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, atom, atom, 0, 1), nullptr);
    if (!reply)
        return false;
    constexpr quint32 WithdrawnState = 0;
    const bool held = reply->format == 32 && xcb_get_property_value_length(reply) >= int(sizeof(quint32)) &&
                      *static_cast<const quint32 *>(xcb_get_property_value(reply)) != WithdrawnState;
    std::free(reply);
    return held;
}

bool InNormalState(const QWidget *w)
{
    return !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

// Keeps what X11 does not: the frame a window has in its normal state, and the frame it is to
// take once the window manager has framed it (only then are the frame's margins known).
// The filter also sees the window's native window, once it has one: a window re-created (a
// stay-on-top toggle) has a new one.
void WatchHandle(QWidget *window, QObject *filter, QPointer<QWindow> &watched)
{
    QWindow *handle = window->windowHandle();
    if (handle && handle != watched) {
        watched = handle;
        handle->installEventFilter(filter);
    }
}

class PlacementTracker final : public QObject
{
public:
    explicit PlacementTracker(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("PlacementTracker"));
        window->installEventFilter(this);
        WatchHandle(m_window, this, m_handle);
    }

    static PlacementTracker *of(const QWidget *window)
    {
        for (QObject *child : window->children()) {
            if (auto *tracker = dynamic_cast<PlacementTracker *>(child))
                return tracker;
        }
        return nullptr;
    }
    static PlacementTracker *ensureFor(QWidget *window)
    {
        PlacementTracker *tracker = of(window);
        return tracker ? tracker : new PlacementTracker(window);
    }

    // The outer frame: applied now as far as it can be, exactly once the window is framed.
    void setOuter(const QRect &outer)
    {
        m_normal = outer;
        m_pending = outer;
        if (isFramed() && InNormalState(m_window))
            applyPending();
        else if (InNormalState(m_window))
            apply(outer, m_window->isVisible() ? Margins(m_window) : lastMargins);
    }

    std::optional<QRect> normal() const
    {
        if (m_pending)
            return m_pending;
        if (isFramed() && InNormalState(m_window))
            return OuterFrame(m_window);
        if (m_normal.isValid())
            return m_normal;
        return std::nullopt;
    }

    QPoint maxPosition{-1, -1};

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        Guarded([&] {
            if (watched == m_window) {
                switch (event->type()) {
                case QEvent::Show:
                    WatchHandle(m_window, this, m_handle);
                    ClearIconicStartHint(m_window);
                    break;
                case QEvent::Move:
                case QEvent::Resize:
                    track();
                    break;
                case QEvent::WindowStateChange:
                    if (m_pending && isFramed() && InNormalState(m_window)) {
                        const QMargins maximised = Margins(m_window);
                        applyOnceFramed([this, maximised] { return Margins(m_window) != maximised; });
                    }
                    break;
                default:
                    break;
                }
            } else if (event->type() == QEvent::Expose && m_pending && isFramed() &&
                       InNormalState(m_window)) {
                applyOnceFramed([this] { return !X11Connection() || X11FrameExtents(m_handle); });
            }
        });
        return false;
    }

private:
    bool isFramed() const
    {
        const QWindow *handle = m_window->windowHandle();
        return m_window->isVisible() && handle && handle->isExposed();
    }

    void track()
    {
        if (m_pending || !isFramed() || !InNormalState(m_window))
            return;
        m_normal = OuterFrame(m_window);
        lastMargins = Margins(m_window);
    }

    // The window manager may tell the frame only once the window is shown (kwin), and, when
    // un-maximising, puts the borders back only after it has told the window its new state:
    // the frame is set once the frame is known (or after a second).
    void applyOnceFramed(std::function<bool()> frameKnown)
    {
        if (m_waitForFrame)
            return;
        if (frameKnown()) {
            applyPending();
            return;
        }
        m_waitForFrame = new QTimer(this);
        m_waitForFrame->setInterval(50);
        connect(m_waitForFrame, &QTimer::timeout, this, [this, frameKnown, ticks = 0]() mutable {
            Guarded([&] {
                const bool gone = !m_pending || !isFramed() || !InNormalState(m_window);
                if (gone || frameKnown() || ++ticks >= 20) {
                    m_waitForFrame->deleteLater();
                    m_waitForFrame.clear();
                    if (!gone)
                        applyPending();
                }
            });
        });
        m_waitForFrame->start();
    }

    void applyPending()
    {
        const QRect outer = *m_pending;
        m_pending.reset();
        const QMargins margins = Margins(m_window);
        lastMargins = margins;
        apply(outer, margins);
        m_normal = outer;
    }

    void apply(const QRect &outer, const QMargins &margins)
    {
        // The client is placed, not the frame: QWidget::move compares with a frame it may not
        // know to be out of date, and would then do nothing.
        const QRect client(outer.topLeft() + QPoint(margins.left(), margins.top()),
                           outer.size().shrunkBy(margins).expandedTo(QSize(1, 1)));
        if (m_window->minimumSize() == m_window->maximumSize())
            m_window->setFixedSize(client.size()); // a border the user cannot drag keeps its size
        m_window->setGeometry(client);
    }

    QWidget *m_window;
    QPointer<QWindow> m_handle;
    QPointer<QTimer> m_waitForFrame;
    std::optional<QRect> m_pending;
    QRect m_normal;
};

// Keeps a window's frame on the work area of its screen each time it is shown.
class ScreenKeeper final : public QObject
{
public:
    ScreenKeeper(QWidget *window, std::function<QRect()> keepClearOf)
        : QObject(window), m_window(window), m_keepClearOf(std::move(keepClearOf))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        Guarded([&] {
            if (watched == m_window && event->type() == QEvent::Show) {
                WatchHandle(m_window, this, m_handle);
                // Not mapped yet: its frame is where the window is, with the margins the window
                // manager gave it before, or gives other windows.
                QMargins margins = Margins(m_window);
                if (margins.isNull())
                    margins = lastMargins;
                keep(QRect(m_window->pos(), m_window->size().grownBy(margins)), margins);
                m_checkFramed = true;
            } else if (watched == m_handle && event->type() == QEvent::Expose && m_checkFramed &&
                       m_handle->isExposed()) {
                m_checkFramed = false;
                QMargins margins = Margins(m_window);
                if (margins.isNull())
                    margins = lastMargins;
                keep(m_window->geometry().marginsAdded(margins), margins);
            }
        });
        return false;
    }

private:
    void keep(const QRect &outer, const QMargins &margins)
    {
        const QRect area = WorkAreaOf(outer, WorkAreas());
        QRect kept = KeepOnScreen(outer, area);
        if (m_keepClearOf)
            kept = KeepClearOf(kept, m_keepClearOf(), area);
        if (kept == outer)
            return;
        // The client is placed, not the frame: Qt would place a frame by its own guess of it.
        m_window->setGeometry(
            QRect(kept.topLeft() + QPoint(margins.left(), margins.top()), m_window->size()));
    }

    QWidget *m_window;
    std::function<QRect()> m_keepClearOf;
    QPointer<QWindow> m_handle;
    bool m_checkFramed = false;
};

} // namespace

TWindowPlacement GetWindowPlacement(const QWidget *window)
{
    TWindowPlacement p;
    const Qt::WindowStates state = window->windowState();
    if (state & Qt::WindowMinimized) {
        p.showCmd = SW_SHOWMINIMIZED;
        if (state & (Qt::WindowMaximized | Qt::WindowFullScreen))
            p.flags = WPF_RESTORETOMAXIMIZED;
    } else if (state & (Qt::WindowMaximized | Qt::WindowFullScreen)) {
        p.showCmd = SW_SHOWMAXIMIZED;
    }
    const PlacementTracker *tracker = PlacementTracker::of(window);
    std::optional<QRect> normal = tracker ? tracker->normal() : std::nullopt;
    if (!normal)
        normal = window->isVisible() && InNormalState(window) ? OuterFrame(window) : window->geometry();
    p.setNormalRect(*normal);
    if (tracker)
        p.maxPosition = tracker->maxPosition;
    return p;
}

void SetWindowPlacement(QWidget *window, const TWindowPlacement &placement)
{
    PlacementTracker *tracker = PlacementTracker::ensureFor(window);
    tracker->maxPosition = placement.maxPosition;
    const QRect stored = placement.normalRect();
    const QRect area = WorkAreaOf(stored, WorkAreas());
    tracker->setOuter(KeepOnScreen(QRect(stored.topLeft(), stored.size().boundedTo(area.size())), area));
    if (placement.showCmd == SW_HIDE)
        return;
    Qt::WindowStates state = Qt::WindowNoState;
    switch (placement.showCmd) {
    case 2:
    case 6:
    case 7:
        state = Qt::WindowMinimized;
        break;
    case 3:
        state = Qt::WindowMaximized;
        break;
    default:
        break;
    }
    window->setWindowState(state);
    window->show();
}

void SetDesignedOuterSize(QWidget *window, QSize outer)
{
    const QRect area = Screen().workArea;
    const QPoint topLeft =
        area.topLeft() + QPoint((area.width() - outer.width()) / 2, (area.height() - outer.height()) / 2);
    PlacementTracker::ensureFor(window)->setOuter(KeepOnScreen(QRect(topLeft, outer), area));
}

void KeepOnScreenWhenShown(QWidget *window, std::function<QRect()> keepClearOf)
{
    new ScreenKeeper(window, std::move(keepClearOf));
}

void RecoverDestroyedWindow(QWidget *window)
{
    QWindow *handle = window->windowHandle();
    xcb_connection_t *connection = X11Connection();
    if (!connection || !handle || !handle->handle())
        return;
    xcb_generic_error_t *error = nullptr;
    xcb_get_window_attributes_reply_t *reply = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, xcb_window_t(handle->winId())), &error);
    const bool gone = !reply && error && error->error_code == XCB_WINDOW;
    std::free(reply);
    std::free(error);
    if (!gone)
        return;
    // Hidden first, Qt would unmap the dead window; without a native window, hiding only
    // marks a widget still counted as shown hidden, which lets show() create a new one.
    handle->destroy();
    window->hide();
}

QPoint FrameThickness(const QWidget *window)
{
    if (!window->isVisible())
        return {0, 0};
    const QMargins margins = Margins(window);
    return {margins.left(), margins.bottom()};
}

bool IsSizeable(const QWidget *window)
{
    return window->minimumSize() != window->maximumSize();
}

void PlaceHiddenWindow(QWidget *window, const QRect &client)
{
    window->setGeometry(client);
    xcb_connection_t *connection = X11Connection();
    const QWindow *handle = window->windowHandle();
    if (!connection || !handle || !handle->handle())
        return;
    const auto id = xcb_window_t(handle->winId());
    // Mapped again before the window manager has let it go (ICCCM 4.1.4), the window is
    // framed again where the window manager put it down, which need not be where it was
    // (mutter puts the client where its frame was). Qt does not wait; the window manager
    // answers within a few milliseconds.
    const QDeadlineTimer deadline(1000);
    while (HeldByWindowManager(connection, id) && !deadline.hasExpired())
        QThread::msleep(2);
    const uint32_t values[] = {uint32_t(client.x()), uint32_t(client.y()), uint32_t(client.width()),
                               uint32_t(client.height())};
    xcb_configure_window(connection, id,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(connection);
}

void MarkAsNotification(QWidget *window)
{
    xcb_connection_t *connection = X11Connection();
    if (!connection)
        return;
    const xcb_atom_t notification = X11Atom(connection, "_NET_WM_WINDOW_TYPE_NOTIFICATION");
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()),
                        X11Atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM, 32, 1, &notification);
    xcb_flush(connection);
}

} // namespace platform

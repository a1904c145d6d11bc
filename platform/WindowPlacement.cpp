#include "platform/WindowPlacement.h"

#include "platform/ErrorReport.h"
#include "platform/Screen.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <optional>

namespace platform {
namespace {

// The frame margins last seen on a framed window: the best guess for a window the window
// manager has not framed yet, so that it is usually right the first time.
QMargins lastMargins;

// Asked of the window itself: the widget's own copy of the margins is only brought up to date
// by a move or a resize, not when the window manager changes the frame.
QMargins Margins(const QWidget *w)
{
    if (const QWindow *handle = w->windowHandle())
        return handle->frameMargins();
    return {};
}

QRect OuterFrame(const QWidget *w)
{
    return w->geometry().marginsAdded(Margins(w));
}

bool InNormalState(const QWidget *w)
{
    return !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

// Keeps what X11 does not: the frame a window has in its normal state, and the frame it is to
// take once the window manager has framed it (only then are the frame's margins known).
class PlacementTracker final : public QObject
{
public:
    explicit PlacementTracker(QWidget *window) : QObject(window), m_window(window)
    {
        setObjectName(QStringLiteral("PlacementTracker"));
        window->installEventFilter(this);
        WatchHandle();
    }

    static PlacementTracker *Of(const QWidget *window)
    {
        for (QObject *child : window->children()) {
            if (auto *tracker = dynamic_cast<PlacementTracker *>(child))
                return tracker;
        }
        return nullptr;
    }
    static PlacementTracker *For(QWidget *window)
    {
        PlacementTracker *tracker = Of(window);
        return tracker ? tracker : new PlacementTracker(window);
    }

    // The outer frame: applied now as far as it can be, exactly once the window is framed.
    void SetOuter(const QRect &outer)
    {
        m_normal = outer;
        m_pending = outer;
        if (Framed() && InNormalState(m_window))
            ApplyPending();
        else if (InNormalState(m_window))
            Apply(outer, m_window->isVisible() ? Margins(m_window) : lastMargins);
    }

    std::optional<QRect> Normal() const
    {
        if (m_pending)
            return m_pending;
        if (Framed() && InNormalState(m_window))
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
                    WatchHandle();
                    break;
                case QEvent::Move:
                case QEvent::Resize:
                    Track();
                    break;
                case QEvent::WindowStateChange:
                    if (m_pending && Framed() && InNormalState(m_window))
                        ApplyPending();
                    break;
                default:
                    break;
                }
            } else if (event->type() == QEvent::Expose && m_pending && Framed() && InNormalState(m_window)) {
                ApplyPending();
            }
        });
        return false;
    }

private:
    bool Framed() const
    {
        const QWindow *handle = m_window->windowHandle();
        return m_window->isVisible() && handle && handle->isExposed();
    }

    void WatchHandle()
    {
        QWindow *handle = m_window->windowHandle();
        if (handle && handle != m_handle) {
            m_handle = handle;
            handle->installEventFilter(this);
        }
    }

    void Track()
    {
        if (m_pending || !Framed() || !InNormalState(m_window))
            return;
        m_normal = OuterFrame(m_window);
        lastMargins = Margins(m_window);
    }

    void ApplyPending()
    {
        const QRect outer = *m_pending;
        m_pending.reset();
        const QMargins margins = Margins(m_window);
        lastMargins = margins;
        Apply(outer, margins);
        m_normal = outer;
    }

    void Apply(const QRect &outer, const QMargins &margins)
    {
        const QSize client = outer.size().shrunkBy(margins).expandedTo(QSize(1, 1));
        if (m_window->minimumSize() == m_window->maximumSize())
            m_window->setFixedSize(client); // a border the user cannot drag keeps its size
        else
            m_window->resize(client);
        m_window->move(outer.topLeft()); // a window's position is its frame's
    }

    QWidget *m_window;
    QPointer<QWindow> m_handle;
    std::optional<QRect> m_pending;
    QRect m_normal;
};

QList<QRect> ScreenGeometries()
{
    QList<QRect> result;
    for (const QScreen *screen : QGuiApplication::screens())
        result << screen->geometry();
    return result;
}

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
    const PlacementTracker *tracker = PlacementTracker::Of(window);
    std::optional<QRect> normal = tracker ? tracker->Normal() : std::nullopt;
    if (!normal)
        normal = window->isVisible() && InNormalState(window) ? OuterFrame(window) : window->geometry();
    p.setNormalRect(*normal);
    if (tracker)
        p.maxPosition = tracker->maxPosition;
    return p;
}

void SetWindowPlacement(QWidget *window, const TWindowPlacement &placement)
{
    PlacementTracker *tracker = PlacementTracker::For(window);
    tracker->maxPosition = placement.maxPosition;
    tracker->SetOuter(FitOntoScreens(placement.normalRect(), ScreenGeometries(), Screen().workArea));
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
    PlacementTracker::For(window)->SetOuter(QRect(topLeft, outer));
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

QRect FitOntoScreens(const QRect &rect, const QList<QRect> &screens, const QRect &workArea)
{
    for (const QRect &screen : screens) {
        if (screen.intersects(rect))
            return rect;
    }
    QRect fitted(rect.topLeft(), rect.size().boundedTo(workArea.size()));
    fitted.moveLeft(
        qBound(workArea.left(), fitted.left(), workArea.left() + workArea.width() - fitted.width()));
    fitted.moveTop(
        qBound(workArea.top(), fitted.top(), workArea.top() + workArea.height() - fitted.height()));
    return fitted;
}

} // namespace platform

#include "ui/AlertPopup.h"

#include "platform/ErrorReport.h"
#include "platform/Links.h"
#include "platform/Screen.h"
#include "platform/TextLines.h"
#include "platform/WindowPlacement.h"
#include "ui/MarkupRender.h"

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QScopeGuard>
#include <QUrlQuery>

namespace {

constexpr int W = TAlertPopup::PopupWidth;
constexpr int H = TAlertPopup::PopupHeight;
constexpr int MarginX = 4;
constexpr int MarginY = 1;
const QString PositionFormat = QStringLiteral("%1 of %2");

// The colours of the classic style.
QColor WindowColor()
{
    return MarkupColor(QStringLiteral("clbtnface"));
}
QColor CaptionColor()
{
    return QColor(0, 0, 255);
}
QColor CaptionColorTo()
{
    return MarkupColor(QStringLiteral("clhighlight"));
}
QColor BtnHoverColor()
{
    return MarkupColor(QStringLiteral("clinactivecaption"));
}
QColor BtnDownColor()
{
    return MarkupColor(QStringLiteral("clhighlight"));
}
QColor TextColor()
{
    return MarkupColor(QStringLiteral("clwindowtext"));
}
const QColor Gray(128, 128, 128);

// Top to bottom in steps bands; each band's colour and edges are rounded from the
// exact fraction, the last band reaching the bottom.
void Gradient(QPainter &p, const QColor &from, const QColor &to, int steps, const QRect &r)
{
    const double dr = double(to.red() - from.red()) / steps;
    const double dg = double(to.green() - from.green()) / steps;
    const double db = double(to.blue() - from.blue()) / steps;
    const double dh = double(r.height()) / steps;
    for (int i = 0; i < steps; ++i) {
        const QColor c(from.red() + qRound(dr * i), from.green() + qRound(dg * i),
                       from.blue() + qRound(db * i));
        const int top = r.top() + qRound(dh * i);
        const int bottom = i == steps - 1 ? r.top() + r.height() : r.top() + qRound(dh * (i + 1));
        if (bottom > top)
            p.fillRect(QRect(r.left(), top, r.width(), bottom - top), c);
    }
}

void Frame(QPainter &p, const QRect &r, const QColor &c)
{
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), c);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), c);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), c);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), c);
}

// Rounds n / d to the nearest integer, halves upward, for any sign of n (d > 0).
int RoundDiv(int n, int d)
{
    const int twice = 2 * n + d;
    const int q = twice / (2 * d);
    return (twice % (2 * d) != 0 && twice < 0) ? q - 1 : q;
}

// A one-pixel line from a up to, but not including, b: the classic line drawing whose
// pixel coordinates the crosses are given in.
void Line(QPainter &p, QPoint a, QPoint b, const QColor &c)
{
    const int dx = b.x() - a.x();
    const int dy = b.y() - a.y();
    const int n = qMax(qAbs(dx), qAbs(dy));
    for (int k = 0; k < n; ++k)
        p.fillRect(QRect(a.x() + RoundDiv(k * dx, n), a.y() + RoundDiv(k * dy, n), 1, 1), c);
}

QString Hint(TAlertPopupWindow::TButton button)
{
    switch (button) {
    case TAlertPopupWindow::TButton::Close:
        return QStringLiteral("Close");
    case TAlertPopupWindow::TButton::Previous:
        return QStringLiteral("Previous");
    case TAlertPopupWindow::TButton::Next:
        return QStringLiteral("Next");
    case TAlertPopupWindow::TButton::Delete:
        return QStringLiteral("Delete");
    case TAlertPopupWindow::TButton::None:
        break;
    }
    return {};
}

} // namespace

namespace {

// A mail link reaches the mail program with its addresses and the fields a message is written
// with; anything else (attach=, a header of the sender's choosing) stays behind.
QUrl HarmlessMailLink(const QUrl &url)
{
    static const QStringList kept = {QStringLiteral("subject"), QStringLiteral("body"), QStringLiteral("cc"),
                                     QStringLiteral("bcc")};
    QUrlQuery query;
    for (const auto &[key, value] : QUrlQuery(url).queryItems(QUrl::FullyEncoded)) {
        if (kept.contains(key.toLower()))
            query.addQueryItem(key, value);
    }
    QUrl result;
    result.setScheme(QStringLiteral("mailto"));
    result.setPath(url.path(QUrl::FullyEncoded), QUrl::StrictMode);
    result.setQuery(query);
    return result;
}

} // namespace

bool OpenAlertLink(const QString &target)
{
    const QUrl url(target.trimmed(), QUrl::StrictMode);
    if (!url.isValid())
        return false;
    const QString scheme = url.scheme().toLower();
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) && !url.host().isEmpty()) {
        platform::OpenUrl(url);
        return true;
    }
    if (scheme == QLatin1String("mailto") && !url.path().isEmpty()) {
        platform::OpenUrl(HarmlessMailLink(url));
        return true;
    }
    return false;
}

// ---- the window ----

// Owned by no window: a window manager hides the utility windows of an inactive program
// with their owner (kwin), or raises the owner with them.
TAlertPopupWindow::TAlertPopupWindow(TAlertPopup *popup)
    : QWidget(nullptr,
              Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus),
      m_popup(popup)
{
    setObjectName(QStringLiteral("AlertPopupWindow"));
    // Named so that it can be found among the desktop's windows; it has no title bar.
    setWindowTitle(QStringLiteral("Tempovir - Alarme"));
    platform::MarkAsNotification(this);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Qt shows tool tips of active windows only, and this one never is.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setFixedSize(W, H);
    setFont(popup->Font());
}

QRect TAlertPopupWindow::captionRect()
{
    return QRect(QPoint(1, 1), QPoint(W - 2, 6));
}

QRect TAlertPopupWindow::closeRect()
{
    return QRect(QPoint(W - 21, 8), QPoint(W - 2, 27));
}

QRect TAlertPopupWindow::textRect()
{
    return QRect(QPoint(MarginX, 20 + MarginY), QPoint(W - 20 - MarginX - 1, H - MarginY - 25 - 1));
}

int TAlertPopupWindow::positionWidth() const
{
    const int n = int(m_popup->AlertMessages().size());
    return QFontMetrics(m_popup->Font()).horizontalAdvance(PositionFormat.arg(n - 1).arg(n)) + 8;
}

QRect TAlertPopupWindow::previousRect() const
{
    const int tw = positionWidth();
    return QRect(QPoint(W / 2 - tw / 2 - 20, H - 26), QPoint(W / 2 - tw / 2 - 1, H - 2));
}

QRect TAlertPopupWindow::nextRect() const
{
    const int tw = positionWidth();
    return QRect(QPoint(W / 2 + tw / 2, H - 26), QPoint(W / 2 + tw / 2 + 19, H - 2));
}

QRect TAlertPopupWindow::deleteRect() const
{
    const int x = m_popup->AlertMessages().size() > 1 ? W / 2 + positionWidth() / 2 + 20 : W / 2 - 10;
    return QRect(QPoint(x, H - 26), QPoint(x + 19, H - 2));
}

TAlertPopupWindow::TButton TAlertPopupWindow::buttonAt(QPoint p) const
{
    const qsizetype n = m_popup->AlertMessages().size();
    if (closeRect().contains(p))
        return TButton::Close;
    if (n > 1 && previousRect().contains(p))
        return TButton::Previous;
    if (n > 1 && nextRect().contains(p))
        return TButton::Next;
    if (n >= 1 && deleteRect().contains(p))
        return TButton::Delete;
    return TButton::None;
}

bool TAlertPopupWindow::canMove(TButton button) const
{
    if (button == TButton::Previous)
        return m_popup->current() > 1;
    if (button == TButton::Next)
        return m_popup->current() < m_popup->AlertMessages().size();
    return true;
}

QString TAlertPopupWindow::linkAt(QPoint p) const
{
    const int c = m_popup->current();
    if (c < 1 || !textRect().contains(p))
        return {};
    QImage scratch(1, 1, QImage::Format_RGB32);
    QPainter painter(&scratch);
    painter.setFont(m_popup->Font());
    TMarkupOptions options;
    options.MeasureOnly = true;
    options.TestPoint = p;
    TMarkupResult result;
    RenderMarkup(painter, m_popup->AlertMessages()[c - 1].shown(), textRect(), options, &result);
    return result.LinkHit ? result.LinkTarget : QString();
}

void TAlertPopupWindow::paintEvent(QPaintEvent *)
{
    platform::Guarded([this] {
        QPainter p(this);
        Paint(p);
    });
}

void TAlertPopupWindow::Paint(QPainter &p)
{
    const QList<TAlertMessage> &messages = m_popup->AlertMessages();
    const int n = int(messages.size());
    const int c = m_popup->current();
    const TAlertMessage *current = c >= 1 && c <= n ? &messages[c - 1] : nullptr;

    // 1, 2: background and frame.
    if (current && current->Color.isValid())
        Gradient(p, current->Color, current->ColorTo.isValid() ? current->ColorTo : current->Color, 80,
                 rect());
    else
        Gradient(p, WindowColor(), WindowColor(), 80, rect());
    Frame(p, rect(), Qt::black);

    // 3: the top strip and its grip of nine dots.
    Gradient(p, CaptionColor(), CaptionColorTo(), 16, captionRect());
    const int a = (W - 34) / 2;
    for (int x = a; x <= a + 32; x += 4)
        p.fillRect(QRect(x + 1, 3, 2, 2), Qt::white);
    for (int x = a; x <= a + 32; x += 4)
        p.fillRect(QRect(x, 2, 2, 2), Qt::black);
    for (int x = a; x <= a + 32; x += 4)
        p.fillRect(QRect(x + 1, 3, 1, 1), CaptionColorTo());

    // 4: the close button.
    paintButtonHighlight(p, TButton::Close, closeRect());
    Line(p, {W - 15, 20}, {W - 7, 13}, Qt::black);
    Line(p, {W - 14, 20}, {W - 8, 13}, Qt::black);
    Line(p, {W - 15, 14}, {W - 7, 21}, Qt::black);
    Line(p, {W - 14, 14}, {W - 8, 21}, Qt::black);

    p.setFont(m_popup->Font());
    // 5: the current message, cut at the text area's edges.
    if (current) {
        p.save();
        p.setClipRect(textRect());
        p.setPen(TextColor());
        TMarkupOptions options;
        options.WordWrap = true;
        options.LinkColor = QColor(0, 0, 255);
        options.ShadowColor = Gray;
        options.ShadowOffset = 1;
        options.Hover = false;
        RenderMarkup(p, current->shown(), textRect(), options);
        p.restore();
    }

    // 6: navigation.
    if (n > 1) {
        const QRect prev = previousRect();
        paintButtonHighlight(p, TButton::Previous, prev);
        paintArrow(p, prev, QStringLiteral("<"), canMove(TButton::Previous));
        const QFontMetrics fm(m_popup->Font());
        const QString position = PositionFormat.arg(c).arg(n);
        p.setPen(TextColor());
        p.drawText(QPoint(W / 2 - fm.horizontalAdvance(position) / 2, H - 5 - fm.height() + fm.ascent()),
                   position);
        const QRect next = nextRect();
        paintButtonHighlight(p, TButton::Next, next);
        paintArrow(p, next, QStringLiteral(">"), canMove(TButton::Next));
    }

    // 7: delete.
    if (n >= 1) {
        const QRect del = deleteRect();
        paintButtonHighlight(p, TButton::Delete, del);
        const int r = del.left() + del.width();
        const int t = del.top();
        Line(p, {r - 14, t + 15}, {r - 6, t + 8}, Qt::black);
        Line(p, {r - 13, t + 15}, {r - 7, t + 8}, Qt::black);
        Line(p, {r - 14, t + 9}, {r - 6, t + 16}, Qt::black);
        Line(p, {r - 13, t + 9}, {r - 7, t + 16}, Qt::black);
    }
}

void TAlertPopupWindow::paintButtonHighlight(QPainter &p, TButton button, const QRect &r)
{
    if (!canMove(button))
        return;
    QColor colour;
    if (m_down == button && m_hover == button)
        colour = BtnDownColor();
    else if (m_hover == button && m_down == TButton::None)
        colour = BtnHoverColor();
    else
        return;
    Gradient(p, colour, colour, 16, r.adjusted(0, 0, 0, -1));
    Frame(p, r, Qt::black);
}

void TAlertPopupWindow::paintArrow(QPainter &p, const QRect &r, const QString &glyph, bool enabled)
{
    const int baseline = r.top() + 6 + QFontMetrics(m_popup->Font()).ascent();
    p.setPen(enabled ? QColor(Qt::black) : Gray);
    p.drawText(QPoint(r.left() + 5, baseline), glyph);
    p.drawText(QPoint(r.left() + 8, baseline), glyph);
}

void TAlertPopupWindow::hoverAt(QPoint p)
{
    const TButton hover = buttonAt(p);
    if (hover != m_hover) {
        m_hover = hover;
        setToolTip(Hint(hover));
        update();
    }
    if (!linkAt(p).isEmpty())
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void TAlertPopupWindow::mouseMoveEvent(QMouseEvent *event)
{
    platform::Guarded([this, event] {
        setWindowOpacity(1.0);
        if (m_dragging) {
            move(event->globalPosition().toPoint() - m_dragOffset);
            raise();
            return;
        }
        hoverAt(event->position().toPoint());
    });
}

void TAlertPopupWindow::mousePressEvent(QMouseEvent *event)
{
    platform::Guarded([this, event] {
        if (event->button() != Qt::LeftButton)
            return;
        const QPoint at = event->position().toPoint();
        if (captionRect().contains(at)) {
            m_dragging = true;
            m_dragOffset = event->globalPosition().toPoint() - pos();
            return;
        }
        const QString link = linkAt(at);
        if (!link.isEmpty())
            OpenAlertLink(link);
        const TButton button = buttonAt(at);
        m_down = button == TButton::Previous && !canMove(button) ? TButton::None : button;
        m_hover = button;
        update();
    });
}

void TAlertPopupWindow::mouseReleaseEvent(QMouseEvent *event)
{
    platform::Guarded([this, event] {
        if (event->button() != Qt::LeftButton)
            return;
        if (m_dragging) {
            m_dragging = false;
            m_popup->setPresetPosition(pos());
            return;
        }
        const QPoint at = event->position().toPoint();
        const TButton armed = m_down;
        m_down = TButton::None;
        update();
        if (armed == TButton::None || buttonAt(at) != armed)
            return;
        switch (armed) {
        case TButton::Close:
            m_popup->hide();
            break;
        case TButton::Previous:
            m_popup->previous();
            break;
        case TButton::Next:
            m_popup->next();
            break;
        case TButton::Delete:
            m_popup->deleteCurrent();
            break;
        case TButton::None:
            break;
        }
        if (isVisible())
            hoverAt(at);
    });
}

void TAlertPopupWindow::changeEvent(QEvent *event)
{
    platform::Guarded([this, event] {
        // The popup never keeps the keyboard: should the window system activate it (on
        // showing it, or with a click), the keyboard goes back to the window that had it
        // when the popup was shown, else to the owner window.
        if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
            QWidget *back = m_popup->focusBefore() ? m_popup->focusBefore() : m_popup->owner();
            if (back && back->window() != this) {
                back->activateWindow();
                back->setFocus(Qt::ActiveWindowFocusReason);
            }
        }
    });
    QWidget::changeEvent(event);
}

void TAlertPopupWindow::leaveEvent(QEvent *)
{
    platform::Guarded([this] {
        setWindowOpacity(TAlertPopup::AlphaEnd / 255.0);
        m_hover = TButton::None;
        m_down = TButton::None;
        setToolTip(QString());
        unsetCursor();
        update();
    });
}

// ---- the component ----

TAlertPopup::TAlertPopup(QWidget *owner)
    : QObject(owner), m_owner(owner), m_font(QStringLiteral("MS Sans Serif"))
{
    m_font.setPixelSize(11); // 8 points at 96 pixels per inch
}

TAlertPopup::~TAlertPopup()
{
    delete m_window;
}

void TAlertPopup::addMessage(const QString &text)
{
    TAlertMessage message;
    message.Text = platform::SplitLines(text);
    if (message.Text.size() > 1 && message.Text.last().isEmpty())
        message.Text.removeLast();
    m_messages << message;
    redraw();
}

void TAlertPopup::selectNewest()
{
    m_current = int(m_messages.size());
    redraw();
}

bool TAlertPopup::isVisible() const
{
    return m_window && m_window->isVisible();
}

void TAlertPopup::redraw()
{
    if (isVisible())
        m_window->update();
}

void TAlertPopup::show()
{
    // Whatever happens, the keyboard stays with the window that had it.
    const QPointer<QWidget> focus = QApplication::focusWidget();
    if (focus && (!m_window || focus->window() != m_window))
        m_focusBefore = focus;
    const auto giveBack = qScopeGuard([&focus] {
        if (focus && QApplication::focusWidget() != focus) {
            focus->activateWindow();
            focus->setFocus(Qt::OtherFocusReason);
        }
    });
    if (m_window)
        platform::RecoverDestroyedWindow(m_window);
    if (isVisible()) {
        redraw();
        return;
    }
    if (m_messages.isEmpty())
        return;
    if (!m_window)
        m_window = new TAlertPopupWindow(this);
    QPoint at = m_preset;
    if (m_position == TWindowPosition::wpRightBottom) {
        const QRect area = platform::Screen().workArea;
        at = QPoint(area.x() + area.width() - PopupWidth - 2, area.y() + area.height() - PopupHeight);
    }
    m_window->move(at);
    m_window->setWindowOpacity(AlphaStart / 255.0);
    m_window->show();
    m_window->raise();
}

void TAlertPopup::hide()
{
    if (m_window)
        m_window->hide();
}

void TAlertPopup::previous()
{
    if (m_current > 1)
        --m_current;
    redraw();
}

void TAlertPopup::next()
{
    if (m_current < m_messages.size())
        ++m_current;
    redraw();
}

void TAlertPopup::deleteCurrent()
{
    const int c = m_current;
    if (c < 1 || c > m_messages.size())
        return;
    if (c == m_messages.size() && c > 1)
        m_current = c - 1;
    m_messages.removeAt(c - 1);
    if (m_messages.isEmpty()) {
        m_current = 0;
        hide();
        return;
    }
    redraw();
}

void TAlertPopup::setPresetPosition(QPoint topLeft)
{
    m_preset = topLeft;
    m_position = TWindowPosition::wpPreset;
}

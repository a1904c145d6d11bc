// How the clock draws, and why.
//
// The control keeps what it shows on its own surface, an image the size of the control;
// paintEvent only copies the exposed part of that image to the screen and never reads the
// time. Reading the time raises OnGetTime, whose handler may run the alarm check, which may
// wait in Delay and so dispatch events: a nested tick, a nested full repaint, a menu command.
// Every drawing routine therefore reads all the times it needs first, with no QPainter open,
// then opens a painter on the surface, draws, closes it, and asks Qt to show the changed
// rectangles with update(). What it compares against (DisplayedTime, the mode) is looked at
// only after the readings, since a nested drawing may have changed it meanwhile.
//
// A tick draws only what changed: the seconds (and minutes) cells of the digital text, or the
// erased and redrawn hands. A full repaint redraws the whole surface. It reads the time twice
// in digital mode, so a request for one (mode, font, colour, separator change) goes through
// the event queue like any paint message; in analog mode it reads no time and is done at
// once. When the hour changes a digital tick repaints in full right away, inside the tick.
// A resize draws the surface at once from what was last shown (no reading) and, in digital
// mode, then asks for a full repaint; an uncovered window is shown from the surface as it is.
//
// The ticks come from TTickTimer, a timer of the user-interface thread armed again once each
// tick has been handled: they also run inside Delay, and never nest.

#include "ui/Clock.h"

#include "platform/ErrorReport.h"
#include "platform/Regional.h"
#include "platform/Time.h"
#include "ui/ClockTimer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

using namespace clockface;

namespace {

const QEvent::Type FullRepaintEvent = QEvent::Type(QEvent::registerEventType());
constexpr int TickInterval = 450;
constexpr int CellTextFlags = Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip;

QRect LineBounds(const TLine &l)
{
    return QRect(l.From, l.To).normalized().adjusted(-1, -1, 1, 1);
}

} // namespace

TClock::TClock(QWidget *parent) : TClock(parent, true) {}

TClock::TClock(QWidget *parent, bool startTicking) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_displayed = split(platform::Time());
    (void)ClockMetrics(); // the screen is read once, by the first clock of the process
    m_faceRect = FitFaceRect(TEdges::from(rect()), ClockMetrics());
    connect(platform::RegionalSettings(), &platform::RegionalNotifier::changed, this,
            &TClock::requestFullRepaint);
    m_timer = std::make_unique<TTickTimer>(TickInterval, [this] { HandleTick(); });
    if (startTicking)
        m_timer->start();
}

TClock::~TClock()
{
    // Before anything of the control goes: a tick handled from here on would find it half gone.
    m_timer.reset();
}

QSize TClock::sizeHint() const
{
    return QSize(370, 150);
}

// ---------------------------------------------------------------- properties

void TClock::setShowMode(TShowClock mode)
{
    if (mode == m_showMode)
        return;
    m_showMode = mode;
    requestFullRepaint();
}

void TClock::setShowSeconds(bool show)
{
    if (show == m_showSeconds)
        return;
    m_showSeconds = show;
    m_layoutValid = false;
    requestFullRepaint();
}

void TClock::setCtl3D(bool on)
{
    if (on == m_ctl3D)
        return;
    m_ctl3D = on;
    if (m_showMode == scAnalog)
        requestFullRepaint();
}

QColor TClock::Color() const
{
    return palette().color(QPalette::Window);
}

void TClock::setColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::Window, color);
    setPalette(p); // the palette change repaints
}

QColor TClock::fontColor() const
{
    return palette().color(QPalette::WindowText);
}

void TClock::setFontColor(const QColor &color)
{
    QPalette p = palette();
    p.setColor(QPalette::WindowText, color);
    setPalette(p);
}

void TClock::setColorProperty(QColor &property, const QColor &value)
{
    if (property == value)
        return;
    property = value;
    requestFullRepaint();
}

void TClock::setDotsColor(const QColor &color)
{
    setColorProperty(m_dotsColor, color);
}
void TClock::setHoursHandColor(const QColor &color)
{
    setColorProperty(m_hoursHandColor, color);
}
void TClock::setMinutesHandColor(const QColor &color)
{
    setColorProperty(m_minutesHandColor, color);
}
void TClock::setSecondsHandColor(const QColor &color)
{
    setColorProperty(m_secondsHandColor, color);
}

// ---------------------------------------------------------------- time

QTime TClock::CurrentTime()
{
    const QTime read = platform::Time();
    if (!OnGetTime)
        return read;
    QTime t = read;
    try {
        OnGetTime(this, t);
        m_lastGetTimeError.clear();
        return t;
    } catch (...) {
        // A failing handler (an alarm row that no longer parses) must not stop the clock nor
        // bring the same box up at every reading: reported once, and the time shown as read.
        const QString message = platform::CurrentExceptionMessage();
        if (message != m_lastGetTimeError) {
            m_lastGetTimeError = message;
            platform::ShowException(message);
        }
        return read;
    }
}

QDate TClock::CurrentDate()
{
    return platform::Date();
}

TClock::TDisplayedTime TClock::split(const QTime &t)
{
    return {quint16(t.hour() % 12), quint16(t.minute()), quint16(t.second())};
}

void TClock::loaded()
{
    CurrentTime();
}

void TClock::timeChanged()
{
    requestFullRepaint();
    CurrentTime();
}

// ---------------------------------------------------------------- events

bool TClock::event(QEvent *e)
{
    if (e->type() == FullRepaintEvent) {
        m_fullRepaintPosted = false; // a request made while this one reads the time counts anew
        platform::Guarded([this] { fullRepaintNow(); });
        return true;
    }
    return QWidget::event(e);
}

void TClock::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::FontChange || e->type() == QEvent::PaletteChange) {
        forgetCells();
        requestFullRepaint();
    }
    QWidget::changeEvent(e);
}

void TClock::resizeEvent(QResizeEvent *e)
{
    ensureSurface();
    QWidget::resizeEvent(e);
}

void TClock::paintEvent(QPaintEvent *e)
{
    ensureSurface();
    QPainter p(this);
    const qreal dpr = m_surface.devicePixelRatio();
    for (const QRect &r : e->region())
        p.drawImage(r.topLeft(), m_surface,
                    QRectF(r.x() * dpr, r.y() * dpr, r.width() * dpr, r.height() * dpr));
}

// Keeps the surface the size of the control and tells whether there is one to draw on. Unless
// the caller is about to draw it all, a new surface shows at once what was last drawn, without
// reading the time, and in digital mode a full repaint with the time follows.
bool TClock::ensureSurface(bool drawingInFull)
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (m_surface.size() == pixels && m_surface.devicePixelRatio() == dpr)
        return !m_surface.isNull();
    m_faceRect = FitFaceRect(TEdges::from(rect()), ClockMetrics());
    forgetCells();
    m_surface = QImage(pixels, QImage::Format_RGB32);
    if (m_surface.isNull())
        return false;
    m_surface.setDevicePixelRatio(dpr);
    m_surface.fill(Color());
    if (drawingInFull)
        return true;
    if (m_showMode == scAnalog) {
        paintAnalogFull();
    } else {
        if (!m_lastText.isEmpty())
            paintDigital(QTime(), m_lastText, true);
        requestFullRepaint();
    }
    return true;
}

void TClock::requestFullRepaint()
{
    if (m_showMode == scAnalog) {
        paintAnalogFull();
        return;
    }
    if (m_fullRepaintPosted)
        return;
    m_fullRepaintPosted = true;
    QCoreApplication::postEvent(this, new QEvent(FullRepaintEvent));
}

void TClock::fullRepaintNow()
{
    if (m_showMode == scDigital) {
        const QTime newTime = CurrentTime();
        const QTime textTime = CurrentTime();
        // A command run inside the readings may have switched to analog meanwhile.
        if (m_showMode == scDigital) {
            paintDigital(newTime, digitalText(textTime), true);
            return;
        }
    }
    paintAnalogFull();
}

// Sends the changed part of the surface to the screen as one rectangle. Every byte of it goes
// to the window system at each tick, so the drawing routines work out which pixels they really
// changed: a copied cell only where the old and the new glyph have ink, the hands only along
// the lines that moved.
void TClock::showChanged(const QRect &changed)
{
    m_lastShown = changed;
    if (!changed.isEmpty())
        update(changed);
}

// ---------------------------------------------------------------- ticks

void TClock::HandleTick()
{
    platform::Guarded([this] {
        m_lastDrawn.clear();
        m_lastShown = QRect();
        if (m_showMode == scAnalog)
            tickAnalog();
        else
            tickDigital();
        CurrentTime(); // the alarm bookkeeping reads the time once more
    });
}

void TClock::tickDigital()
{
    const QTime newTime = CurrentTime();
    if (split(newTime).Hour != m_displayed.Hour) {
        fullRepaintNow();
        return;
    }
    const QTime textTime = CurrentTime();
    if (m_showMode != scDigital)
        return; // switched to analog inside the readings, which drew the face already
    paintDigital(newTime, digitalText(textTime), false);
}

void TClock::tickAnalog()
{
    const TDisplayedTime now = split(CurrentTime());
    if (m_showMode != scAnalog)
        return;
    const TDisplayedTime old = m_displayed;
    const bool secondChanged = now.Second != old.Second;
    const bool handsChanged = now.Minute != old.Minute || now.Hour != old.Hour;
    if (!secondChanged && !handsChanged)
        return;
    if (!ensureSurface())
        return;
    // Redrawing a hand that stays where it was changes no pixel, except where the erased second
    // hand crossed it: inside the old second hand's rectangle.
    QRect changed;
    {
        QPainter p(&m_surface);
        const QColor background = Color();
        if (secondChanged && m_showSeconds)
            changed |= drawSecondHand(p, old.Second, background);
        if (handsChanged) {
            changed |= drawBroadHand(p, old.Minute, THandKind::Minute, background);
            changed |= drawBroadHand(p, HourHandPosition(old.Hour, old.Minute), THandKind::Hour, background);
        }
        // Also mends the broad hands where the erased second hand crossed them.
        const QRect broad =
            drawBroadHand(p, now.Minute, THandKind::Minute, m_minutesHandColor) |
            drawBroadHand(p, HourHandPosition(now.Hour, now.Minute), THandKind::Hour, m_hoursHandColor);
        if (handsChanged)
            changed |= broad;
        if (secondChanged) {
            if (m_showSeconds)
                changed |= drawSecondHand(p, now.Second, m_secondsHandColor);
            m_displayed = now;
        }
    }
    showChanged(changed);
}

// ---------------------------------------------------------------- digital

// "hh:mm:ss" with the regional time separator, written out digit by digit: every tick formats
// it, and QString::arg costs more than the rest of the tick's own work.
QString TClock::digitalText(const QTime &t) const
{
    const QChar sep = platform::FormatSettings().TimeSeparator;
    if (!t.isValid()) // a get-time handler's doing: shown as Qt writes it
        return QStringLiteral("%1%2%1%2%1").arg(t.hour()).arg(sep).left(m_showSeconds ? 8 : 5);
    const auto digit = [](int value) { return QChar(u'0' + value); };
    QString text(m_showSeconds ? 8 : 5, Qt::Uninitialized);
    QChar *c = text.data();
    c[0] = digit(t.hour() / 10);
    c[1] = digit(t.hour() % 10);
    c[2] = sep;
    c[3] = digit(t.minute() / 10);
    c[4] = digit(t.minute() % 10);
    if (m_showSeconds) {
        c[5] = sep;
        c[6] = digit(t.second() / 10);
        c[7] = digit(t.second() % 10);
    }
    return text;
}

const TClock::TDigitalLayout &TClock::layoutDigital()
{
    if (m_layoutValid)
        return m_layout;
    TDigitalLayout &l = m_layout;
    forgetCellContents(); // the cells may move
    const QFontMetrics fm(font());
    l.CharWidth = fm.horizontalAdvance(QLatin1Char('8'));
    l.CharHeight = fm.height();
    const int count = m_showSeconds ? 8 : 5;
    const int total = count * l.CharWidth;
    const int left = (0 + width() - total) / 2;
    const int top = (0 + height() - l.CharHeight) / 2;
    for (int i = 0; i < 8; ++i)
        l.Cells[i] = i < count ? QRect(left + i * l.CharWidth, top, l.CharWidth, l.CharHeight) : QRect();
    m_layoutValid = true;
    return l;
}

void TClock::forgetCells()
{
    m_layoutValid = false;
    m_cellImages.clear();
    forgetCellContents();
}

void TClock::forgetCellContents()
{
    std::fill(std::begin(m_cellShows), std::end(m_cellShows), QChar());
}

// The character drawn centred in a cell of that size, and where its ink lies; a null image when
// the ink reaches out of the cell. Drawn once with room all around and looked at pixel by
// pixel: a glyph's metrics only bound its ink loosely, and most digits come close to the edges
// of a cell as wide as an 8.
TClock::TCellImage TClock::cellImage(const QSize &cell, QChar ch) const
{
    const qreal dpr = m_surface.devicePixelRatio();
    const int margin = qMax(cell.width(), cell.height());
    const QSize outer = cell + QSize(2 * margin, 2 * margin);
    QImage scratch((QSizeF(outer) * dpr).toSize(), m_surface.format());
    if (scratch.isNull())
        return {};
    scratch.setDevicePixelRatio(dpr);
    scratch.fill(Color());
    const QRgb background = scratch.pixel(0, 0);
    {
        QPainter p(&scratch);
        p.setFont(font());
        p.setPen(fontColor());
        p.drawText(QRect(QPoint(margin, margin), cell), CellTextFlags, QString(ch));
    }
    const QRect inner(QPointF(QPointF(margin, margin) * dpr).toPoint(), (QSizeF(cell) * dpr).toSize());
    QRect ink;
    for (int y = 0; y < scratch.height(); ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(scratch.constScanLine(y));
        for (int x = 0; x < scratch.width(); ++x) {
            if (line[x] == background)
                continue;
            if (!inner.contains(x, y))
                return {};
            ink |= QRect(x - inner.x(), y - inner.y(), 1, 1);
        }
    }
    TCellImage result{scratch.copy(inner),
                      QRectF(QRectF(ink).topLeft() / dpr, QSizeF(ink.size()) / dpr).toAlignedRect()};
    result.Image.setDevicePixelRatio(dpr);
    return result;
}

// Fills cell `index` with the background and draws the character centred in it, unclipped.
// Returns the pixels that may have changed: the ink of the old and the new glyph when both are
// copies that stay inside the cell, else the cell widened by the margin a glyph may overhang.
QRect TClock::drawCell(QPainter &p, int index, const QRect &cell, QChar ch, int margin)
{
    auto it = m_cellImages.find(ch);
    if (it == m_cellImages.end())
        it = m_cellImages.insert(ch, cellImage(cell.size(), ch));
    if (!it->Image.isNull()) {
        p.drawImage(cell.topLeft(), it->Image);
        const QChar before = std::exchange(m_cellShows[index], ch);
        if (before == ch)
            return QRect();
        const auto old = before.isNull() ? m_cellImages.constEnd() : m_cellImages.constFind(before);
        if (old == m_cellImages.constEnd())
            return cell;
        return (it->Ink | old->Ink).translated(cell.topLeft());
    }
    p.fillRect(cell, Color());
    p.setFont(font());
    p.setPen(fontColor());
    p.drawText(cell, CellTextFlags, QString(ch));
    forgetCellContents(); // its ink may reach into any neighbour
    return cell.adjusted(-margin, 0, margin, 0);
}

// Draws the text's cells; a valid newTime is what the drawing shows from now on.
void TClock::paintDigital(const QTime &newTime, const QString &text, bool full)
{
    const TDisplayedTime now = newTime.isValid() ? split(newTime) : m_displayed;
    if (!ensureSurface(full && newTime.isValid())) {
        m_displayed = now;
        m_lastText = text;
        return;
    }
    const TDigitalLayout &l = layoutDigital();
    const int margin = l.CharWidth / 2; // a glyph drawn as text may reach a little past its cell
    QList<QRect> drawn;
    QRect changed;
    {
        QPainter p;
        if (full) {
            p.begin(&m_surface);
            p.fillRect(rect(), Color());
            forgetCellContents();
            drawn << rect();
            changed = rect();
        }
        const int count = qMin<int>(text.size(), m_showSeconds ? 8 : 5);
        for (int i = 0; i < count; ++i) {
            const bool seconds = i >= 6 && now.Second != m_displayed.Second;
            const bool minutes = (i == 3 || i == 4) && now.Minute != m_displayed.Minute;
            if (!full && !seconds && !minutes)
                continue;
            if (!p.isActive())
                p.begin(&m_surface);
            changed |= drawCell(p, i, l.Cells[i], text[i], margin);
            if (!full)
                drawn << l.Cells[i];
        }
    }
    if (newTime.isValid())
        m_displayed = now;
    m_lastText = text;
    m_lastDrawn = drawn;
    showChanged(changed);
}

// ---------------------------------------------------------------- analog

void TClock::paintAnalogFull()
{
    if (!ensureSurface(true))
        return;
    {
        QPainter p(&m_surface);
        const QColor background = Color();
        p.fillRect(rect(), background);
        p.fillRect(m_faceRect.toRect(), background);
        DrawFace(p);
        drawBroadHand(p, HourHandPosition(m_displayed.Hour, m_displayed.Minute), THandKind::Hour,
                      m_hoursHandColor);
        drawBroadHand(p, m_displayed.Minute, THandKind::Minute, m_minutesHandColor);
        if (m_showSeconds)
            drawSecondHand(p, m_displayed.Second, m_secondsHandColor);
    }
    forgetCellContents();
    m_lastDrawn = {rect()};
    showChanged(rect());
}

void TClock::DrawFace(QPainter &p)
{
    const TClockMetrics &metrics = ClockMetrics();
    m_face = LayoutFace(m_faceRect, metrics);
    const TFaceLayout &f = m_face;
    const QColor textColor = fontColor();
    const QColor background = Color();
    const QPalette &pal = palette();
    const QColor highlight = pal.color(QPalette::Light);
    const QColor shadow = pal.color(QPalette::Dark);
    const QColor frame = pal.color(QPalette::Shadow);
    const QColor lighter = LighterColor(m_dotsColor, highlight);
    for (int i = 0; i < 60; ++i) {
        const QPoint pt = MarkPoint(i, f.FaceRadius, f.FaceCenter, metrics.DirectionTable);
        if (i % 5 == 0) {
            const TEdges r = HourMarkRect(pt, f);
            if (m_ctl3D && f.Fine) {
                p.fillRect(r.toRect(), m_dotsColor);
                // One-pixel outline: the right column and bottom row dark, drawn last.
                const int right = r.Right - 1;
                const int bottom = r.Bottom - 1;
                p.fillRect(QRect(r.Left, r.Top, 1, bottom - r.Top), lighter);
                p.fillRect(QRect(r.Left, r.Top, right - r.Left, 1), lighter);
                p.fillRect(QRect(right, r.Top, 1, bottom - r.Top + 1), frame);
                p.fillRect(QRect(r.Left, bottom, right - r.Left + 1, 1), frame);
            } else {
                p.fillRect(r.toRect(), textColor);
            }
        } else if (f.Fine) {
            if (m_ctl3D) {
                p.fillRect(QRect(pt - QPoint(1, 1), QSize(2, 2)), shadow);
                p.fillRect(QRect(pt, QSize(2, 2)), highlight);
                p.fillRect(QRect(pt, QSize(1, 1)), background);
            } else {
                p.fillRect(QRect(pt, QSize(1, 1)), textColor);
            }
        }
    }
}

QRect TClock::drawHandLines(QPainter &p, const TLine *lines, int count, const QColor &color)
{
    QRect bounds;
    // The lines are laid out here rather than by QPainter::drawLine, which leaves out one end
    // pixel or the other as it sees fit: a hand's line always stops short of its end point.
    p.setPen(QPen(color, 1, Qt::SolidLine, Qt::SquareCap));
    for (int i = 0; i < count; ++i) {
        const TLine &l = lines[i];
        const QRect lineBounds = LineBounds(l);
        m_lastDrawn << lineBounds;
        bounds |= lineBounds;
        const QList<QPoint> pixels = LinePixels(l);
        p.drawPoints(pixels.constData(), int(pixels.size()));
    }
    return bounds;
}

QRect TClock::drawSecondHand(QPainter &p, int pos, const QColor &color)
{
    const TLine line = SecondHand(pos, m_face.FaceRadius, m_face.FaceCenter, ClockMetrics().DirectionTable);
    return drawHandLines(p, &line, 1, color);
}

QRect TClock::drawBroadHand(QPainter &p, int pos, THandKind kind, const QColor &color)
{
    const auto lines =
        BroadHand(pos, kind, m_face.FaceRadius, m_face.FaceCenter, ClockMetrics().DirectionTable);
    return drawHandLines(p, lines.data(), int(lines.size()), color);
}

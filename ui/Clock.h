#pragma once

#include "ui/ClockFace.h"

#include <QColor>
#include <QDate>
#include <QHash>
#include <QImage>
#include <QList>
#include <QTime>
#include <QWidget>
#include <functional>
#include <memory>

class TTickTimer;

enum TShowClock { scDigital, scAnalog };

// The clock control: the time as digits or as a face with hands, updated by its own tick
// timer. Every reading of the time goes through CurrentTime and raises OnGetTime.
class TClock : public QWidget
{
    Q_OBJECT

public:
    explicit TClock(QWidget *parent = nullptr);
    ~TClock() override;

    // The time last drawn; the hour is kept modulo 12 in both modes.
    struct TDisplayedTime
    {
        quint16 Hour = 0;
        quint16 Minute = 0;
        quint16 Second = 0;
        bool operator==(const TDisplayedTime &) const = default;
    };

    TShowClock ShowMode() const { return m_showMode; }
    void setShowMode(TShowClock mode);
    bool ShowSeconds() const { return m_showSeconds; }
    void setShowSeconds(bool show);
    // The 3D look of the face marks.
    bool ctl3D() const { return m_ctl3D; }
    void setCtl3D(bool on);

    // Background and text colours are the palette's Window and WindowText.
    QColor Color() const;
    void setColor(const QColor &color);
    QColor fontColor() const;
    void setFontColor(const QColor &color);
    QColor DotsColor() const { return m_dotsColor; }
    void setDotsColor(const QColor &color);
    QColor HoursHandColor() const { return m_hoursHandColor; }
    void setHoursHandColor(const QColor &color);
    QColor MinutesHandColor() const { return m_minutesHandColor; }
    void setMinutesHandColor(const QColor &color);
    QColor SecondsHandColor() const { return m_secondsHandColor; }
    void setSecondsHandColor(const QColor &color);

    TDisplayedTime DisplayedTime() const { return m_displayed; }
    QRect FaceRect() const { return m_faceRect.toRect(); }
    // Radius and centre of the face as of the last full analog drawing.
    int FaceRadius() const { return m_face.FaceRadius; }
    QPoint FaceCenter() const { return m_face.FaceCenter; }

    // Raised at every reading of the time; the handler may replace the time.
    std::function<void(QObject *Sender, QTime &ATime)> OnGetTime;

    // Reads the time of day and raises OnGetTime with it. A handler that throws is reported
    // once per distinct message, and the time is then used as read.
    virtual QTime CurrentTime();
    // Reads today's date.
    virtual QDate CurrentDate();

    // One tick: reads the time and redraws what changed. The tick timer calls it; a test may
    // call it directly.
    void HandleTick();
    // The owner has finished setting the control up: the alarm bookkeeping reads the time once.
    void loaded();
    // The system time was changed: repaint in full, then one reading of the time.
    void timeChanged();
    // Redraws the whole control: at once in analog mode, which reads no time; through the
    // event queue in digital mode, which reads the time twice.
    void requestFullRepaint();

    // What the control shows, and the rectangles the last drawing changed on it.
    const QImage &surface() const { return m_surface; }
    const QList<QRect> &lastDrawn() const { return m_lastDrawn; }
    // The part of the surface the last drawing sent to the screen: every pixel it changed.
    QRect lastShown() const { return m_lastShown; }
    TTickTimer *timer() const { return m_timer.get(); }

    QSize sizeHint() const override;

protected:
    // Without ticking (tests drive the ticks themselves).
    TClock(QWidget *parent, bool startTicking);

    bool event(QEvent *e) override;
    void paintEvent(QPaintEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void changeEvent(QEvent *e) override;

private:
    struct TDigitalLayout
    {
        int CharWidth = 0;
        int CharHeight = 0;
        QRect Cells[8];
    };

    void init(bool startTicking);
    void fullRepaintNow();
    void tickDigital();
    void tickAnalog();
    bool ensureSurface(bool drawingInFull = false);
    QString digitalText(const QTime &t) const;
    const TDigitalLayout &layoutDigital();
    struct TCellImage
    {
        QImage Image; // null when the glyph's ink reaches out of its cell
        QRect Ink;    // the pixels of the cell the glyph covers, relative to the cell
    };
    TCellImage cellImage(const QSize &cell, QChar ch) const;
    QRect drawCell(QPainter &p, int index, const QRect &cell, QChar ch, int margin);
    void forgetCells();
    void forgetCellContents();
    void paintDigital(const QTime &newTime, const QString &text, bool full);
    void paintAnalogFull();
    void DrawFace(QPainter &p);
    QRect drawHandLines(QPainter &p, const clockface::TLine *lines, int count, const QColor &color);
    QRect drawSecondHand(QPainter &p, int pos, const QColor &color);
    QRect drawBroadHand(QPainter &p, int pos, clockface::THandKind kind, const QColor &color);
    void showChanged(const QRect &changed);
    void setColorProperty(QColor &property, const QColor &value);
    static TDisplayedTime split(const QTime &t);

    TShowClock m_showMode = scDigital;
    bool m_showSeconds = true;
    bool m_ctl3D = true;
    QColor m_dotsColor{0, 128, 128};
    QColor m_hoursHandColor{0, 0, 0};
    QColor m_minutesHandColor{0, 0, 0};
    QColor m_secondsHandColor{0, 0, 0};

    TDisplayedTime m_displayed;
    clockface::TEdges m_faceRect;
    clockface::TFaceLayout m_face;
    QString m_lastText;
    TDigitalLayout m_layout;
    bool m_layoutValid = false;
    // Each character drawn once in its cell for the current font and colours, so that a tick
    // only copies cells.
    QHash<QChar, TCellImage> m_cellImages;
    // The character each cell shows as copied from its image, or a null QChar when that is not
    // known (never drawn, drawn as text, or reached by a neighbour's ink).
    QChar m_cellShows[8];

    QImage m_surface;
    QList<QRect> m_lastDrawn;
    QRect m_lastShown;
    bool m_fullRepaintPosted = false;
    QString m_lastGetTimeError; // the handler's last reported failure
    std::unique_ptr<TTickTimer> m_timer;
};

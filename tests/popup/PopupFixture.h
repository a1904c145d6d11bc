#pragma once

#include "platform/Screen.h"
#include "support/Fakes.h"
#include "ui/AlertPopup.h"
#include "ui/MarkupRender.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <gtest/gtest.h>
#include <memory>
#include <optional>

// An owner window whose line edit has the keyboard focus, the popup component on it, a
// work area that does not start at the screen's corner, and links recorded instead of opened.
class PopupFixture : public ::testing::Test
{
protected:
    static constexpr int W = 300;
    static constexpr int H = 100;

    void SetUp() override
    {
        platform::ScreenMetrics screen;
        screen.resolution = QSize(1280, 800);
        screen.workArea = QRect(64, 30, 1216, 740); // panels on the left and at the top
        fakeScreen.emplace(screen);
        owner = std::make_unique<QWidget>();
        owner->setWindowTitle(QStringLiteral("owner"));
        owner->resize(200, 100);
        edit = new QLineEdit(owner.get());
        owner->show();
        owner->activateWindow();
        edit->setFocus();
        settle();
        popup = new TAlertPopup(owner.get());
    }

    void TearDown() override
    {
        owner.reset();
        fakeScreen.reset();
    }

    static void settle()
    {
        for (int i = 0; i < 3; ++i)
            QApplication::processEvents();
    }

    // What the alarm check does when an alarm fires.
    void fire(const QString &text)
    {
        popup->addMessage(text);
        popup->selectNewest();
        popup->show();
        settle();
    }

    TAlertPopupWindow *window() const { return popup->window(); }
    // The text each message shows, 1 to N.
    QStringList shownTexts() const
    {
        QStringList texts;
        for (const TAlertMessage &m : popup->AlertMessages())
            texts << m.shown();
        return texts;
    }
    QImage shot() const { return window()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    QColor at(const QImage &img, int x, int y) const { return img.pixelColor(x, y); }

    void mouse(QEvent::Type type, QPoint local, Qt::MouseButton button = Qt::NoButton)
    {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress || (type == QEvent::MouseMove && m_held) ? Qt::LeftButton
                                                                                      : Qt::NoButton;
        if (type == QEvent::MouseButtonPress)
            m_held = true;
        if (type == QEvent::MouseButtonRelease)
            m_held = false;
        const QPointF global = QPointF(window()->mapToGlobal(local));
        QMouseEvent event(type, QPointF(local), global, button, held, Qt::NoModifier);
        QApplication::sendEvent(window(), &event);
    }
    void move(QPoint p) { mouse(QEvent::MouseMove, p); }
    void press(QPoint p) { mouse(QEvent::MouseButtonPress, p, Qt::LeftButton); }
    void release(QPoint p) { mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton); }
    void click(QPoint p)
    {
        move(p);
        press(p);
        release(p);
        settle();
    }
    void leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(window(), &event);
    }

    // The position text as the popup would draw it, on its own background, compared with
    // the strip between the two navigation buttons.
    bool showsPosition(const QImage &img, const QString &text) const
    {
        const QRect strip(window()->previousRect().right() + 1, H - 26,
                          window()->nextRect().left() - window()->previousRect().right() - 1, 25);
        QImage expected(W, H, QImage::Format_RGB32);
        expected.fill(img.pixelColor(strip.left(), strip.top()));
        {
            QPainter p(&expected);
            p.setFont(popup->Font());
            p.setPen(MarkupColor(QStringLiteral("clwindowtext")));
            const QFontMetrics fm(popup->Font());
            p.drawText(QPoint(W / 2 - fm.horizontalAdvance(text) / 2, H - 5 - fm.height() + fm.ascent()),
                       text);
        }
        return img.copy(strip) == expected.copy(strip);
    }

    // The text area holds exactly this message as the markup renderer draws it.
    bool showsText(const QImage &img, const QString &text) const
    {
        const QRect area = TAlertPopupWindow::textRect();
        QImage expected(W, H, QImage::Format_RGB32);
        expected.fill(MarkupColor(QStringLiteral("clbtnface")));
        {
            QPainter p(&expected);
            p.setFont(popup->Font());
            p.setPen(MarkupColor(QStringLiteral("clwindowtext")));
            p.setClipRect(area);
            RenderMarkup(p, text, area, TMarkupOptions{});
        }
        return img.copy(area) == expected.copy(area);
    }

    // Pixels of a colour inside a rectangle of the image.
    static int count(const QImage &img, const QRect &r, const QColor &c)
    {
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += img.pixelColor(x, y) == c;
        return n;
    }
    // The darkest grey level inside a rectangle: text in black reaches near 0, text in
    // clGray never goes below 128 (smoothing only lightens it).
    static int darkest(const QImage &img, const QRect &r)
    {
        int d = 255;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                d = qMin(d, qGray(img.pixel(x, y)));
        return d;
    }
    // Pixels unlike the background inside a rectangle.
    int ink(const QImage &img, const QRect &r) const
    {
        const QColor face = MarkupColor(QStringLiteral("clbtnface"));
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += img.pixelColor(x, y) != face;
        return n;
    }

    std::unique_ptr<QWidget> owner;
    QLineEdit *edit = nullptr;
    TAlertPopup *popup = nullptr;
    std::optional<testing_support::FakeScreen> fakeScreen;
    testing_support::LinkRecorder links;
    QList<QUrl> &opened = links.opened;

private:
    bool m_held = false;
};

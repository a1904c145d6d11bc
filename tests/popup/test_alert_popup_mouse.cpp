// The popup under the mouse: highlights, hints, buttons that act on release, dragging, links.
#include "PopupFixture.h"

namespace {
QString Msg(int i)
{
    return QStringLiteral("Alarme Num. %1<hr><br>message %1").arg(i);
}
const QColor Black(0, 0, 0);
} // namespace

TEST_F(PopupFixture, HoverMakesItOpaqueAndLeavingTranslucentWithoutHighlights)
{
    fire(Msg(1));
    const QColor face = MarkupColor(QStringLiteral("clbtnface"));
    const QColor hover = MarkupColor(QStringLiteral("clinactivecaption"));
    move(QPoint(50, 50));
    EXPECT_DOUBLE_EQ(window()->windowOpacity(), 1.0);
    move(TAlertPopupWindow::closeRect().center());
    QImage img = shot();
    // Highlight: the fill less its bottom row, and a black frame around the whole button.
    EXPECT_EQ(at(img, 281, 10), hover);
    EXPECT_EQ(at(img, 279, 8), Black);
    EXPECT_EQ(at(img, 298, 27), Black);
    EXPECT_EQ(at(img, 285, 27), Black);
    EXPECT_EQ(at(img, 285, 26), hover);
    leave();
    EXPECT_NEAR(window()->windowOpacity(), 220.0 / 255.0, 0.002);
    img = shot();
    EXPECT_EQ(at(img, 281, 10), face);
    EXPECT_EQ(at(img, 279, 8), face);
    EXPECT_EQ(window()->hovered(), TAlertPopupWindow::TButton::None);
}

TEST_F(PopupFixture, ButtonsShowTheirHintsAndOnlyMovableArrowsHighlight)
{
    fire(Msg(1));
    fire(Msg(2)); // 2 of 2: previous can move, next cannot
    const QColor hover = MarkupColor(QStringLiteral("clinactivecaption"));
    const struct
    {
        QRect rect;
        const char *hint;
        bool highlighted;
    } cases[] = {
        {TAlertPopupWindow::closeRect(), "Close", true},
        {window()->previousRect(), "Previous", true},
        {window()->nextRect(), "Next", false},
        {window()->deleteRect(), "Delete", true},
        {QRect(100, 40, 1, 1), "", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.hint);
        move(c.rect.center());
        EXPECT_EQ(window()->toolTip(), QString::fromLatin1(c.hint));
        const QImage img = shot();
        EXPECT_EQ(at(img, c.rect.left() + 1, c.rect.top() + 1) == hover, c.highlighted);
        EXPECT_EQ(at(img, c.rect.left(), c.rect.top()) == Black, c.highlighted);
    }
}

TEST_F(PopupFixture, PressArmsReleaseOverTheSameButtonActs)
{
    for (int i = 1; i <= 3; ++i)
        fire(Msg(i));
    const QColor down = MarkupColor(QStringLiteral("clhighlight"));
    // Pressed look while held.
    const QRect prev = window()->previousRect();
    move(prev.center());
    press(prev.center());
    EXPECT_EQ(window()->pressed(), TAlertPopupWindow::TButton::Previous);
    EXPECT_EQ(at(shot(), prev.left() + 1, prev.top() + 1), down);
    // Released elsewhere: nothing.
    move(QPoint(100, 40));
    release(QPoint(100, 40));
    EXPECT_EQ(popup->current(), 3);
    // Pressed on one button, released on another: nothing.
    move(prev.center());
    press(prev.center());
    move(window()->deleteRect().center());
    release(window()->deleteRect().center());
    EXPECT_EQ(popup->current(), 3);
    EXPECT_EQ(popup->AlertMessages().size(), 3);

    click(prev.center());
    EXPECT_EQ(popup->current(), 2);
    click(prev.center());
    click(prev.center()); // at 1: stays
    EXPECT_EQ(popup->current(), 1);
    click(window()->nextRect().center());
    click(window()->nextRect().center());
    click(window()->nextRect().center()); // at N: stays
    EXPECT_EQ(popup->current(), 3);
    EXPECT_TRUE(popup->isVisible());
    // Pressing and releasing on the popup leaves the keyboard where it was.
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(QApplication::activeWindow(), owner.get());
}

TEST_F(PopupFixture, DraggedThenClosedItComesBackWhereItWasLeft)
{
    fire(Msg(1));
    const QPoint start = window()->pos();
    const QPoint grip(150, 3);
    press(grip);
    // The pointer moves on the screen; the window follows it.
    for (QPoint d : {QPoint(-10, -5), QPoint(-120, -200), QPoint(-300, -400)}) {
        QMouseEvent event(QEvent::MouseMove, QPointF(grip), QPointF(start + grip + d), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window(), &event);
        EXPECT_EQ(window()->pos(), start + d);
    }
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(grip), QPointF(start + grip + QPoint(-300, -400)),
                   Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(window(), &up);
    EXPECT_EQ(popup->WindowPosition(), TAlertPopup::TWindowPosition::wpPreset);
    EXPECT_EQ(popup->presetPosition(), start + QPoint(-300, -400));
    EXPECT_TRUE(popup->isVisible()) << "dragging is not a click on anything";

    click(TAlertPopupWindow::closeRect().center());
    EXPECT_FALSE(popup->isVisible());
    fire(Msg(2));
    EXPECT_EQ(window()->pos(), start + QPoint(-300, -400));
}

// Only web and mail addresses leave the program; the pointer shows where a link is.
TEST_F(PopupFixture, LinksOpenOnlyWebAndMailTargets)
{
    const struct
    {
        const char *target;
        bool opens;
    } cases[] = {
        {"https://example.org/a?b=c", true},
        {"http://example.org", true},
        {"mailto:someone@example.org", true},
        {"HTTP://EXAMPLE.ORG", true},
        {"file:///etc/passwd", false},
        {"/usr/bin/xterm", false},
        {"javascript:alert(1)", false},
        {"smb://server/share", false},
        {"C:\\Windows\\notepad.exe", false},
        {"http:/no-host", false},
        {"", false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.target);
        opened.clear();
        const QString text =
            QStringLiteral("<A href=\"%1\">cliquer ici</A> pour voir").arg(QString::fromLatin1(c.target));
        fire(text);
        const QPoint link(20, 27);
        move(link);
        // A link without a target is no link.
        EXPECT_EQ(window()->cursor().shape() == Qt::PointingHandCursor, *c.target != 0);
        press(link);
        release(link);
        EXPECT_EQ(opened.size(), c.opens ? 1 : 0);
        if (c.opens && !opened.isEmpty()) {
            EXPECT_EQ(opened[0].toString().toLower(), QString::fromLatin1(c.target).toLower());
        }
        // Away from the link: the usual pointer, and a click opens nothing.
        move(QPoint(200, 60));
        EXPECT_NE(window()->cursor().shape(), Qt::PointingHandCursor);
        opened.clear();
        press(QPoint(200, 60));
        release(QPoint(200, 60));
        EXPECT_TRUE(opened.isEmpty());
        click(window()->deleteRect().center());
        click(window()->deleteRect().center());
    }
}

TEST_F(PopupFixture, AFileLinkOpensNothing)
{
    EXPECT_FALSE(OpenAlertLink(QStringLiteral("file:///home")));
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_TRUE(OpenAlertLink(QStringLiteral("https://example.org")));
    EXPECT_EQ(opened.size(), 1);
}

// A mail link hands the mail program the addresses and the fields a message is written with,
// never a file to attach or a header of the sender's choosing.
TEST(AlertLinks, AMailLinkKeepsOnlyTheAddressesAndTheMessageFields)
{
    const struct
    {
        const char *target;
        const char *opened;
    } cases[] = {
        {"mailto:a@example.org?subject=Salut&attach=/etc/passwd&body=Bonjour",
         "mailto:a@example.org?subject=Salut&body=Bonjour"},
        {"mailto:a@example.org?ATTACH=%2Fetc%2Fpasswd", "mailto:a@example.org"},
        {"mailto:a@example.org,b@example.org?cc=c@example.org&bcc=d@example.org&X-Mailer=x&from=e@example."
         "org",
         "mailto:a@example.org,b@example.org?cc=c@example.org&bcc=d@example.org"},
        {"mailto:a@example.org?Subject=Caf%C3%A9%20%26%20th%C3%A9",
         "mailto:a@example.org?Subject=Caf%C3%A9%20%26%20th%C3%A9"},
    };
    testing_support::LinkRecorder links;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.target);
        links.opened.clear();
        EXPECT_TRUE(OpenAlertLink(QString::fromLatin1(c.target)));
        ASSERT_EQ(links.opened.size(), 1);
        EXPECT_EQ(links.opened[0].toString(QUrl::FullyEncoded), QString::fromLatin1(c.opened));
    }
}

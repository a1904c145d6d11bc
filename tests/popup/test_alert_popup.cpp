// The popup as the alarms use it: where it appears, what it shows, what the messages become.
#include "PopupFixture.h"

#include <QWindow>

namespace {
const QColor Black(0, 0, 0);
const QColor Blue(0, 0, 255);

QString Msg(int i)
{
    return QStringLiteral("<B>Tem<FONT color=\"#FF0000\">po</FONT>vir</B> - Alarme Num. %1<hr><br>message %1")
        .arg(i);
}
} // namespace

TEST_F(PopupFixture, FirstAlarmBottomRightTranslucentSingleMessageFocusStays)
{
    EXPECT_EQ(window(), nullptr) << "the window is made on the first show";
    fire(Msg(1));
    ASSERT_NE(window(), nullptr);
    EXPECT_TRUE(popup->isVisible());
    // Work area right edge 1280, bottom edge 770.
    EXPECT_EQ(window()->geometry(), QRect(1280 - 302, 770 - 100, 300, 100));
    EXPECT_EQ(window()->frameGeometry(), window()->geometry()) << "no frame";
    EXPECT_NEAR(window()->windowOpacity(), 220.0 / 255.0, 0.002);
    const Qt::WindowFlags flags = window()->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    // Owned by no window: a window manager would hide it, or raise its owner, with it.
    EXPECT_EQ(window()->parentWidget(), nullptr);
    EXPECT_EQ(window()->windowHandle()->transientParent(), nullptr);
    EXPECT_EQ(popup->current(), 1);

    // The keyboard stays where the user was typing.
    EXPECT_EQ(QApplication::activeWindow(), owner.get());
    EXPECT_TRUE(edit->hasFocus());

    const QImage img = shot();
    // No navigation: the bottom row holds only the centred delete button's cross.
    const QRect bottom(1, H - 26, W - 2, 25);
    const QRect del(140, 74, 20, 25);
    EXPECT_EQ(window()->deleteRect(), del);
    EXPECT_EQ(ink(img, bottom), ink(img, del));
    EXPECT_EQ(at(img, 160 - 14, 74 + 15), Black) << "delete cross starts at (R - 14, T + 15)";
    EXPECT_GT(ink(img, popup->window()->textRect()), 100) << "the message is drawn";
}

TEST_F(PopupFixture, SecondAlarmWhileVisibleIsCountedWhereThePopupStands)
{
    fire(Msg(1));
    const QRect first = window()->geometry();
    // Even if the work area changed, a visible popup stays put.
    platform::ScreenMetrics smaller = platform::Screen();
    smaller.workArea = QRect(0, 0, 800, 600);
    fakeScreen->set(smaller);

    popup->addMessage(Msg(2));
    settle();
    // Counted at once, before it is selected: 1 of 2 with ">" black.
    QImage img = shot();
    EXPECT_TRUE(showsPosition(img, QStringLiteral("1 of 2")));
    EXPECT_LT(darkest(img, window()->nextRect()), 60);
    EXPECT_GT(darkest(img, window()->previousRect()), 120);
    EXPECT_LT(darkest(img, window()->previousRect()), 200);

    popup->selectNewest();
    popup->show();
    settle();
    EXPECT_EQ(window()->geometry(), first);
    EXPECT_EQ(popup->current(), 2);
    img = shot();
    EXPECT_TRUE(showsPosition(img, QStringLiteral("2 of 2")));
    EXPECT_FALSE(showsPosition(img, QStringLiteral("1 of 2")));
    // "<" black, ">" grey.
    EXPECT_LT(darkest(img, window()->previousRect()), 60);
    EXPECT_GT(darkest(img, window()->nextRect()), 120);
    EXPECT_LT(darkest(img, window()->nextRect()), 200);
    // The delete button moved just right of ">".
    EXPECT_EQ(window()->deleteRect().left(), window()->nextRect().left() + 20);
    EXPECT_EQ(at(img, window()->deleteRect().left() + 20 - 14, 74 + 15), Black);
    EXPECT_TRUE(edit->hasFocus());
}

TEST_F(PopupFixture, NavigationRegionsFollowThePositionTextWidth)
{
    fire(Msg(1));
    for (int i = 2; i <= 12; ++i)
        fire(Msg(i));
    const int tw = QFontMetrics(popup->Font()).horizontalAdvance(QStringLiteral("11 of 12")) + 8;
    EXPECT_EQ(window()->positionWidth(), tw);
    EXPECT_EQ(window()->previousRect(),
              QRect(QPoint(W / 2 - tw / 2 - 20, 74), QPoint(W / 2 - tw / 2 - 1, 98)));
    EXPECT_EQ(window()->nextRect(), QRect(QPoint(W / 2 + tw / 2, 74), QPoint(W / 2 + tw / 2 + 19, 98)));
    EXPECT_TRUE(showsPosition(shot(), QStringLiteral("12 of 12")));
}

TEST_F(PopupFixture, SecondAlarmAfterClosingShowsItAgainWithBoth)
{
    fire(Msg(1));
    click(window()->closeRect().center());
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(popup->AlertMessages().size(), 1) << "closing keeps the messages";
    EXPECT_EQ(popup->current(), 1);
    // Shown again where it was, if the work area did not change.
    fire(Msg(2));
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(window()->pos(), QPoint(978, 670));
    EXPECT_EQ(popup->current(), 2);
    EXPECT_TRUE(showsPosition(shot(), QStringLiteral("2 of 2")));
    EXPECT_NEAR(window()->windowOpacity(), 220.0 / 255.0, 0.002);
}

TEST_F(PopupFixture, ShowingNothingDoesNothing)
{
    popup->show();
    EXPECT_EQ(window(), nullptr);
    EXPECT_FALSE(popup->isVisible());
}

TEST_F(PopupFixture, MessageTextIsItsLinesJoined)
{
    fire(QStringLiteral("un\r\ndeux\ntrois\r"));
    ASSERT_EQ(popup->AlertMessages().size(), 1);
    const TAlertMessage &m = popup->AlertMessages()[0];
    EXPECT_EQ(m.Text, QStringList({"un", "deux", "trois"}));
    EXPECT_EQ(m.shown(), QStringLiteral("undeuxtrois"));
    EXPECT_EQ(m.ImageIndex, 0);
    EXPECT_FALSE(m.Color.isValid());
    EXPECT_EQ(m.Tag, 0);
}

// Delete: which message stays current, what is left, what is drawn.
TEST_F(PopupFixture, DeleteKeepsTheRightMessageCurrent)
{
    const struct
    {
        int n, current;
        QStringList left;
        int currentAfter;
        QString position; // empty: no navigation
    } cases[] = {
        {2, 2, {Msg(1)}, 1, {}},
        {2, 1, {Msg(2)}, 1, {}},
        {3, 1, {Msg(2), Msg(3)}, 1, QStringLiteral("1 of 2")},
        {3, 2, {Msg(1), Msg(3)}, 2, QStringLiteral("2 of 2")},
        {3, 3, {Msg(1), Msg(2)}, 2, QStringLiteral("2 of 2")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.n << " messages, deleting " << c.current);
        TearDown();
        SetUp();
        for (int i = 1; i <= c.n; ++i)
            fire(Msg(i));
        for (int i = c.n; i > c.current; --i)
            click(window()->previousRect().center());
        ASSERT_EQ(popup->current(), c.current);
        click(window()->deleteRect().center());
        EXPECT_EQ(shownTexts(), c.left);
        EXPECT_EQ(popup->current(), c.currentAfter);
        EXPECT_TRUE(popup->isVisible());
        const QImage img = shot();
        if (c.position.isEmpty()) {
            EXPECT_EQ(window()->deleteRect().left(), 140);
            EXPECT_EQ(ink(img, QRect(1, 74, W - 2, 25)), ink(img, window()->deleteRect()));
        } else {
            EXPECT_TRUE(showsPosition(img, c.position));
        }
        // What is drawn is the current message.
        EXPECT_TRUE(showsText(img, c.left[c.currentAfter - 1]));
    }
}

TEST_F(PopupFixture, DeletingTheOnlyMessageHidesAndTheNextAlarmStartsAfresh)
{
    fire(Msg(1));
    click(window()->deleteRect().center());
    EXPECT_FALSE(popup->isVisible());
    EXPECT_TRUE(popup->AlertMessages().isEmpty());
    EXPECT_EQ(popup->current(), 0);
    popup->show();
    EXPECT_FALSE(popup->isVisible()) << "nothing to show";

    fire(Msg(2));
    EXPECT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->current(), 1);
    EXPECT_EQ(shownTexts(), QStringList{Msg(2)});
    const QImage img = shot();
    EXPECT_EQ(ink(img, QRect(1, 74, W - 2, 25)), ink(img, window()->deleteRect()));
}

TEST_F(PopupFixture, MessagesAddedWhileHiddenAreAllThereOnTheNextShow)
{
    fire(Msg(1));
    click(window()->closeRect().center());
    popup->addMessage(Msg(2));
    popup->addMessage(Msg(3));
    popup->selectNewest();
    EXPECT_FALSE(popup->isVisible());
    popup->show();
    settle();
    EXPECT_EQ(popup->current(), 3);
    EXPECT_TRUE(showsPosition(shot(), QStringLiteral("3 of 3")));
}

TEST_F(PopupFixture, LongMessageIsCutAtTheTextAreasEdges)
{
    QString words;
    for (int i = 0; i < 80; ++i)
        words += QStringLiteral("mot%1 ").arg(i);
    fire(QStringLiteral("<BR>") + words +
         QStringLiteral("Pas_d_espace_dans_ce_tres_tres_long_mot_qui_depasse_la_largeur"));
    const QImage img = shot();
    const QRect text = TAlertPopupWindow::textRect();
    EXPECT_EQ(text, QRect(QPoint(4, 21), QPoint(275, 73)));
    // Text reaches near the bottom of the area, nothing below it or right of it but the
    // delete button's cross.
    EXPECT_GT(ink(img, QRect(4, 55, 272, 19)), 20);
    EXPECT_EQ(ink(img, QRect(2, 74, 296, 25)), ink(img, window()->deleteRect()));
    EXPECT_EQ(ink(img, QRect(276, 29, 23, 45)), 0);
    EXPECT_EQ(ink(img, QRect(1, 7, 278, 14)), 0) << "above the text area";
}

TEST_F(PopupFixture, FrameStripGripAndCloseCrossPixels)
{
    fire(Msg(1));
    const QImage img = shot();
    const QColor to = MarkupColor(QStringLiteral("clhighlight"));
    const QColor face = MarkupColor(QStringLiteral("clbtnface"));
    // Frame all around.
    for (int x = 0; x < W; x += 7) {
        EXPECT_EQ(at(img, x, 0), Black) << x;
        EXPECT_EQ(at(img, x, H - 1), Black) << x;
    }
    for (int y = 0; y < H; y += 7) {
        EXPECT_EQ(at(img, 0, y), Black) << y;
        EXPECT_EQ(at(img, W - 1, y), Black) << y;
    }
    // The strip goes from blue at its top row toward the highlight at its bottom row, in
    // steps of a sixteenth.
    const auto near = [&to](const QColor &a, const QColor &b, int steps) {
        const auto step = [&](int f, int t) { return qAbs(t - f) * steps / 16 + 1; };
        return qAbs(a.red() - b.red()) <= step(0, to.red()) &&
               qAbs(a.green() - b.green()) <= step(0, to.green()) &&
               qAbs(a.blue() - b.blue()) <= step(255, to.blue());
    };
    EXPECT_TRUE(near(at(img, 10, 1), Blue, 2));
    EXPECT_TRUE(near(at(img, 290, 6), to, 3));
    EXPECT_FALSE(near(at(img, 10, 1), to, 3));
    EXPECT_EQ(at(img, 10, 7), face) << "the strip ends at row 6";
    // Grip: nine dots from x = 133, each black above-left, white below-right, its centre
    // in the highlight colour.
    for (int x = 133; x <= 165; x += 4) {
        SCOPED_TRACE(x);
        EXPECT_EQ(at(img, x, 2), Black);
        EXPECT_EQ(at(img, x + 1, 2), Black);
        EXPECT_EQ(at(img, x, 3), Black);
        EXPECT_EQ(at(img, x + 1, 3), to);
        EXPECT_EQ(at(img, x + 2, 3), QColor(Qt::white));
        EXPECT_EQ(at(img, x + 1, 4), QColor(Qt::white));
        EXPECT_EQ(at(img, x + 2, 4), QColor(Qt::white));
        EXPECT_NE(at(img, x + 3, 3), Black);
    }
    EXPECT_NE(at(img, 132, 2), Black);
    EXPECT_NE(at(img, 169, 2), Black);
    // Close cross: lines from (285, 20) and (286, 20) up to (293, 13) and (292, 13), and
    // from (285, 14), (286, 14) down to (293, 21), (292, 21), end points excluded.
    for (QPoint p : {QPoint(285, 20), QPoint(286, 20), QPoint(285, 14), QPoint(286, 14), QPoint(292, 14),
                     QPoint(292, 20), QPoint(289, 17)})
        EXPECT_EQ(at(img, p.x(), p.y()), Black) << p.x() << "," << p.y();
    for (QPoint p : {QPoint(293, 13), QPoint(293, 21), QPoint(284, 20), QPoint(284, 14), QPoint(294, 17)})
        EXPECT_EQ(at(img, p.x(), p.y()), face) << p.x() << "," << p.y();
    // Four strokes of 8, 7, 8 and 7 pixels, the crossing ones sharing 4.
    EXPECT_EQ(count(img, TAlertPopupWindow::closeRect(), Black), 26);
}

TEST_F(PopupFixture, TheTitleIsBoldAndTheMessageBelowTheRule)
{
    fire(Msg(1));
    const QImage img = shot();
    // The rule: one black row across the text area below the first line.
    int ruleRow = -1;
    for (int y = 22; y < 60 && ruleRow < 0; ++y)
        if (count(img, QRect(6, y, 260, 1), Black) == 260)
            ruleRow = y;
    EXPECT_GT(ruleRow, 21);
    // Red "po", in bold: wider than the same word in regular weight.
    QFont bold = popup->Font();
    bold.setBold(true);
    const int redWidth = [&] {
        int left = W, right = -1;
        for (int y = 21; y < ruleRow; ++y)
            for (int x = 4; x < 276; ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() > 200 && c.green() < 90 && c.blue() < 90)
                    left = qMin(left, x), right = qMax(right, x);
            }
        return right - left + 1;
    }();
    EXPECT_GT(redWidth, 0);
    EXPECT_NEAR(redWidth, QFontMetrics(bold).boundingRect(QStringLiteral("po")).width(), 2);
}

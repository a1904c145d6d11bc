#include "ui/ScrollText.h"
#include "ui/frmAbout.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QSet>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// The thanks line as the about box sets it up: 200 × 25 pixels, one pixel every 100 ms.
class ThanksLine : public ::testing::Test
{
protected:
    void SetUp() override
    {
        about.show();
        scroll = about.ScrollText1;
        timer = scroll->findChild<QTimer *>();
        ASSERT_NE(timer, nullptr);
    }
    void StepTo(int top)
    {
        for (int i = 0; i < 200 && scroll->textTop() != top; ++i)
            scroll->step();
        ASSERT_EQ(scroll->textTop(), top);
    }
    void Mouse(QEvent::Type type, int globalY, Qt::MouseButtons buttons)
    {
        const QPointF local(50, 10);
        QMouseEvent event(type, local, QPointF(400, globalY), Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(scroll, &event);
    }
    QImage Picture() { return scroll->grab().toImage().convertToFormat(QImage::Format_RGB32); }

    TfmAbout about;
    TScrollText *scroll = nullptr;
    QTimer *timer = nullptr;
};

bool IsAqua(QRgb p)
{
    return qRed(p) < 60 && qGreen(p) > 200 && qBlue(p) > 200;
}

} // namespace

TEST_F(ThanksLine, StartsAboveTheControlAndSteppedByAUiThreadTimer)
{
    EXPECT_EQ(scroll->Items(), QStringList{QStringLiteral("- à la communauté libre")});
    EXPECT_EQ(scroll->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(scroll->font().pixelSize(), 11);
    EXPECT_EQ(scroll->palette().color(QPalette::WindowText), QColor(0, 255, 255));
    EXPECT_EQ(scroll->BackgroundColor(), QColor(0, 0, 128));
    // One line narrower than the control: the inner area is the control's height.
    EXPECT_EQ(scroll->textAreaHeight(), 25);
    EXPECT_TRUE(scroll->Active());
    EXPECT_EQ(scroll->textTop(), -25);
    EXPECT_TRUE(timer->isSingleShot());
    EXPECT_EQ(timer->interval(), 100);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(timer->thread(), QCoreApplication::instance()->thread());

    // Each expiry runs one step and arms the timer again.
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
    EXPECT_EQ(scroll->textTop(), -26);
    EXPECT_TRUE(timer->isActive());

    scroll->setActive(false);
    EXPECT_FALSE(timer->isActive());
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout")); // one already on its way
    EXPECT_EQ(scroll->textTop(), -26);
    EXPECT_FALSE(timer->isActive());
}

TEST_F(ThanksLine, WrapsAroundEvery52Steps)
{
    QList<int> tops;
    for (int i = 0; i < 52 * 3; ++i) {
        scroll->step();
        tops << scroll->textTop();
    }
    // -25 → -26, then in from the bottom: 25, 24 ... -26, and again.
    EXPECT_EQ(tops[0], -26);
    EXPECT_EQ(tops[1], 25);
    QSet<int> cycle;
    for (int i = 1; i <= 52; ++i)
        cycle.insert(tops[i]);
    EXPECT_EQ(cycle.size(), 52);
    EXPECT_EQ(*std::min_element(tops.begin(), tops.end()), -26);
    EXPECT_EQ(*std::max_element(tops.begin(), tops.end()), 25);
    for (int i = 0; i + 52 < tops.size(); ++i)
        ASSERT_EQ(tops[i + 52], tops[i]) << "step " << i;
}

TEST_F(ThanksLine, DrawsAquaTextOnNavyAtTheInnerAreasTop)
{
    StepTo(0);
    QImage image = Picture();
    int aquaTop = -1;
    int aquaBottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (IsAqua(image.pixel(x, y))) {
                aquaTop = aquaTop < 0 ? y : aquaTop;
                aquaBottom = y;
            }
    ASSERT_GE(aquaTop, 0);
    EXPECT_LT(aquaTop, 4);
    EXPECT_LT(aquaBottom, 16);
    EXPECT_EQ(QColor(image.pixel(199, 24)), QColor(0, 0, 128));

    // Ten steps later the text stands ten pixels higher.
    for (int i = 0; i < 10; ++i)
        scroll->step();
    image = Picture();
    int shiftedBottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (IsAqua(image.pixel(x, y)))
                shiftedBottom = y;
    EXPECT_EQ(shiftedBottom, aquaBottom - 10);

    // Wholly below the control: only navy.
    StepTo(25);
    image = Picture();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_EQ(QColor(image.pixel(x, y)), QColor(0, 0, 128)) << x << "," << y;
}

TEST_F(ThanksLine, HoldingFreezesDraggingMovesWithWrapAroundReleasingResumes)
{
    StepTo(0);
    Mouse(QEvent::MouseButtonPress, 300, Qt::LeftButton);
    EXPECT_FALSE(timer->isActive());

    Mouse(QEvent::MouseMove, 290, Qt::LeftButton);
    EXPECT_EQ(scroll->textTop(), -10);
    Mouse(QEvent::MouseMove, 297, Qt::LeftButton);
    EXPECT_EQ(scroll->textTop(), -3);

    // Up past minus the inner area's height: in again from the bottom.
    Mouse(QEvent::MouseMove, 275, Qt::LeftButton); // -25: not past yet
    EXPECT_EQ(scroll->textTop(), -25);
    Mouse(QEvent::MouseMove, 274, Qt::LeftButton); // -26
    EXPECT_EQ(scroll->textTop(), 25);
    // Down past the control's height: in again from the top.
    Mouse(QEvent::MouseMove, 275, Qt::LeftButton); // 26
    EXPECT_EQ(scroll->textTop(), -25);
    Mouse(QEvent::MouseMove, 305, Qt::LeftButton);
    EXPECT_EQ(scroll->textTop(), 5);
    EXPECT_FALSE(timer->isActive());

    Mouse(QEvent::MouseButtonRelease, 305, Qt::NoButton);
    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(scroll->textTop(), 5); // resumes from where the text is
    ASSERT_TRUE(QMetaObject::invokeMethod(timer, "timeout"));
    EXPECT_EQ(scroll->textTop(), 4);

    // Moving without a button pressed on the text does nothing.
    Mouse(QEvent::MouseMove, 200, Qt::NoButton);
    EXPECT_EQ(scroll->textTop(), 4);
}

TEST_F(ThanksLine, ReleasingAfterDeactivationDoesNotRestart)
{
    Mouse(QEvent::MouseButtonPress, 300, Qt::LeftButton);
    scroll->setActive(false);
    Mouse(QEvent::MouseButtonRelease, 300, Qt::NoButton);
    EXPECT_FALSE(timer->isActive());
}

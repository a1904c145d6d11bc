// The power-off countdown as the user meets it: the window, the bar one step per second,
// the cancel button, and what follows when nobody cancels. Requests go to a stand-in logind
// on a private bus.
#include "BarCheck.h"
#include "ShutdownFixture.h"
#include "app/Startup.h"
#include "ui/MarkupLabel.h"

#include <QApplication>
#include <QKeyEvent>
#include <map>

namespace {

using Countdown = ShutdownFixture;

// Where the countdown stands at each pass of the message loop.
struct Pass
{
    quint32 elapsed;
    int position;
    bool shown;
};

TEST_F(Countdown, UncancelledItStepsEverySecondThenHidesPlaysTheFallingMelodyAndPowersOffOnce)
{
    std::vector<Pass> passes;
    std::map<int, QImage> shots;
    pump.onPass = [&] {
        passes.push_back({elapsed(), bar()->Position(), fmShutdown->isVisible()});
        const int p = bar()->Position();
        if ((p == 69 || p == 72 || p == 89 || p == 92 || p == 99) && !shots.count(p) &&
            fmShutdown->isVisible())
            shots[p] = grabBar();
    };

    program->RunShutdownCountdown();

    // Step i shows its position from second i - 1 to second i, while the window is up.
    ASSERT_FALSE(passes.empty());
    std::vector<int> seen;
    for (const Pass &pass : passes) {
        if (pass.elapsed > 30000)
            break; // the melody's own waits
        if (seen.empty() || seen.back() != pass.position)
            seen.push_back(pass.position);
        const int step = pass.elapsed / 1000; // 0-based; a pass on the second's end still shows it
        const int expected = CountdownPositions[std::min<int>(step, 29)];
        const bool onBoundary = pass.elapsed % 1000 == 0 && step > 0;
        EXPECT_TRUE(pass.position == expected ||
                    (onBoundary && pass.position == CountdownPositions[step - 1]))
            << "position " << pass.position << " at " << pass.elapsed << " ms";
        EXPECT_TRUE(pass.shown) << "window hidden at " << pass.elapsed << " ms";
    }
    EXPECT_EQ(seen, CountdownPositions);
    EXPECT_EQ(painted->positions, CountdownPositions) << "each step painted at once, nothing else";

    // Level colours and block positions on the grabbed bar.
    ASSERT_EQ(shots.size(), 5u);
    const QColor behind = fmShutdown->palette().color(QPalette::Window);
    for (const auto &[percent, image] : shots) {
        SCOPED_TRACE(percent);
        barcheck::ExpectBar(image, percent, behind);
    }
    // Spot checks of the last blocks: 69 % fills 325 pixels, 36 whole blocks and no partial one;
    // 72 % 339 pixels, a partial block of 5; 99 % 466 pixels, 51 blocks and a partial one of 6.
    EXPECT_EQ(shots[69].pixelColor(317, 2), QColor(225, 255, 225));
    EXPECT_EQ(shots[69].pixelColor(323, 2), QColor(225, 255, 225));
    EXPECT_EQ(shots[69].pixelColor(324, 2), barcheck::White);
    EXPECT_EQ(shots[69].pixelColor(326, 2), barcheck::White);
    EXPECT_EQ(shots[72].pixelColor(335, 22), QColor(255, 255, 202));
    EXPECT_EQ(shots[72].pixelColor(339, 22), QColor(255, 255, 202));
    EXPECT_EQ(shots[72].pixelColor(340, 22), barcheck::White);
    EXPECT_EQ(shots[89].pixelColor(12, 11), QColor(255, 255, 0));
    EXPECT_EQ(shots[92].pixelColor(12, 12), QColor(255, 169, 83));
    EXPECT_EQ(shots[99].pixelColor(466, 2), QColor(255, 211, 168));
    EXPECT_EQ(shots[99].pixelColor(467, 2), barcheck::White);

    // Then: hidden before the melody, the melody before the one request.
    EXPECT_FALSE(fmShutdown->isVisible());
    EXPECT_EQ(notes, FallingMelody);
    ASSERT_FALSE(windowShownAtNote.empty());
    EXPECT_FALSE(windowShownAtNote.front());
    EXPECT_EQ(callsAtNote, std::vector<int>(3, 0));
    EXPECT_EQ(bus->calls(), QStringList{testing_support::PowerOffCall});
    EXPECT_EQ(elapsed(), 30000u + 3 * 100 + 2 * 50) << "30 one-second steps and the melody";
    EXPECT_TRUE(program->ShutdownPending());
}

TEST_F(Countdown, ACancelInTheFirstSecondHidesTheWindowAndNothingFollows)
{
    bool hiddenAtOnce = false;
    pump.onPass = [&] {
        if (fmShutdown->isVisible()) {
            fmShutdown->btnCancel->click();
            hiddenAtOnce = !fmShutdown->isVisible();
        }
    };

    program->RunShutdownCountdown();

    EXPECT_TRUE(hiddenAtOnce);
    EXPECT_FALSE(program->ShutdownPending());
    EXPECT_EQ(painted->positions, std::vector<int>{3});
    EXPECT_EQ(bar()->Position(), 3);
    EXPECT_EQ(elapsed(), 1000u) << "noticed at the end of the second it came in";
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(bus->calls().isEmpty());
}

TEST_F(Countdown, TheSessionEndingCallsTheCountdownOff)
{
    // SIGTERM or a log-out while the countdown runs: nobody is left to cancel it, and the
    // machine must not be switched off under a session that is closing.
    pump.onPass = [&] {
        if (elapsed() == 2000 && program->ShutdownPending())
            program->close(true);
    };

    program->RunShutdownCountdown();

    EXPECT_FALSE(program->ShutdownPending());
    EXPECT_FALSE(fmShutdown->isVisible());
    EXPECT_TRUE(program->Closing());
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(bus->calls().isEmpty());
}

TEST_F(Countdown, ClosingTheWindowByItsTitleBarHidesItButThePowerOffStillComes)
{
    pump.onPass = [&] {
        if (elapsed() == 0 && fmShutdown->isVisible())
            fmShutdown->close();
    };

    program->RunShutdownCountdown();

    EXPECT_TRUE(program->ShutdownPending());
    EXPECT_EQ(bar()->Position(), 99);
    EXPECT_FALSE(fmShutdown->isVisible());
    EXPECT_EQ(notes, FallingMelody);
    EXPECT_EQ(bus->calls(), QStringList{testing_support::PowerOffCall});
}

TEST_F(Countdown, TheWindowIsLaidOutAsDesignedAndTheButtonTakesTheFocus)
{
    EXPECT_EQ(fmShutdown->windowTitle(), QStringLiteral("Tempovir - Extinction automatique du PC"));
    EXPECT_EQ(fmShutdown->size(), QSize(505, 194));
    EXPECT_EQ(fmShutdown->minimumSize(), fmShutdown->maximumSize()) << "not resizable";
    EXPECT_EQ(fmShutdown->pos(), QPoint(441, 263));
    EXPECT_FALSE(fmShutdown->isVisible()) << "created hidden";
    EXPECT_TRUE(fmShutdown->windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(fmShutdown->MarkupLabel1->geometry(), QRect(16, 16, 473, 65));
    EXPECT_EQ(fmShutdown->ProgressBar1->geometry(), QRect(16, 88, 473, 25));
    EXPECT_EQ(fmShutdown->btnCancel->geometry(), QRect(184, 136, 129, 33));
    EXPECT_EQ(fmShutdown->btnCancel->text(), QStringLiteral("Annuler Arrêt auto"));
    EXPECT_EQ(
        fmShutdown->MarkupLabel1->MarkupText(),
        QStringLiteral("<FONT face=\"Arial\">La fonction d'arrêt automatique du PC a été activée dans le "
                       "logiciel Tempovir. <br>Vous pouvez empêcher cet arrêt automatique dans les 30 "
                       "secondes qui suivent son activation. <br><br>Pour annuler maintenant l'arrêt "
                       "automatique du PC, cliquez sur le bouton Annuler Arrêt auto.</FONT>"));
    EXPECT_EQ(fmShutdown->MarkupLabel1->linkColor(), QColor(0, 0, 255));
    EXPECT_EQ(fmShutdown->MarkupLabel1->shadowColor(), QColor(128, 128, 128));
    EXPECT_EQ(fmShutdown->MarkupLabel1->shadowOffset(), 2);
    EXPECT_FALSE(fmShutdown->MarkupLabel1->AutoSizing());
    EXPECT_FALSE(fmShutdown->MarkupLabel1->Ellipsis());
    EXPECT_EQ(fmShutdown->font().family(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(fmShutdown->font().pixelSize(), 11);

    // Shown, the window leaves the rest usable and the button is the control with the focus;
    // Escape does not hide it as a dialog would.
    QWidget *focused = nullptr;
    bool modal = true;
    pump.onPass = [&] {
        if (elapsed() != 0 || !fmShutdown->isVisible() || focused)
            return;
        modal = fmShutdown->isModal() || QApplication::activeModalWidget() != nullptr;
        focused = fmShutdown->focusWidget();
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(fmShutdown->btnCancel, &esc);
        EXPECT_TRUE(fmShutdown->isVisible()) << "Escape hid the window";
        fmShutdown->btnCancel->click();
    };
    program->RunShutdownCountdown();
    EXPECT_FALSE(modal);
    EXPECT_EQ(focused, fmShutdown->btnCancel);
    EXPECT_TRUE(bus->calls().isEmpty());
}

TEST_F(Countdown, TheWindowKeepsItsPlaceWhereItFitsAndIsMovedOntoASmallerWorkAreaClearOfTheAlert)
{
    const struct
    {
        QRect workArea;
        bool fits;
        bool alert;
    } cases[] = {
        {QRect(0, 0, 1280, 994), true, true},
        // 1280 × 1024 at a scale of 2, a panel across the bottom.
        {QRect(0, 0, 640, 440), false, false},
        // There, the alert a power-off alarm shows first would hide the cancel button.
        {QRect(0, 0, 640, 440), false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.workArea.width() << (c.alert ? " with the alert" : ""));
        platform::ScreenMetrics metrics;
        metrics.resolution = c.workArea.size();
        metrics.workArea = c.workArea;
        testing_support::FakeScreen screen(metrics);
        TAlertPopup *alert = fmMain->AlertPopup1;
        if (c.alert) {
            alert->addMessage(QStringLiteral("Extinction"));
            alert->show();
        }
        QRect shown;
        pump.onPass = [&] {
            if (fmShutdown->isVisible() && shown.isNull()) {
                shown = fmShutdown->frameGeometry();
                fmShutdown->btnCancel->click();
            }
        };
        program->RunShutdownCountdown();
        EXPECT_TRUE(c.workArea.contains(shown));
        const QPoint corner(c.workArea.right() + 1 - shown.width(), c.workArea.bottom() + 1 - shown.height());
        if (c.fits) {
            EXPECT_EQ(shown.topLeft(), QPoint(441, 263));
        } else if (!c.alert) {
            EXPECT_EQ(shown.topLeft(), corner) << "moved no further than needed";
        } else {
            const QRect alertFrame = alert->window()->frameGeometry();
            EXPECT_FALSE(shown.intersects(alertFrame));
            EXPECT_EQ(shown.bottom() + 1, alertFrame.top()) << "just above it";
        }
        alert->hide();
    }
    EXPECT_TRUE(bus->calls().isEmpty());
}

// An alarm with power-off fired through the alarm check, the way the clock fires it.
TEST_F(Countdown, TwoPowerOffAlarmsDueTogetherNestOnOneWindowAndOneCancelEndsBoth)
{
    arm(1, QTime(9, 0), true);
    arm(2, QTime(9, 0), true);
    setActivation(true);
    at(9, 0, 1);

    std::vector<Pass> passes;
    bool repainted = false;
    bool cancelled = false;
    pump.onPass = [&] {
        passes.push_back({elapsed(), bar()->Position(), fmShutdown->isVisible()});
        // Four seconds in, a repaint of the clock runs the alarm check inside the wait, and
        // the second alarm fires there.
        if (!repainted && elapsed() == 4000) {
            repainted = true;
            CheckAlarms(table(), *program);
        }
        // Three steps into the nested countdown the user cancels.
        if (repainted && !cancelled && elapsed() == 7000) {
            cancelled = true;
            fmShutdown->btnCancel->click();
        }
    };

    CheckAlarms(table(), *program);

    ASSERT_TRUE(repainted);
    ASSERT_TRUE(cancelled);
    // The outer countdown stood at 13 % when the inner one started again from 0 on the same bar.
    EXPECT_EQ(painted->positions, (std::vector<int>{3, 6, 9, 13, 0, 3, 6, 9}));
    EXPECT_EQ(fmMain->AlertPopup1->AlertMessages().size(), 2);
    EXPECT_EQ(cell(5, 1), QStringLiteral("Non"));
    EXPECT_EQ(cell(5, 2), QStringLiteral("Non"));
    EXPECT_FALSE(program->ShutdownPending());
    EXPECT_FALSE(fmShutdown->isVisible());
    // The inner countdown noticed the cancel at the end of its second, the outer one at its
    // next test, with no step of its own in between.
    EXPECT_EQ(elapsed(), 7000u);
    EXPECT_EQ(bar()->Position(), 9);
    EXPECT_TRUE(notes.empty());
    EXPECT_TRUE(bus->calls().isEmpty());
}

// A system that refuses the request: nothing is shown and the program goes on.
class RefusedPowerOff : public ShutdownFixture
{
protected:
    testing_support::PrivateSystemBus::Logind logind() const override
    {
        return testing_support::PrivateSystemBus::Logind::Refuses;
    }
};

TEST_F(RefusedPowerOff, TheProgramGoesOnAndTheAlarmsPowerOffCellReadsNon)
{
    testing_support::ErrorRecorder errors;
    arm(4, QTime(9, 0), true);
    arm(6, QTime(9, 5), false);
    setActivation(true);
    at(9, 0, 1);

    CheckAlarms(table(), *program);

    EXPECT_EQ(bus->calls(), QStringList{testing_support::PowerOffCall}) << "asked once";
    EXPECT_EQ(cell(5, 4), QStringLiteral("Non"));
    EXPECT_EQ(notes, FallingMelody);
    EXPECT_FALSE(fmShutdown->isVisible());
    EXPECT_TRUE(errors.messages.isEmpty()) << qPrintable(errors.messages.join(QLatin1Char('\n')));
    for (QWidget *w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && w->isModal()) << "a box was shown";

    // Still running: the next alarm fires as usual, with its rising melody.
    notes.clear();
    at(9, 5, 1);
    CheckAlarms(table(), *program);
    EXPECT_EQ(fmMain->AlertPopup1->AlertMessages().size(), 2);
    EXPECT_EQ(notes, (std::vector<std::pair<quint32, quint32>>{{400, 100}, {600, 100}, {800, 100}}));
    EXPECT_EQ(bus->calls().size(), 1);
}

} // namespace

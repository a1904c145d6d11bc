// The colours of the grid's cells, read from a grabbed image of the grid.
#include "AlarmsEditFixture.h"

#include <QImage>

namespace {

const QColor White(255, 255, 255), Gray(128, 128, 128), Lime(0, 255, 0), Yellow(255, 255, 0), Red(255, 0, 0),
    Orange(255, 128, 64);

class CellColors : public AlarmsEditFixture
{
protected:
    void SetUp() override
    {
        AlarmsEditFixture::SetUp();
        // Keep the focus rectangle out of the cells under test.
        grid()->setCurrentCell(T::ColDate, 8);
        grid()->clearFocus();
    }
    void grab() { m_image = grid()->grab().toImage(); }
    // The background: a corner of the cell that no text reaches.
    QColor background(int col, int row)
    {
        const QRect r = grid()->cellRect(col, row);
        return m_image.pixelColor(r.right() - 2, r.bottom() - 2);
    }
    // The text colour: the darkest pixel of the cell.
    QColor text(int col, int row)
    {
        const QRect r = grid()->cellRect(col, row);
        QColor darkest = m_image.pixelColor(r.topLeft());
        for (int y = r.top() + 1; y < r.bottom(); ++y)
            for (int x = r.left() + 1; x < r.right(); ++x) {
                const QColor c = m_image.pixelColor(x, y);
                if (c.lightness() < darkest.lightness())
                    darkest = c;
            }
        return darkest;
    }
    void expectRow(int row, const QList<QColor> &backgrounds, const QColor &textColour, const char *what)
    {
        for (int c = 0; c < T::ColCount; ++c) {
            if (backgrounds[c].isValid()) {
                EXPECT_EQ(background(c, row), backgrounds[c]) << what << ": column " << c;
            }
            const QColor t = text(c, row);
            EXPECT_NEAR(t.red(), textColour.red(), 40) << what << ": text of column " << c;
            EXPECT_NEAR(t.green(), textColour.green(), 40) << what << ": text of column " << c;
        }
    }
    QColor fixedFace() { return grid()->palette().color(QPalette::Button); }
    QColor cellFace() { return grid()->palette().color(QPalette::Base); }

    QImage m_image;
};

} // namespace

TEST_F(CellColors, FollowEnabledActivationTheClockAndPowerOff)
{
    const QTime noon(12, 0);
    fill(1, today().addDays(1), noon, false, QStringLiteral("Éteinte"), true);
    fill(2, today().addDays(1), noon, true, QStringLiteral("Demain"), false);
    fill(3, today(), noon, true, QStringLiteral("Maintenant"), false);        // due at this very second
    fill(4, today(), noon.addSecs(1), true, QStringLiteral("Bientôt"), true); // power-off, one second ahead
    fill(5, today(), noon.addSecs(60), true, QStringLiteral("Date fausse"), false);
    table().SetCells(T::ColDate, 5, QStringLiteral("31/02/2026"));
    fill(6, today().addDays(-1), noon, true, QStringLiteral("Hier"), false);
    fill(7, today().addDays(1), noon, true, QStringLiteral("Heure fausse"), false);
    table().SetCells(T::ColTime, 7, QStringLiteral("midi"));

    const QColor black(0, 0, 0);
    for (bool on : {true, false}) {
        setActivation(on);
        grab();
        const QColor act = on ? Lime : Yellow;
        SCOPED_TRACE(on ? "activation on" : "activation off");
        expectRow(1, {White, White, White, White, White, White}, Gray, "disabled row");
        expectRow(2, {fixedFace(), act, act, act, act, Yellow}, black, "future row");
        expectRow(3, {fixedFace(), Red, Red, act, act, Yellow}, black, "row due now");
        expectRow(4, {fixedFace(), act, act, act, act, Orange}, black, "power-off row");
        expectRow(5, {fixedFace(), cellFace(), cellFace(), cellFace(), cellFace(), cellFace()}, black,
                  "unconvertible date");
        expectRow(6, {fixedFace(), Red, Red, act, act, Yellow}, black, "past row");
        expectRow(7, {fixedFace(), cellFace(), cellFace(), cellFace(), cellFace(), cellFace()}, black,
                  "unconvertible time");
        // The header row keeps the grid's own look.
        for (int c = 0; c < T::ColCount; ++c)
            EXPECT_EQ(background(c, 0), fixedFace()) << c;
    }

    // The clock is read at each paint: one second on, row 4 is due as well; half a second into
    // row 3's second it is still red.
    setActivation(true);
    time.advance(1000);
    grab();
    EXPECT_EQ(background(T::ColDate, 4), Red);
    EXPECT_EQ(background(T::ColTime, 4), Red);
    time.set(QDateTime(today(), QTime(11, 59, 59, 999)));
    grab();
    EXPECT_EQ(background(T::ColTime, 3), Lime);
    time.set(QDateTime(today(), QTime(12, 0, 0, 500)));
    grab();
    EXPECT_EQ(background(T::ColTime, 3), Red);
}

TEST_F(CellColors, FollowToggleAndActivationAtOnce)
{
    fill(2, today().addDays(1), QTime(12, 0), false, uRes::NoMessage, false);
    grab();
    EXPECT_EQ(background(T::ColMessage, 2), White);
    // The double-click enables the row and switches activation on; the next paint shows both.
    dblClick(T::ColEnabled, 2);
    grab();
    EXPECT_EQ(background(T::ColMessage, 2), Lime);
    EXPECT_EQ(background(T::ColShutdown, 2), Yellow);
    dblClick(T::ColShutdown, 2);
    setActivation(false);
    grab();
    EXPECT_EQ(background(T::ColMessage, 2), Yellow);
    EXPECT_EQ(background(T::ColShutdown, 2), Orange);
}

TEST_F(CellColors, MarkupMessagesAreDrawnFormattedAndPlainOnesAsTyped)
{
    fill(2, today().addDays(1), QTime(12, 0), false, QStringLiteral("<B>Gras</B>"), false);
    fill(3, today().addDays(1), QTime(12, 0), false, QStringLiteral("<b>Gras<b>"), false);
    grab();
    // Drawn through the markup renderer, the tags disappear: fewer inked columns than the
    // same text shown as typed.
    auto inkedColumns = [this](int row) {
        const QRect r = grid()->cellRect(T::ColMessage, row);
        int columns = 0;
        for (int x = r.left(); x < r.right(); ++x) {
            bool ink = false;
            for (int y = r.top(); y < r.bottom() && !ink; ++y)
                ink = m_image.pixelColor(x, y).lightness() < 200;
            columns += ink;
        }
        return columns;
    };
    EXPECT_GT(inkedColumns(2), 5);
    EXPECT_LT(inkedColumns(2) * 2, inkedColumns(3));
}

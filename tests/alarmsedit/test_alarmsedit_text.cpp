// How the grid draws its texts and where its cells end, read from a grabbed image of the grid.
#include "AlarmsEditFixture.h"

#include <QImage>
#include <QPainter>

namespace {

class CellText : public AlarmsEditFixture
{
protected:
    void SetUp() override
    {
        AlarmsEditFixture::SetUp();
        // Keep the focus rectangle out of the cells under test.
        grid()->setCurrentCell(T::ColDate, 8);
        grid()->clearFocus();
        setActivation(true);
    }
    QImage grab() { return grid()->grab().toImage(); }
    // How dark the cell's text is in all: each pixel counts by how much darker than the
    // cell's background it is. The cell's raised edge is left out.
    static int ink(const QImage &image, const QRect &cell)
    {
        const QRect inner = cell.adjusted(1, 1, -1, -1);
        const int background = qGray(image.pixel(inner.bottomRight()));
        int sum = 0;
        for (int y = inner.top(); y <= inner.bottom(); ++y)
            for (int x = inner.left(); x <= inner.right(); ++x)
                sum += qMax(0, background - qGray(image.pixel(x, y)));
        return sum;
    }
    // The height at which the cell's ink is centred, from the cell's top.
    static double inkCentre(const QImage &image, const QRect &cell)
    {
        const int background = qGray(image.pixel(cell.bottomRight()));
        double weighted = 0, sum = 0;
        for (int y = cell.top(); y <= cell.bottom(); ++y)
            for (int x = cell.left(); x <= cell.right(); ++x) {
                const int dark = qMax(0, background - qGray(image.pixel(x, y)));
                weighted += double(dark) * (y - cell.top());
                sum += dark;
            }
        return sum > 0 ? weighted / sum : -1;
    }
    // The cell's text drawn as a plain cell draws it, in the regular cell font.
    QImage regular(int col, int row, const QImage &image)
    {
        const QRect r = grid()->cellRect(col, row);
        QImage out(r.size(), QImage::Format_RGB32);
        out.fill(image.pixelColor(r.bottomRight() - QPoint(1, 1)));
        QPainter painter(&out);
        painter.setFont(grid()->font());
        painter.setPen(Qt::black);
        painter.drawText(out.rect().adjusted(2, 0, -2, 0),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, cell(col, row));
        return out;
    }
};

} // namespace

// Bold shows as heavier strokes than regular text, not only as wider letters: the header row,
// the number column and a <B> message are darker than the same text in the regular face.
TEST_F(CellText, HeadersNumbersAndBoldMarkupAreDrawnBold)
{
    fill(1, today().addDays(1), QTime(12, 0), true, QStringLiteral("<B>gras</B>"), false);
    fill(2, today().addDays(1), QTime(12, 0), true, QStringLiteral("gras"), false);
    const QImage image = grab();
    const struct
    {
        int col, row;
    } fixed[] = {{T::ColDate, 0}, {T::ColMessage, 0}, {T::ColNumber, 1}};
    for (const auto &c : fixed) {
        SCOPED_TRACE(cell(c.col, c.row).toStdString());
        const QImage plain = regular(c.col, c.row, image);
        EXPECT_GT(ink(image, grid()->cellRect(c.col, c.row)), 1.2 * ink(plain, plain.rect()));
    }
    EXPECT_GT(ink(image, grid()->cellRect(T::ColMessage, 1)),
              1.2 * ink(image, grid()->cellRect(T::ColMessage, 2)));
}

// A message drawn through the markup renderer sits at the height of the same text drawn plain.
TEST_F(CellText, MarkupAndPlainMessagesAreCentredAlike)
{
    fill(1, today().addDays(1), QTime(12, 0), true, QStringLiteral("<I></I>Réveil gj"), false);
    fill(2, today().addDays(1), QTime(12, 0), true, QStringLiteral("Réveil gj"), false);
    const QImage image = grab();
    const double markup = inkCentre(image, grid()->cellRect(T::ColMessage, 1));
    const double plain = inkCentre(image, grid()->cellRect(T::ColMessage, 2));
    ASSERT_GT(plain, 0);
    EXPECT_NEAR(markup, plain, 0.5);
}

// In a window larger than the cells, the number column ends with the last row and the header
// row with the last column: past them lies the grid's background, as beside the other cells.
TEST_F(CellText, TheFixedCellsEndWithTheLastRowAndColumn)
{
    list->resize(800, 700);
    QApplication::processEvents();
    const QImage image = grab();
    const QRect lastRow = grid()->cellRect(T::ColNumber, T::AlarmCount);
    const QRect lastColumn = grid()->cellRect(T::ColShutdown, 0);
    const QPoint belowRow(lastRow.center().x(), lastRow.bottom() + 20);
    const QPoint pastColumn(lastColumn.right() + 20, lastColumn.center().y());
    const QRect inside = grid()->rect().adjusted(grid()->frameWidth(), grid()->frameWidth(),
                                                 -grid()->frameWidth(), -grid()->frameWidth());
    ASSERT_TRUE(inside.contains(belowRow));
    ASSERT_TRUE(inside.contains(pastColumn));
    const QColor background = grid()->palette().color(QPalette::Base);
    EXPECT_EQ(image.pixelColor(grid()->cellRect(T::ColDate, T::AlarmCount).center().x(), belowRow.y()),
              background);
    EXPECT_EQ(image.pixelColor(belowRow), background);
    EXPECT_EQ(image.pixelColor(pastColumn), background);
}

// The alarm list window: its layout, closing, and the double-clicks of the grid.
#include "AlarmsEditFixture.h"

#include "alarms/uAlarms.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

namespace {

class AlarmsWindow : public AlarmsEditFixture
{
};

QStringList captions(const QMenu *menu)
{
    QStringList list;
    for (const QAction *a : menu->actions())
        list << a->text();
    return list;
}

} // namespace

TEST_F(AlarmsWindow, HasTheDesignedWindowMenusAndToolbar)
{
    EXPECT_EQ(list->windowTitle(), QStringLiteral("Liste des alarmes"));
    EXPECT_EQ(list->frameGeometry().size(), QSize(615, 322));                // outer size, frame included
    EXPECT_EQ(list->maximumSize(), QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)); // sizeable

    const QList<QAction *> menus = list->menuBar()->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text(), QStringLiteral("Fichier"));
    EXPECT_EQ(menus[1]->text(), QStringLiteral("Alarmes"));
    EXPECT_EQ(menus[0]->menu()->actions(), QList<QAction *>{list->ActAlarmsEditClose});
    // The main window's own actions, so their check marks are the same everywhere.
    EXPECT_EQ(menus[1]->menu()->actions(), (QList<QAction *>{main->ActAlarmsActivate, main->ActAlarmsSound}));
    EXPECT_EQ(captions(menus[1]->menu()), (QStringList{"Activer alarmes", "Alarme sonore"}));

    EXPECT_EQ(list->ToolBar1->height(), 41);
    EXPECT_EQ(list->ToolBar1->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    const QList<QAction *> tools = list->ToolBar1->actions();
    ASSERT_EQ(tools.size(), 3);
    EXPECT_EQ(tools[0], main->ActAlarmsActivate);
    EXPECT_TRUE(tools[1]->isSeparator());
    EXPECT_EQ(list->ToolBar1->widgetForAction(tools[1])->width(), 8);
    EXPECT_EQ(tools[2], list->ActAlarmsEditClose);
    auto *activate = qobject_cast<QToolButton *>(list->ToolBar1->widgetForAction(tools[0]));
    ASSERT_NE(activate, nullptr);
    for (QToolButton *button : {activate, list->btnAlarmsEditClose})
        EXPECT_EQ(button->size(), QSize(79, 36));
    EXPECT_TRUE(activate->isCheckable());
    EXPECT_EQ(list->btnAlarmsEditClose->text(), QStringLiteral("Quitter"));
    EXPECT_EQ(list->btnAlarmsEditClose->toolTip(), QStringLiteral("Quitter"));
    EXPECT_FALSE(list->btnAlarmsEditClose->icon().isNull());

    // The check mark follows the action in both windows, whoever sets it.
    setActivation(true);
    EXPECT_TRUE(activate->isChecked());
    EXPECT_TRUE(main->ActAlarmsActivate->isChecked());
    QTest::mouseClick(activate, Qt::LeftButton);
    EXPECT_FALSE(activation());
    EXPECT_FALSE(activate->isChecked());
}

TEST_F(AlarmsWindow, GridHasTheDesignedCellsHeadersAndOptions)
{
    const int widths[] = {48, 90, 90, 70, 205, 86};
    for (int c = 0; c < T::ColCount; ++c)
        for (int r : {0, 1, 8}) {
            const QRect rect = grid()->cellRect(c, r);
            EXPECT_EQ(rect.size(), QSize(widths[c], 20)) << c << "," << r;
            // Each cell is followed by a one-pixel grid line.
            if (c + 1 < T::ColCount) {
                EXPECT_EQ(grid()->cellRect(c + 1, r).left(), rect.right() + 2) << c;
            }
            if (r == 1) {
                EXPECT_EQ(grid()->cellRect(c, r).top(), grid()->cellRect(c, 0).bottom() + 2);
            }
        }
    const QStringList headers = {"-", "Date", "Heure", "Activée", "Message à afficher", "Extinction PC"};
    for (int c = 0; c < T::ColCount; ++c)
        EXPECT_EQ(cell(c, 0), headers[c]);
    EXPECT_EQ(grid()->font().family(), QStringLiteral("Tahoma"));
    EXPECT_EQ(grid()->font().pixelSize(), 11);
    EXPECT_EQ(QFontInfo(grid()->font()).family(), QStringLiteral("Tahoma"));
    EXPECT_TRUE(QFontInfo(grid()->headerFont()).bold());
    EXPECT_TRUE(grid()->headerFont().bold());
    EXPECT_EQ(grid()->selectionMode(), QAbstractItemView::ContiguousSelection);
    EXPECT_FALSE(grid()->tabKeyNavigation());
    EXPECT_EQ(grid()->horizontalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_EQ(grid()->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    EXPECT_FALSE(grid()->horizontalHeader()->sectionsMovable());
    EXPECT_EQ(list->centralWidget(), grid());
    // All of it fits at the designed size: no scroll bars.
    EXPECT_FALSE(grid()->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(grid()->verticalScrollBar()->isVisible());

    // Smaller than its content, the grid scrolls and keeps its header row and column in view.
    list->resize(300, 150);
    QApplication::processEvents();
    EXPECT_TRUE(grid()->verticalScrollBar()->isVisible());
    EXPECT_TRUE(grid()->horizontalScrollBar()->isVisible());
    const QRect headerRow = grid()->horizontalHeader()->geometry();
    const QRect headerColumn = grid()->verticalHeader()->geometry();
    grid()->verticalScrollBar()->setValue(grid()->verticalScrollBar()->maximum());
    grid()->horizontalScrollBar()->setValue(grid()->horizontalScrollBar()->maximum());
    EXPECT_GT(grid()->rowAt(0), 0);
    EXPECT_GT(grid()->columnAt(0), 0);
    EXPECT_EQ(grid()->horizontalHeader()->geometry(), headerRow);
    EXPECT_EQ(grid()->verticalHeader()->geometry(), headerColumn);
    EXPECT_TRUE(grid()->horizontalHeader()->isVisible());
    EXPECT_TRUE(grid()->verticalHeader()->isVisible());
    // The number column moves with the rows, the header row with the columns.
    EXPECT_EQ(grid()->cellRect(T::ColNumber, 8).top(), grid()->cellRect(T::ColShutdown, 8).top());
    EXPECT_EQ(grid()->cellRect(T::ColShutdown, 0).left(), grid()->cellRect(T::ColShutdown, 8).left());
}

TEST_F(AlarmsWindow, ClosingOnlyHidesAndKeepsEverything)
{
    table().SetCells(T::ColMessage, 2, QStringLiteral("Gardé"));
    table().SetAlarmsModified(true);
    click(T::ColTime, 4);
    for (auto close : {+[](TfmAlarmsEdit *w) { QTest::mouseClick(w->btnAlarmsEditClose, Qt::LeftButton); },
                       +[](TfmAlarmsEdit *w) { w->close(); }}) {
        list->show();
        close(list);
        EXPECT_FALSE(list->isVisible());
        EXPECT_EQ(cell(T::ColMessage, 2), QStringLiteral("Gardé"));
        EXPECT_TRUE(table().isModified());
        EXPECT_EQ(grid()->currentCol(), T::ColTime);
        EXPECT_EQ(grid()->currentRow(), 4);
    }
}

// One double-click on a row and column of a fresh table; the row starts with the texts given.
struct DblClickCase
{
    const char *name;
    int row, col;
    QString enabled, message, shutdown;
    bool activationBefore;
    QString enabledAfter, messageAfter, shutdownAfter;
    bool activationAfter, modified;
};

void PrintTo(const DblClickCase &k, std::ostream *os)
{
    *os << k.name;
}

class DoubleClicks : public AlarmsEditFixture, public ::testing::WithParamInterface<DblClickCase>
{
};

TEST_P(DoubleClicks, ToggleFillAndMarkAsTheRowAndColumnSay)
{
    const DblClickCase &k = GetParam();
    const int r = k.row == 0 ? 3 : k.row; // the header row's case looks at row 3
    table().SetCells(T::ColEnabled, r, k.enabled);
    table().SetCells(T::ColMessage, r, k.message);
    table().SetCells(T::ColShutdown, r, k.shutdown);
    setActivation(k.activationBefore);
    table().SetAlarmsModified(false);

    dblClick(k.col, k.row);

    EXPECT_EQ(cell(T::ColEnabled, r), k.enabledAfter);
    EXPECT_EQ(cell(T::ColMessage, r), k.messageAfter);
    EXPECT_EQ(cell(T::ColShutdown, r), k.shutdownAfter);
    EXPECT_EQ(activation(), k.activationAfter);
    EXPECT_EQ(table().isModified(), k.modified);
    // Global activation switched on shows in the main window as loading shows it.
    EXPECT_EQ(main->lblAlarms->isVisibleTo(main), k.activationAfter);
    EXPECT_EQ(grid()->inplaceEditor(), nullptr);
}

using T = TAlarmTable;
const QString Oui = uRes::Yes, Non = uRes::No, Dash = uRes::NoMessage;
const QString Msg3 = QStringLiteral("Message alarme 003");

INSTANTIATE_TEST_SUITE_P(
    Cases, DoubleClicks,
    ::testing::Values(
        DblClickCase{"HeaderEnabled", 0, T::ColEnabled, Non, Dash, Non, false, Non, Dash, Non, false, false},
        DblClickCase{"HeaderShutdown", 0, T::ColShutdown, Non, Dash, Non, false, Non, Dash, Non, false,
                     false},
        DblClickCase{"HeaderCorner", 0, T::ColNumber, Non, Dash, Non, false, Non, Dash, Non, false, false},
        DblClickCase{"NumberCell", 3, T::ColNumber, Non, Dash, Non, false, Non, Dash, Non, false, true},
        DblClickCase{"DateCell", 3, T::ColDate, Non, Dash, Non, false, Non, Dash, Non, false, true},
        DblClickCase{"MessageCell", 3, T::ColMessage, Non, Dash, Non, false, Non, Dash, Non, false, true},
        DblClickCase{"EnableFillsMessageAndActivates", 3, T::ColEnabled, Non, Dash, Non, false, Oui, Msg3,
                     Non, true, true},
        DblClickCase{"EnableKeepsOwnMessage", 3, T::ColEnabled, Non, "Réveil", Non, false, Oui, "Réveil", Non,
                     true, true},
        DblClickCase{"EnableFromEmptyText", 3, T::ColEnabled, "", Dash, Non, true, Oui, Msg3, Non, true,
                     true},
        DblClickCase{"EnableFromLowerCase", 3, T::ColEnabled, "oui", Dash, Non, false, Oui, Msg3, Non, true,
                     true},
        DblClickCase{"DisableLeavesMessageAndActivation", 3, T::ColEnabled, Oui, Dash, Non, true, Non, Dash,
                     Non, true, true},
        DblClickCase{"DisableWithActivationOff", 3, T::ColEnabled, Oui, Dash, Non, false, Non, Dash, Non,
                     false, true},
        DblClickCase{"ShutdownOn", 3, T::ColShutdown, Non, Dash, Non, false, Non, Dash, Oui, false, true},
        DblClickCase{"ShutdownOff", 3, T::ColShutdown, Non, Dash, Oui, false, Non, Dash, Non, false, true},
        DblClickCase{"ShutdownFromEmptyText", 3, T::ColShutdown, Non, Dash, "", false, Non, Dash, Oui, false,
                     true}),
    [](const ::testing::TestParamInfo<DblClickCase> &param) { return std::string(param.param.name); });

TEST_F(AlarmsWindow, DoubleClickBelowTheLastRowMarksModified)
{
    list->resize(615, 400);
    QApplication::processEvents();
    const QRect last = grid()->cellRect(T::ColEnabled, 8);
    const QPoint below(last.center().x(), last.bottom() + 15);
    QWidget *w = grid()->childAt(below);
    ASSERT_EQ(w, grid()->viewport());
    QTest::mouseDClick(w, Qt::LeftButton, {}, w->mapFrom(grid(), below));
    EXPECT_TRUE(table().isModified());
    for (int r = 1; r <= T::AlarmCount; ++r)
        EXPECT_EQ(cell(T::ColEnabled, r), uRes::No);
}

TEST_F(AlarmsWindow, NumberEnabledAndShutdownColumnsNeverOpenAnEditor)
{
    for (int col : {T::ColEnabled, T::ColShutdown}) {
        click(col, 2);
        ASSERT_EQ(grid()->currentCol(), col);
        key(Qt::Key_F2);
        EXPECT_EQ(grid()->inplaceEditor(), nullptr) << col;
        key(Qt::Key_Return);
        EXPECT_EQ(grid()->inplaceEditor(), nullptr) << col;
        QTest::keyClicks(focused(), QStringLiteral("x"));
        EXPECT_EQ(grid()->inplaceEditor(), nullptr) << col;
        click(col, 2); // clicking the current cell again
        QApplication::processEvents();
        EXPECT_EQ(grid()->inplaceEditor(), nullptr) << col;
        // What that click's delayed edit asks for when its timer runs out.
        static_cast<QAbstractItemView *>(grid())->edit(grid()->currentIndex());
        EXPECT_EQ(grid()->inplaceEditor(), nullptr) << col;
        EXPECT_EQ(cell(col, 2), uRes::No);
    }
    // The number column is a header: clicking it does not make it current.
    click(T::ColNumber, 2);
    EXPECT_EQ(grid()->currentCol(), T::ColShutdown);
    key(Qt::Key_F2);
    EXPECT_EQ(grid()->inplaceEditor(), nullptr);
    EXPECT_EQ(cell(T::ColNumber, 2), QStringLiteral("002"));
    EXPECT_FALSE(table().isModified());
    bool canEdit = true;
    for (int r = 0; r <= T::AlarmCount; ++r) {
        for (int c : {T::ColNumber, T::ColEnabled, T::ColShutdown}) {
            list->GridAlarmsCanEditCell(grid(), r, c, canEdit);
            EXPECT_FALSE(canEdit) << c << "," << r;
        }
        for (int c : {T::ColDate, T::ColTime, T::ColMessage}) {
            list->GridAlarmsCanEditCell(grid(), r, c, canEdit);
            EXPECT_TRUE(canEdit) << c << "," << r;
        }
    }
    TEditorType type = edNormal;
    for (const auto &[c, expected] :
         {std::pair{0, edNormal}, std::pair{1, edDateEdit}, std::pair{2, edTimeEdit}, std::pair{3, edNormal},
          std::pair{4, edNormal}, std::pair{5, edNormal}}) {
        list->GridAlarmsGetEditorType(grid(), c, 1, type);
        EXPECT_EQ(type, expected) << c;
    }
}

TEST(TagFreeText, BreaksStayAndOtherTagsGo)
{
    const struct
    {
        const char *cell, *editor;
    } cases[] = {
        {"Réveil", "Réveil"},
        {"Ligne 1<BR>Ligne 2", "Ligne 1\nLigne 2"},
        {"a<br>b<Br>c<hR>d", "a\nb\nc\nd"},
        {"<B>Gras</B> et <I>italique</I>", "Gras et italique"},
        {"<FONT color=\"clred\" size=\"12\">Rouge</FONT>", "Rouge"},
        {"a < b", "a < b"},
        {"2 < 3 <B>x</B>", "2 x"},
        {"fin <", "fin <"},
        {"<>vide", "vide"},
        {"<BR/>x<BR >y", "xy"},
        {"x > y", "x > y"},
        {"", ""},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TagFreeText(QString::fromUtf8(c.cell)), QString::fromUtf8(c.editor)) << c.cell;
}

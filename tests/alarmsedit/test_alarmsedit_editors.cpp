// The grid's in-place editors: opening, keys, commit and change detection, closing.
#include "AlarmsEditFixture.h"

#include "alarms/uAlarms.h"

#include <QCalendarWidget>
#include <QClipboard>
#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimeEdit>

namespace {

class Editors : public AlarmsEditFixture
{
protected:
    void SetUp() override
    {
        AlarmsEditFixture::SetUp();
        fill(2, QDate(2026, 12, 25), QTime(7, 30), true, QStringLiteral("Réveil"), false);
        table().SetAlarmsModified(false);
    }
    // The grid has the focus back, with the same current cell, and no editor is open.
    void expectBrowsing(int col, int row)
    {
        EXPECT_EQ(grid()->inplaceEditor(), nullptr);
        EXPECT_EQ(focused(), grid());
        EXPECT_EQ(grid()->currentCol(), col);
        EXPECT_EQ(grid()->currentRow(), row);
    }
};

struct EditorCase
{
    int col;
    const char *editorName;
    QString before, after; // the cell's text, and after one change in the editor
    std::function<void()> change;
};

std::vector<EditorCase> editorCases()
{
    return {
        {TAlarmTable::ColDate, "edDateEdit", "25/12/2026", "26/12/2026",
         [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up); }},
        {TAlarmTable::ColTime, "edTimeEdit", "07:30:00", "08:30:00",
         [] { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up); }},
        {TAlarmTable::ColMessage, "edNormal", "Réveil", "Debout",
         [] { QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Debout")); }},
    };
}

} // namespace

TEST_F(Editors, EachColumnOpensItsEditorOverTheCell)
{
    setActivation(true);
    for (const EditorCase &k : editorCases()) {
        SCOPED_TRACE(k.editorName);
        QWidget *editor = openEditor(k.col, 2);
        ASSERT_NE(editor, nullptr);
        EXPECT_EQ(editor->objectName(), QString::fromLatin1(k.editorName));
        EXPECT_TRUE(editor->isVisible());
        EXPECT_TRUE(editor->hasFocus() || editor->isAncestorOf(focused()));
        const QRect cellRect = grid()->cellRect(k.col, 2);
        const QRect editorRect(editor->mapTo(grid(), QPoint(0, 0)), editor->size());
        EXPECT_EQ(editorRect.topLeft(), cellRect.topLeft());
        if (auto *picker = qobject_cast<QDateTimeEdit *>(editor)) {
            EXPECT_EQ(editorRect.width(), cellRect.width() - 1);
            EXPECT_EQ(editorRect.height(), qMax(cellRect.height() - 1, picker->minimumSizeHint().height()));
            // The cell's colour at that moment: enabled, in the future, activation on.
            EXPECT_EQ(picker->palette().color(QPalette::Base), QColor(0, 255, 0));
            EXPECT_EQ(picker->text(), k.before);
        } else {
            auto *line = qobject_cast<QLineEdit *>(editor);
            ASSERT_NE(line, nullptr);
            EXPECT_EQ(line->text(), k.before);
            EXPECT_EQ(line->selectedText(), k.before);
        }
        key(Qt::Key_Return);
    }
    auto *date = qobject_cast<QDateEdit *>(openEditor(T::ColDate, 2));
    ASSERT_NE(date, nullptr);
    EXPECT_TRUE(date->calendarPopup());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr); // not opened by itself
    key(Qt::Key_Escape);
    auto *picker = qobject_cast<QTimeEdit *>(openEditor(T::ColTime, 2));
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->sectionCount(), 3); // hours, minutes, seconds
}

TEST_F(Editors, CommitKeysWriteTheTextAndMarkOnlyAChange)
{
    for (const EditorCase &k : editorCases()) {
        const QList<Qt::Key> keys =
            k.col == T::ColMessage
                ? QList<Qt::Key>{Qt::Key_Return, Qt::Key_Enter, Qt::Key_Tab}
                : QList<Qt::Key>{Qt::Key_Return, Qt::Key_Enter,    Qt::Key_Tab, Qt::Key_Backtab,
                                 Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_End};
        for (Qt::Key commitKey : keys) {
            SCOPED_TRACE(QStringLiteral("%1, key %2").arg(k.editorName).arg(commitKey).toStdString());
            table().SetCells(k.col, 2, k.before);
            table().SetAlarmsModified(false);
            int changes = 0;
            grid()->OnCellsChanged = [&](QObject *, const QRect &r) {
                ++changes;
                EXPECT_EQ(r, QRect(k.col, 2, 1, 1));
                list->GridAlarmsCellsChanged(grid(), r);
            };

            // Without a change: the same text, nothing marked.
            ASSERT_NE(openEditor(k.col, 2), nullptr);
            key(commitKey);
            expectBrowsing(k.col, 2);
            EXPECT_EQ(cell(k.col, 2), k.before);
            EXPECT_FALSE(table().isModified());
            EXPECT_EQ(changes, 0);

            // With one: the new text, marked once.
            ASSERT_NE(openEditor(k.col, 2), nullptr);
            k.change();
            key(commitKey);
            expectBrowsing(k.col, 2);
            EXPECT_EQ(cell(k.col, 2), k.after);
            EXPECT_TRUE(table().isModified());
            EXPECT_EQ(changes, 1);
        }
    }
}

TEST_F(Editors, EscapePutsBackTheCellsValue)
{
    for (const EditorCase &k : editorCases()) {
        SCOPED_TRACE(k.editorName);
        ASSERT_NE(openEditor(k.col, 2), nullptr);
        k.change();
        key(Qt::Key_Escape);
        expectBrowsing(k.col, 2);
        EXPECT_EQ(cell(k.col, 2), k.before);
        EXPECT_FALSE(table().isModified());
    }
    // A picker over text that does not convert starts from now and Esc commits that.
    table().SetCells(T::ColDate, 3, QStringLiteral("bientôt"));
    table().SetCells(T::ColTime, 3, QStringLiteral("midi"));
    time.set(QDateTime(QDate(2026, 12, 11), QTime(9, 15, 42, 700)));
    for (int col : {T::ColDate, T::ColTime}) {
        ASSERT_NE(openEditor(col, 3), nullptr);
        key(Qt::Key_Escape);
        expectBrowsing(col, 3);
    }
    EXPECT_EQ(cell(T::ColDate, 3), QStringLiteral("11/12/2026"));
    EXPECT_EQ(cell(T::ColTime, 3), QStringLiteral("09:15:42"));
    EXPECT_TRUE(table().isModified());
}

TEST_F(Editors, DateEditorOnAnEmptyCellCommitsToday)
{
    table().SetCells(T::ColDate, 4, QString());
    time.set(QDateTime(QDate(2027, 1, 3), QTime(8, 0)));
    auto *date = qobject_cast<QDateEdit *>(openEditor(T::ColDate, 4));
    ASSERT_NE(date, nullptr);
    EXPECT_EQ(date->date(), QDate(2027, 1, 3));
    key(Qt::Key_Return);
    EXPECT_EQ(cell(T::ColDate, 4), QStringLiteral("03/01/2027"));
    EXPECT_TRUE(table().isModified());
}

TEST_F(Editors, TheOpenCalendarTakesEnterAndEscapeFirst)
{
    auto *date = qobject_cast<QDateEdit *>(openEditor(T::ColDate, 2));
    ASSERT_NE(date, nullptr);
    for (Qt::Key k : {Qt::Key_Escape, Qt::Key_Return}) {
        // The drop-down button at the right end of the picker.
        QTest::mouseClick(date, Qt::LeftButton, {}, QPoint(date->width() - 4, date->height() / 2));
        QWidget *popup = QApplication::activePopupWidget();
        ASSERT_NE(popup, nullptr);
        QWidget *target = popup->focusWidget() ? popup->focusWidget() : popup;
        QTest::keyClick(target, k);
        EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
        EXPECT_EQ(grid()->inplaceEditor(), date) << "the editor closed with the calendar";
    }
    key(Qt::Key_Return);
    expectBrowsing(T::ColDate, 2);
    EXPECT_EQ(cell(T::ColDate, 2), QStringLiteral("25/12/2026"));
}

TEST_F(Editors, ClickingAnotherCellCommits)
{
    ASSERT_NE(openEditor(T::ColTime, 2), nullptr);
    key(Qt::Key_Up);
    click(T::ColMessage, 5);
    EXPECT_EQ(grid()->inplaceEditor(), nullptr);
    EXPECT_EQ(cell(T::ColTime, 2), QStringLiteral("08:30:00"));
    EXPECT_TRUE(table().isModified());
}

TEST_F(Editors, ClosingTheWindowKeepsTheOpenEdit)
{
    ASSERT_NE(openEditor(T::ColDate, 2), nullptr);
    key(Qt::Key_Up);
    for (int r : {3, 4})
        EXPECT_EQ(cell(T::ColDate, r), DateToStr(today()));
    list->close();
    EXPECT_FALSE(list->isVisible());
    EXPECT_EQ(grid()->inplaceEditor(), nullptr);
    EXPECT_EQ(cell(T::ColDate, 2), QStringLiteral("26/12/2026"));
    EXPECT_TRUE(table().isModified());
    EXPECT_EQ(grid()->currentCol(), T::ColDate);
    EXPECT_EQ(grid()->currentRow(), 2);
}

// The message editor never shows tags; a line break survives the editor, the file and
// the next start.
TEST_F(Editors, LineBreaksSurviveEditorFileAndReload)
{
    table().SetCells(T::ColMessage, 2, QStringLiteral("Ligne 1<BR>Ligne <B>2</B>"));
    auto *line = qobject_cast<QLineEdit *>(openEditor(T::ColMessage, 2));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("Ligne 1\nLigne 2"));
    key(Qt::Key_End);
    QTest::keyClicks(focused(), QStringLiteral("!"));
    key(Qt::Key_Return);
    EXPECT_EQ(cell(T::ColMessage, 2), QStringLiteral("Ligne 1\nLigne 2!"));
    ASSERT_TRUE(table().isModified());

    SaveAlarmsIfModified(table(), program->IniFileName());
    QFile file(program->IniFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("DisplayName=Ligne 1<BR>Ligne 2!\r\n"));

    table().SetCells(T::ColMessage, 2, QString());
    InitAlarmGrid(table(), *program, program->IniFileName());
    EXPECT_EQ(cell(T::ColMessage, 2), QStringLiteral("Ligne 1<BR>Ligne 2!"));
    line = qobject_cast<QLineEdit *>(openEditor(T::ColMessage, 2));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), QStringLiteral("Ligne 1\nLigne 2!"));
    key(Qt::Key_Escape);
}

// The message editor takes no more than the settings file gives back at the next start, and
// says so when it cuts a paste or refuses a key; what it keeps survives the file whole.
TEST_F(Editors, TheMessageEditorKeepsWhatTheFileGivesBackAndSaysWhenItCuts)
{
    testing_support::ErrorRecorder notices;
    const QStringList cut = {QStringLiteral("Le message a été tronqué à 2047 caractères.")};
    QString pasted;
    for (int i = 0; pasted.size() < 3000; ++i)
        pasted += QString::number(i % 10);
    // The first length characters of what was pasted, as a plain string for readable failures.
    auto first = [&](qsizetype length) { return pasted.left(length).toStdString(); };
    const struct
    {
        qsizetype pasted, kept;
        bool notice;
    } cases[] = {{3000, 2047, true}, {2047, 2047, false}, {12, 12, false}};
    for (const auto &k : cases) {
        SCOPED_TRACE(k.pasted);
        notices.messages.clear();
        auto *line = qobject_cast<QLineEdit *>(openEditor(T::ColMessage, 2));
        ASSERT_NE(line, nullptr);
        QGuiApplication::clipboard()->setText(pasted.left(k.pasted));
        key(Qt::Key_V, Qt::ControlModifier);
        QCoreApplication::processEvents();
        EXPECT_EQ(line->text().toStdString(), first(k.kept));
        EXPECT_EQ(notices.messages, k.notice ? cut : QStringList{});
        key(Qt::Key_Return);
        EXPECT_EQ(cell(T::ColMessage, 2).toStdString(), first(k.kept));

        SaveAlarmsIfModified(table(), program->IniFileName());
        table().SetCells(T::ColMessage, 2, QString());
        InitAlarmGrid(table(), *program, program->IniFileName());
        EXPECT_EQ(cell(T::ColMessage, 2).toStdString(), first(k.kept));
    }

    // A key typed at the limit is refused with the same notice.
    notices.messages.clear();
    table().SetCells(T::ColMessage, 2, pasted.left(2047));
    auto *line = qobject_cast<QLineEdit *>(openEditor(T::ColMessage, 2));
    ASSERT_NE(line, nullptr);
    key(Qt::Key_End);
    QTest::keyClicks(focused(), QStringLiteral("x"));
    QCoreApplication::processEvents();
    EXPECT_EQ(line->text().size(), 2047);
    EXPECT_EQ(notices.messages, cut);
    key(Qt::Key_Escape);

    // 1500 clocks (two UTF-16 units each) are 1500 characters, which the file gives back: the
    // editor shows them all, and an edit keeps the rest.
    QString clocks;
    for (int i = 0; i < 1500; ++i)
        clocks += QStringLiteral("\U0001F570");
    table().SetCells(T::ColMessage, 2, clocks);
    line = qobject_cast<QLineEdit *>(openEditor(T::ColMessage, 2));
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->text(), clocks);
    key(Qt::Key_End);
    key(Qt::Key_Backspace);
    key(Qt::Key_Return);
    EXPECT_EQ(cell(T::ColMessage, 2), clocks.left(clocks.size() - 2));
}

// Closing the main window ends the program: an edit still open in the list reaches the file.
TEST_F(Editors, TheMainWindowsCloseSavesTheOpenEdit)
{
    ASSERT_NE(openEditor(T::ColMessage, 2), nullptr);
    QTest::keyClicks(focused(), QStringLiteral("Fin du travail"));
    main->close();
    EXPECT_EQ(cell(T::ColMessage, 2), QStringLiteral("Fin du travail"));
    QFile file(program->IniFileName());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readAll()).contains(QStringLiteral("DisplayName=Fin du travail\r\n")));
}

// The pickers show the date and time as the cells hold them.
TEST(PickerFormats, ShowWhatTheCellsHold)
{
    const QDate date(2026, 3, 7);
    const QTime time(7, 5, 9);
    for (const QLocale &locale :
         {QLocale(QLocale::French, QLocale::France), QLocale(QLocale::German, QLocale::Germany),
          QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
        const platform::TFormatSettings settings = platform::FormatSettingsFor(locale);
        SCOPED_TRACE(locale.name().toStdString());
        EXPECT_EQ(QLocale::c().toString(date, PickerDateFormat(settings)), DateToStr(date, settings));
        EXPECT_EQ(QLocale::c().toString(time, PickerTimeFormat(settings)), TimeToStr(time, settings));
    }
    // A two-digit year in the regional pattern still shows the whole year in the picker.
    platform::TFormatSettings shortYear;
    shortYear.ShortDateFormat = QStringLiteral("d/m/yy");
    EXPECT_EQ(QLocale::c().toString(date, PickerDateFormat(shortYear)), QStringLiteral("7/3/2026"));
    shortYear.LongTimeFormat = QStringLiteral("h:mm:ss AMPM");
    EXPECT_EQ(QLocale::c().toString(QTime(19, 5, 9), PickerTimeFormat(shortYear)),
              QStringLiteral("7:05:09 PM"));
    // A marker inside quoted text is text: the clock stays on 24 hours, as in the cell.
    shortYear.LongTimeFormat = QStringLiteral("hh:nn 'a/p'");
    EXPECT_EQ(QLocale::c().toString(QTime(19, 5, 9), PickerTimeFormat(shortYear)),
              TimeToStr(QTime(19, 5, 9), shortYear));
}

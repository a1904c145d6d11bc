#include "alarms/AlarmTable.h"
#include "res/uRes.h"

#include <QList>
#include <QPair>

#include <gtest/gtest.h>

namespace {

using Cell = QPair<int, int>; // column, row

// Everything the table announces, in order.
struct Recorder
{
    explicit Recorder(TAlarmTable &table)
    {
        QObject::connect(&table, &TAlarmTable::cellChanged, [this](int c, int r) { changed.append({c, r}); });
        QObject::connect(&table, &TAlarmTable::cellsChanged, [this](int c, int r) {
            userChanged.append({c, r});
        });
        QObject::connect(&table, &TAlarmTable::refreshed, [this] { ++refreshes; });
    }
    QList<Cell> changed;
    QList<Cell> userChanged;
    int refreshes = 0;
};

TEST(AlarmTable, StartsWithTheHeaderRowAndEightEmptyAlarmRows)
{
    const TAlarmTable table;
    const QString headers[] = {"-", "Date", "Heure", "Activée", "Message à afficher", "Extinction PC"};
    ASSERT_EQ(TAlarmTable::ColCount, 6);
    ASSERT_EQ(TAlarmTable::RowCount, 9);
    for (int c = 0; c < TAlarmTable::ColCount; ++c) {
        EXPECT_EQ(table.Cells(c, 0), headers[c]);
        for (int r = 1; r < TAlarmTable::RowCount; ++r)
            EXPECT_TRUE(table.Cells(c, r).isEmpty()) << c << "," << r;
    }
    EXPECT_FALSE(table.isModified());
}

TEST(AlarmTable, NumbersTheRowsInOrderWithoutMarkingAChange)
{
    TAlarmTable table;
    Recorder recorder(table);
    table.numberRows();
    QList<Cell> expected;
    for (int r = 1; r <= 8; ++r) {
        EXPECT_EQ(table.Cells(0, r), QString::asprintf("00%d", r));
        expected.append({0, r});
    }
    EXPECT_EQ(recorder.changed, expected);
    EXPECT_EQ(table.Cells(0, 0), "-");
    EXPECT_FALSE(table.isModified());
}

TEST(AlarmTable, ColumnComesFirstAndTextIsStoredExactly)
{
    TAlarmTable table;
    Recorder recorder(table);
    const QString texts[] = {" Oui ", "line one\r\nline two", QString(5000, u'x'), "", "25/12/2006"};
    for (const QString &text : texts) {
        table.SetCells(4, 2, text);
        EXPECT_EQ(table.Cells(4, 2), text);
    }
    EXPECT_TRUE(table.Cells(2, 4).isEmpty());
    EXPECT_EQ(recorder.changed.size(), 5);
    EXPECT_EQ(recorder.changed.last(), Cell(4, 2));
}

TEST(AlarmTable, OnlyTheExactWordOuiIsYes)
{
    EXPECT_TRUE(IsYes("Oui"));
    EXPECT_TRUE(IsYes(uRes::Yes));
    for (const char *no : {"Non", "oui", "OUI", "oUI", "Oui ", " Oui", "Oui\n", "", "Yes", "1", "Ouï"})
        EXPECT_FALSE(IsYes(QString::fromUtf8(no))) << no;
    EXPECT_EQ(uRes::No, "Non");
}

TEST(AlarmTable, ProgramWritesLeaveTheModifiedFlagAsItWas)
{
    for (const bool before : {false, true}) {
        TAlarmTable table;
        table.SetAlarmsModified(before);
        table.numberRows();
        for (int c = 1; c < TAlarmTable::ColCount; ++c)
            table.SetCells(c, 3, "Non");
        EXPECT_EQ(table.isModified(), before);
    }
}

TEST(AlarmTable, AUserEditSetsTheFlagOnlyWhenTheTextChanges)
{
    TAlarmTable table;
    Recorder recorder(table);
    table.SetCells(3, 1, "Non");
    recorder.changed.clear();

    table.commitUserEdit(3, 1, "Non");
    EXPECT_FALSE(table.isModified()) << "an edit that changed nothing";
    EXPECT_TRUE(recorder.userChanged.isEmpty());

    table.commitUserEdit(3, 1, "Oui");
    EXPECT_TRUE(table.isModified());
    EXPECT_EQ(table.Cells(3, 1), "Oui");
    EXPECT_EQ(recorder.userChanged, QList<Cell>{Cell(3, 1)});
    EXPECT_EQ(recorder.changed, QList<Cell>{Cell(3, 1)});

    // An unchanged edit later leaves the flag set, and clearing it is for loading and saving.
    table.commitUserEdit(3, 1, "Oui");
    EXPECT_TRUE(table.isModified());
    table.SetAlarmsModified(false);
    table.commitUserEdit(4, 1, "");
    EXPECT_FALSE(table.isModified()) << "empty to empty is no change";
}

TEST(AlarmTable, TheHeaderRowAndNumberColumnAreNotTheUsers)
{
    TAlarmTable table;
    table.numberRows();
    table.commitUserEdit(0, 1, "999");
    table.commitUserEdit(2, 0, "Time");
    EXPECT_EQ(table.Cells(0, 1), "001");
    EXPECT_EQ(table.Cells(2, 0), "Heure");
    EXPECT_FALSE(table.isModified());
}

TEST(AlarmTable, SetAlarmsModifiedSetsTheFlagAndAlwaysRefreshes)
{
    TAlarmTable table;
    Recorder recorder(table);
    table.SetAlarmsModified(false);
    EXPECT_FALSE(table.isModified());
    EXPECT_EQ(recorder.refreshes, 1) << "refreshes even when the flag was already false";
    table.SetAlarmsModified(true);
    EXPECT_TRUE(table.isModified());
    EXPECT_EQ(recorder.refreshes, 2);
    table.SetAlarmsModified(false);
    EXPECT_FALSE(table.isModified());
    table.refresh();
    EXPECT_EQ(recorder.refreshes, 4);
    EXPECT_TRUE(recorder.changed.isEmpty());
}

TEST(AlarmTable, SectionNamesAndTheDefaultMessageAreNumbered)
{
    EXPECT_EQ(uRes::AlarmSection(0), "Alarm_000");
    EXPECT_EQ(uRes::AlarmSection(7), "Alarm_007");
    EXPECT_EQ(uRes::DefaultMessage(3), "Message alarme 003");
    EXPECT_EQ(uRes::InvalidDate("25/12/"), "'25/12/' n'est pas une date correcte");
    EXPECT_EQ(uRes::InvalidTime("%s 24:00"), "'%s 24:00' n'est pas une heure correcte");
    EXPECT_EQ(uRes::IniWriteError("/tmp/é.ini"), "Impossible d'écrire dans /tmp/é.ini");
}

} // namespace

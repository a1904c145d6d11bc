#pragma once

#include "alarms/AlarmTable.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "support/Fakes.h"
#include "support/StartProgram.h"
#include "ui/Action.h"
#include "ui/GridAlarms.h"
#include "ui/frmAlarmsEdit.h"
#include "ui/frmMain.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// The main window and the alarm list window shown and active, French regional settings, the
// clock standing at 10 December 2026, 12:00:00.000, and eight numbered alarm rows that are
// switched off, dated today at noon, without message.
class AlarmsEditFixture : public ::testing::Test
{
protected:
    using T = TAlarmTable;

    void SetUp() override
    {
        program = testing_support::StartProgram(dir.filePath(QStringLiteral("tempovir.ini")));
        main = program->fmMain();
        list = program->fmAlarmsEdit();
        for (int r = 1; r <= T::AlarmCount; ++r)
            fill(r, today(), QTime(12, 0), false, uRes::NoMessage, false);
        table().SetAlarmsModified(false);
        list->show();
        list->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(list));
        grid()->setFocus();
    }

    TAlarmTable &table() { return program->alarmTable(); }
    TGridAlarms *grid() { return list->GridAlarms; }
    QString cell(int col, int row) { return table().Cells(col, row); }
    QDate today() const { return time.now().date(); }
    bool activation() const { return main->ActAlarmsActivate->Checked(); }
    void setActivation(bool on)
    {
        main->ActAlarmsActivate->SetChecked(on);
        main->ActAlarmsActivate->Execute(nullptr);
    }

    void fill(int r, const QDate &d, const QTime &t, bool enabled, const QString &message, bool shutdown)
    {
        table().SetCells(T::ColDate, r, DateToStr(d));
        table().SetCells(T::ColTime, r, TimeToStr(t));
        table().SetCells(T::ColEnabled, r, enabled ? uRes::Yes : uRes::No);
        table().SetCells(T::ColMessage, r, message);
        table().SetCells(T::ColShutdown, r, shutdown ? uRes::Yes : uRes::No);
    }

    // The widget under the middle of a cell, and the point there in its coordinates.
    std::pair<QWidget *, QPoint> at(int col, int row)
    {
        const QPoint p = grid()->cellRect(col, row).center();
        QWidget *w = grid()->childAt(p);
        EXPECT_NE(w, nullptr) << "nothing under cell " << col << "," << row;
        return {w, w ? w->mapFrom(grid(), p) : p};
    }
    void click(int col, int row)
    {
        auto [w, p] = at(col, row);
        QTest::mouseClick(w, Qt::LeftButton, {}, p);
    }
    void dblClick(int col, int row)
    {
        auto [w, p] = at(col, row);
        QTest::mouseDClick(w, Qt::LeftButton, {}, p);
    }
    // Makes a cell current by clicking it, then opens its editor with F2 as a user would.
    QWidget *openEditor(int col, int row)
    {
        click(col, row);
        QTest::keyClick(focused(), Qt::Key_F2);
        return grid()->inplaceEditor();
    }
    static QWidget *focused() { return QApplication::focusWidget(); }
    static void key(Qt::Key k, Qt::KeyboardModifiers mods = {}) { QTest::keyClick(focused(), k, mods); }

    testing_support::FakeRegional regional{QLocale(QLocale::French, QLocale::France)};
    testing_support::FakeTime time{QDateTime(QDate(2026, 12, 10), QTime(12, 0))};
    QTemporaryDir dir;
    std::unique_ptr<TProgram> program;
    TfmMain *main = nullptr;
    TfmAlarmsEdit *list = nullptr;
};

#pragma once

#include "ui/GridAlarms.h"

#include <QMainWindow>

class TAlarmTable;
class TAction;
class QToolBar;
class QToolButton;
class QMenu;

// The alarm list window: the alarm table in its grid, and the main window's two alarm
// switches in its menu and toolbar. Closing it only hides it.
class TfmAlarmsEdit : public QMainWindow
{
    Q_OBJECT

public:
    TfmAlarmsEdit(TAlarmTable &Table, TAction *ActAlarmsActivate, TAction *ActAlarmsSound,
                  QWidget *parent = nullptr);

    TAlarmTable &AlarmTable;
    TGridAlarms *GridAlarms = nullptr;
    QToolBar *ToolBar1 = nullptr;
    QToolButton *btnAlarmsEditClose = nullptr;
    QMenu *mnuFile = nullptr;
    QMenu *mnuAlarms = nullptr;
    TAction *ActAlarmsEditClose = nullptr;

    void ActAlarmsEditCloseExecute(QObject *Sender);
    void GridAlarmsCanEditCell(QObject *Sender, int ARow, int ACol, bool &CanEdit);
    void GridAlarmsGetEditorType(QObject *Sender, int ACol, int ARow, TEditorType &AEditor);
    void GridAlarmsGetCellColor(QObject *Sender, int ARow, int ACol, QStyle::State AState, QColor &ABrush,
                                QColor &AFont);
    void GridAlarmsDblClickCell(QObject *Sender, int ARow, int ACol);
    void GridAlarmsCellsChanged(QObject *Sender, const QRect &R);
    // Ends an edit in progress keeping its value; runs when the window closes.
    void FormClose(QObject *Sender);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    TAction *m_actAlarmsActivate;
};

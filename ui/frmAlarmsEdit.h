#pragma once

#include "ui/GridAlarms.h"

#include <QMainWindow>

class TAlarmTable;
class TAction;
class QToolBar;
class QToolButton;
class QMenu;

// The alarm list window; it owns the alarm table and shows it in its grid. Closing it only
// hides it.
class TfmAlarmsEdit : public QMainWindow
{
    Q_OBJECT

public:
    explicit TfmAlarmsEdit(QWidget *parent = nullptr);

    TAlarmTable *AlarmTable = nullptr;
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

    // Puts the main window's alarm actions into the menu and toolbar; done at creation when
    // the main window exists already, otherwise when this window is first shown.
    void BindMainActions();

protected:
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QAction *m_activateButton = nullptr;
    bool m_bound = false;
};

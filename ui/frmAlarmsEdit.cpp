#include "ui/frmAlarmsEdit.h"

#include "alarms/AlarmTable.h"
#include "platform/ErrorReport.h"
#include "platform/Time.h"
#include "platform/WindowPlacement.h"
#include "res/Images.h"
#include "res/uRes.h"
#include "settings/DateTimeText.h"
#include "ui/Action.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

namespace {
constexpr int DesignWidth = 615;
constexpr int DesignHeight = 322;
constexpr int ToolBarHeight = 41;
const QSize ToolButtonSize(79, 36);

const QColor ColorWhite(255, 255, 255);
const QColor ColorGray(128, 128, 128);
const QColor ColorBlack(0, 0, 0);
const QColor ColorLime(0, 255, 0);
const QColor ColorYellow(255, 255, 0);
const QColor ColorRed(255, 0, 0);
const QColor ColorOrange(255, 128, 64);
} // namespace

TfmAlarmsEdit::TfmAlarmsEdit(TAlarmTable &Table, TAction *ActAlarmsActivate, TAction *ActAlarmsSound,
                             QWidget *parent)
    : QMainWindow(parent), AlarmTable(Table), m_actAlarmsActivate(ActAlarmsActivate)
{
    setObjectName(QStringLiteral("fmAlarmsEdit"));
    setWindowTitle(QStringLiteral("Liste des alarmes"));
    QFont windowFont(QStringLiteral("MS Sans Serif"));
    windowFont.setPixelSize(11);
    setFont(windowFont);
    ActAlarmsEditClose =
        new TAction(QStringLiteral("Quitter"), QStringLiteral("Quitter"), ImageList1()[11], false, this);
    ActAlarmsEditClose->setObjectName(QStringLiteral("ActAlarmsEditClose"));
    ActAlarmsEditClose->setOnExecute([this](QObject *s) { ActAlarmsEditCloseExecute(s); });

    mnuFile = menuBar()->addMenu(QStringLiteral("Fichier"));
    mnuFile->setObjectName(QStringLiteral("mnuFile"));
    mnuFile->addAction(ActAlarmsEditClose);
    mnuAlarms = menuBar()->addMenu(QStringLiteral("Alarmes"));
    mnuAlarms->setObjectName(QStringLiteral("mnuAlarms"));
    mnuAlarms->addAction(ActAlarmsActivate);
    mnuAlarms->addAction(ActAlarmsSound);

    ToolBar1 = new QToolBar(this);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setFixedHeight(ToolBarHeight);
    ToolBar1->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    ToolBar1->setIconSize(QSize(16, 16));
    ToolBar1->setContextMenuPolicy(Qt::PreventContextMenu);
    addToolBar(Qt::TopToolBarArea, ToolBar1);
    // The check-style button comes first, before the separator.
    ToolBar1->addAction(ActAlarmsActivate);
    if (auto *button = qobject_cast<QToolButton *>(ToolBar1->widgetForAction(ActAlarmsActivate))) {
        button->setObjectName(QStringLiteral("btnAlarmsActivate"));
        button->setFixedSize(ToolButtonSize);
    }
    QAction *separator = ToolBar1->addSeparator();
    if (QWidget *w = ToolBar1->widgetForAction(separator))
        w->setFixedWidth(8);
    ToolBar1->addAction(ActAlarmsEditClose);
    btnAlarmsEditClose = qobject_cast<QToolButton *>(ToolBar1->widgetForAction(ActAlarmsEditClose));
    btnAlarmsEditClose->setObjectName(QStringLiteral("btnAlarmsEditClose"));
    btnAlarmsEditClose->setFixedSize(ToolButtonSize);

    GridAlarms = new TGridAlarms(&AlarmTable, this);
    GridAlarms->OnCanEditCell = [this](QObject *s, int r, int c, bool &e) {
        GridAlarmsCanEditCell(s, r, c, e);
    };
    GridAlarms->OnGetEditorType = [this](QObject *s, int c, int r, TEditorType &e) {
        GridAlarmsGetEditorType(s, c, r, e);
    };
    GridAlarms->OnGetCellColor = [this](QObject *s, int r, int c, QStyle::State st, QColor &b, QColor &f) {
        GridAlarmsGetCellColor(s, r, c, st, b, f);
    };
    GridAlarms->OnDblClickCell = [this](QObject *s, int r, int c) { GridAlarmsDblClickCell(s, r, c); };
    GridAlarms->OnCellsChanged = [this](QObject *s, const QRect &r) { GridAlarmsCellsChanged(s, r); };
    setCentralWidget(GridAlarms);

    // Centred on the screen when first shown, unless a stored placement moves it.
    platform::SetDesignedOuterSize(this, QSize(DesignWidth, DesignHeight));
}

void TfmAlarmsEdit::ActAlarmsEditCloseExecute(QObject *)
{
    close();
}

void TfmAlarmsEdit::FormClose(QObject *)
{
    // The grid refuses the header cell, but the request ends the edit the way leaving a cell does.
    GridAlarms->setCurrentCell(0, 0);
}

void TfmAlarmsEdit::closeEvent(QCloseEvent *event)
{
    platform::Guarded([this] { FormClose(this); });
    event->accept(); // hides it: the window lives until the program ends
}

void TfmAlarmsEdit::GridAlarmsCanEditCell(QObject *, int, int ACol, bool &CanEdit)
{
    CanEdit = ACol == TAlarmTable::ColDate || ACol == TAlarmTable::ColTime || ACol == TAlarmTable::ColMessage;
}

void TfmAlarmsEdit::GridAlarmsGetEditorType(QObject *, int ACol, int, TEditorType &AEditor)
{
    if (ACol == TAlarmTable::ColDate)
        AEditor = edDateEdit;
    else if (ACol == TAlarmTable::ColTime)
        AEditor = edTimeEdit;
    else
        AEditor = edNormal;
}

void TfmAlarmsEdit::GridAlarmsGetCellColor(QObject *, int ARow, int ACol, QStyle::State, QColor &ABrush,
                                           QColor &AFont)
{
    if (ARow <= 0 || ARow >= TAlarmTable::RowCount)
        return;
    try {
        const bool activation = m_actAlarmsActivate->Checked();
        const bool enabled = IsYes(AlarmTable.Cells(TAlarmTable::ColEnabled, ARow));
        const bool shutdown = IsYes(AlarmTable.Cells(TAlarmTable::ColShutdown, ARow));
        if (!enabled) {
            ABrush = ColorWhite;
            AFont = ColorGray;
            return;
        }
        AFont = ColorBlack;
        const QDate date = StrToDate(AlarmTable.Cells(TAlarmTable::ColDate, ARow));
        const QTime time = StrToTime(AlarmTable.Cells(TAlarmTable::ColTime, ARow));
        switch (ACol) {
        case TAlarmTable::ColDate:
        case TAlarmTable::ColTime: {
            const QDateTime now = platform::Now();
            const bool future = now.date() < date || (now.date() == date && now.time() < time);
            ABrush = future ? (activation ? ColorLime : ColorYellow) : ColorRed;
            break;
        }
        case TAlarmTable::ColEnabled:
        case TAlarmTable::ColMessage:
            ABrush = activation ? ColorLime : ColorYellow;
            break;
        case TAlarmTable::ColShutdown:
            ABrush = shutdown ? ColorOrange : ColorYellow;
            break;
        default:
            break;
        }
    } catch (...) {
        // A date or time that does not convert keeps the default background; painting goes on.
    }
}

void TfmAlarmsEdit::GridAlarmsDblClickCell(QObject *, int ARow, int ACol)
{
    if (ARow == 0)
        return;
    const bool alarmRow = ARow >= 1 && ARow < TAlarmTable::RowCount;
    if (alarmRow && ACol == TAlarmTable::ColShutdown) {
        const bool yes = IsYes(AlarmTable.Cells(ACol, ARow));
        AlarmTable.SetCells(ACol, ARow, yes ? uRes::No : uRes::Yes);
    }
    if (alarmRow && ACol == TAlarmTable::ColEnabled) {
        const bool wasYes = IsYes(AlarmTable.Cells(ACol, ARow));
        AlarmTable.SetCells(ACol, ARow, wasYes ? uRes::No : uRes::Yes);
        if (!wasYes) {
            if (AlarmTable.Cells(TAlarmTable::ColMessage, ARow) == uRes::NoMessage)
                AlarmTable.SetCells(TAlarmTable::ColMessage, ARow, uRes::DefaultMessage(ARow));
            if (!m_actAlarmsActivate->Checked()) {
                m_actAlarmsActivate->SetChecked(true);
                m_actAlarmsActivate->Execute(nullptr);
            }
        }
    }
    AlarmTable.SetAlarmsModified(true);
}

void TfmAlarmsEdit::GridAlarmsCellsChanged(QObject *, const QRect &)
{
    AlarmTable.SetAlarmsModified(true);
}

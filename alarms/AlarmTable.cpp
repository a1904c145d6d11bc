#include "alarms/AlarmTable.h"

#include "res/uRes.h"

bool IsYes(const QString &text)
{
    return text == uRes::Yes;
}

namespace {
bool InTable(int ACol, int ARow)
{
    return ACol >= 0 && ACol < TAlarmTable::ColCount && ARow >= 0 && ARow < TAlarmTable::RowCount;
}
} // namespace

TAlarmTable::TAlarmTable(QObject *parent) : QObject(parent)
{
    m_cells[0] = {uRes::HeaderNumber,  uRes::HeaderDate,    uRes::HeaderTime,
                  uRes::HeaderEnabled, uRes::HeaderMessage, uRes::HeaderShutdown};
}

QString TAlarmTable::Cells(int ACol, int ARow) const
{
    Q_ASSERT(InTable(ACol, ARow));
    return InTable(ACol, ARow) ? m_cells[ARow][ACol] : QString();
}

void TAlarmTable::SetCells(int ACol, int ARow, const QString &text)
{
    Q_ASSERT(InTable(ACol, ARow));
    if (!InTable(ACol, ARow))
        return;
    m_cells[ARow][ACol] = text;
    Q_EMIT cellChanged(ACol, ARow);
}

void TAlarmTable::refresh()
{
    Q_EMIT refreshed();
}

void TAlarmTable::SetAlarmsModified(bool value)
{
    m_modified = value;
    refresh();
}

void TAlarmTable::numberRows()
{
    for (int r = 1; r <= AlarmCount; ++r)
        SetCells(ColNumber, r, QString::asprintf("%.3d", r));
}

void TAlarmTable::commitUserEdit(int ACol, int ARow, const QString &text)
{
    // The header row and the number column are not the user's to edit.
    if (!InTable(ACol, ARow) || ACol == ColNumber || ARow == 0)
        return;
    if (m_cells[ARow][ACol] == text)
        return;
    m_cells[ARow][ACol] = text;
    m_modified = true;
    Q_EMIT cellChanged(ACol, ARow);
    Q_EMIT cellsChanged(ACol, ARow);
}

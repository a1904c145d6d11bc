#include "ui/AlarmGridModel.h"

#include "alarms/AlarmTable.h"

TAlarmGridModel::TAlarmGridModel(TAlarmTable *table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    connect(m_table, &TAlarmTable::cellChanged, this, &TAlarmGridModel::tableCellChanged);
}

int TAlarmGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : TAlarmTable::AlarmCount;
}

int TAlarmGridModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : TAlarmTable::ColCount - 1;
}

QVariant TAlarmGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_table->Cells(index.column() + 1, index.row() + 1);
}

bool TAlarmGridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole)
        return false;
    m_table->commitUserEdit(index.column() + 1, index.row() + 1, value.toString());
    return true;
}

Qt::ItemFlags TAlarmGridModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    // Which cells really open an editor is the grid's decision, asked at each edit.
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

QVariant TAlarmGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || section < 0)
        return {};
    if (orientation == Qt::Horizontal)
        return section < columnCount() ? m_table->Cells(section + 1, 0) : QVariant();
    return section < rowCount() ? m_table->Cells(0, section + 1) : QVariant();
}

void TAlarmGridModel::tableCellChanged(int col, int row)
{
    if (row == 0 && col == 0)
        return; // the corner cell is not an item nor a section; the grid repaints it on refresh
    if (row == 0)
        Q_EMIT headerDataChanged(Qt::Horizontal, col - 1, col - 1);
    else if (col == 0)
        Q_EMIT headerDataChanged(Qt::Vertical, row - 1, row - 1);
    else
        Q_EMIT dataChanged(index(row - 1, col - 1), index(row - 1, col - 1));
}

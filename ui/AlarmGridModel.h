#pragma once

#include <QAbstractTableModel>

class TAlarmTable;

// The alarm table as an item model: the eight alarm rows and columns 1 to 5 are the items,
// row 0 and column 0 of the table are the header texts. Item (r, c) is table cell (c + 1, r + 1).
// Writing an item is a user edit of the table.
class TAlarmGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit TAlarmGridModel(TAlarmTable *table, QObject *parent = nullptr);

    TAlarmTable *table() const { return m_table; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void tableCellChanged(int col, int row);

    TAlarmTable *m_table;
};

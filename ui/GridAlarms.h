#pragma once

#include <QStyle>
#include <QTableView>
#include <functional>

class TAlarmTable;
class TAlarmGridModel;
class TGridDelegate;

namespace platform {
struct TFormatSettings;
}

// The in-place editor kinds a cell can ask for; the values are those of the grid's own list.
enum TEditorType { edNormal = 0, edDateEdit = 6, edTimeEdit = 8 };

// The text the message editor shows for a cell: every <BR> and <HR> (any letter case) is a
// line break, every other tag from "<" to the next ">" is dropped, a "<" without a ">" stays.
QString TagFreeText(const QString &text);

// Display formats for the date and time pickers that show what DateToStr and TimeToStr write
// (the date picker always with the whole year).
QString PickerDateFormat(const platform::TFormatSettings &settings);
QString PickerTimeFormat(const platform::TFormatSettings &settings);

// The grid of the alarm list window: the alarm table with its header row and number column
// fixed, and the events through which the window decides colours, editing and double-clicks.
// Cells are addressed as in the table: ACol 0 to 5, ARow 0 (header) to 8.
class TGridAlarms : public QTableView
{
    Q_OBJECT

public:
    TGridAlarms(TAlarmTable *table, QWidget *parent = nullptr);

    // Cell sizes without the grid line that follows each cell.
    static constexpr int ColWidths[6] = {48, 90, 90, 70, 205, 86};
    static constexpr int DefaultRowHeight = 20;
    static constexpr int GridLineWidth = 1;

    TAlarmTable *table() const { return m_table; }

    std::function<void(QObject *Sender, int ARow, int ACol, bool &CanEdit)> OnCanEditCell;
    std::function<void(QObject *Sender, int ACol, int ARow, TEditorType &AEditor)> OnGetEditorType;
    std::function<void(QObject *Sender, int ARow, int ACol, QStyle::State AState, QColor &ABrush,
                       QColor &AFont)>
        OnGetCellColor;
    std::function<void(QObject *Sender, int ARow, int ACol)> OnDblClickCell;
    // R holds the changed cell: left = column, top = row, one cell wide and high.
    std::function<void(QObject *Sender, const QRect &R)> OnCellsChanged;

    // The colours a cell is painted with now: the grid's defaults, then OnGetCellColor.
    void cellColors(int ARow, int ACol, QStyle::State state, QColor &brush, QColor &font) const;
    bool canEditCell(int ARow, int ACol) const;
    TEditorType editorType(int ACol, int ARow) const;

    // The cell's rectangle in the grid's own coordinates (headers included), without its grid line.
    QRect cellRect(int ACol, int ARow) const;
    int currentCol() const;
    int currentRow() const;
    void setCurrentCell(int ACol, int ARow);

    // The open in-place editor, or nullptr.
    QWidget *inplaceEditor() const;
    // Ends an edit in progress keeping the editor's value, as leaving the cell does.
    void finishEditing();

    QFont headerFont() const;

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class TGridHeader;
    void dblClickCell(int ARow, int ACol);
    void paintFixedCell(QPainter &painter, const QRect &rect, int ARow, int ACol) const;
    void tableCellsChanged(int col, int row);
    void tableRefreshed();

    TAlarmTable *m_table;
    TAlarmGridModel *m_model;
    TGridDelegate *m_delegate;
    QWidget *m_corner = nullptr;
};

#pragma once

#include <QObject>
#include <QString>

#include <array>

// Exactly "Oui" means yes; every other text, other letter cases and blanks included, means no.
bool IsYes(const QString &text);

// The alarm table: a header row and eight alarm rows of six text cells, and the flag that
// says the user changed them. The alarm list window's grid shows it; every routine reads and
// writes alarms through the cell texts.
class TAlarmTable : public QObject
{
    Q_OBJECT

public:
    static constexpr int ColCount = 6;
    static constexpr int RowCount = 9;
    static constexpr int AlarmCount = RowCount - 1;

    enum Column { ColNumber = 0, ColDate = 1, ColTime = 2, ColEnabled = 3, ColMessage = 4, ColShutdown = 5 };

    // Header row filled, alarm rows empty, not modified.
    explicit TAlarmTable(QObject *parent = nullptr);

    // The stored text exactly; column first, then row.
    QString Cells(int ACol, int ARow) const;
    // A program write: stores the text and leaves the modified flag alone.
    void SetCells(int ACol, int ARow, const QString &text);
    // Asks the display to repaint the whole table now.
    void refresh();

    bool isModified() const { return m_modified; }
    // Sets the flag, then refreshes (even when the flag does not change).
    void SetAlarmsModified(bool value);

    // Column 0 of rows 1 to 8 becomes "001" to "008".
    void numberRows();

    // The end of an in-place edit by the user: the flag is set only when the text changed.
    void commitUserEdit(int ACol, int ARow, const QString &text);

Q_SIGNALS:
    void cellChanged(int col, int row);
    // The user's edit changed a cell; emitted after the flag was set.
    void cellsChanged(int col, int row);
    void refreshed();

private:
    QString &cell(int ACol, int ARow);

    std::array<std::array<QString, ColCount>, RowCount> m_cells; // [row][col]
    bool m_modified = false;
};

#include "ui/GridAlarms.h"

#include "alarms/AlarmTable.h"
#include "platform/Ascii.h"
#include "platform/ErrorReport.h"
#include "platform/Regional.h"
#include "platform/Time.h"
#include "res/uRes.h"
#include "settings/DateTimePattern.h"
#include "settings/DateTimeText.h"
#include "settings/IniFile.h"
#include "ui/AlarmGridModel.h"
#include "ui/MarkupRender.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTimeEdit>
#include <algorithm>

QString TagFreeText(const QString &text)
{
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    while (i < text.size()) {
        if (text[i] != u'<') {
            out += text[i++];
            continue;
        }
        const qsizetype close = text.indexOf(u'>', i);
        if (close < 0) {
            out += QStringView(text).sliced(i);
            break;
        }
        const QStringView tag = QStringView(text).sliced(i, close - i + 1);
        if (tag.compare(u"<BR>", Qt::CaseInsensitive) == 0 || tag.compare(u"<HR>", Qt::CaseInsensitive) == 0)
            out += u'\n';
        i = close + 1;
    }
    return out;
}

namespace {

QString QtLiteral(QStringView text)
{
    if (text.isEmpty())
        return {};
    // Separators and blanks stand for themselves; quoting them too would let two quoted
    // parts meet, and Qt reads the two quotes between them as one quote character.
    const bool plain =
        std::none_of(text.begin(), text.end(), [](QChar c) { return c.isLetter() || c == u'\''; });
    if (plain)
        return text.toString();
    QString quoted = text.toString();
    quoted.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Where a cell's text goes: 2 pixels in from the sides, one line of the font centred in the
// cell's height (an odd pixel above it). Plain text and markup both start there, so they line up.
QRect TextLine(const QRect &cell, const QFont &font)
{
    const int free = cell.height() - QFontMetrics(font).height();
    return cell.adjusted(2, std::max(0, (free + 1) / 2), -2, 0);
}

void TellMessageCut()
{
    platform::Guarded([] { platform::ShowException(uRes::MessageCut(TIniFile::MaxValueLength)); });
}

} // namespace

QString PickerDateFormat(const platform::TFormatSettings &settings)
{
    using namespace datetime_pattern;
    const QString &pattern = settings.ShortDateFormat;
    return Translate(pattern, QtLiteral, [&](qsizetype i, QString &out) {
        const QChar c = pattern[i];
        const char16_t letter = platform::AsciiLower(c);
        if (letter != u'd' && letter != u'm' && letter != u'y') {
            out += QtLiteral(c == u'/' ? QString(settings.DateSeparator) : QString(c));
            return i + 1;
        }
        const qsizetype run = RunLength(pattern, i);
        // Always the whole year: a two-digit year would put the picker in the 1900s.
        if (letter == u'y')
            out += QStringLiteral("yyyy");
        else
            out += QString(int(qMin<qsizetype>(run, 4)), letter == u'd' ? u'd' : u'M');
        return i + run;
    });
}

QString PickerTimeFormat(const platform::TFormatSettings &settings)
{
    using namespace datetime_pattern;
    const QString &pattern = settings.LongTimeFormat;
    // Read as the cell's text is written: a marker inside quoted text is only text.
    const bool twelveHour = HasMarker(pattern);
    return Translate(pattern, QtLiteral, [&](qsizetype i, QString &out) {
        if (const qsizetype marker = MarkerLength(pattern, i)) {
            out += QStringLiteral("AP");
            return i + marker;
        }
        const QChar c = pattern[i];
        const char16_t letter = platform::AsciiLower(c);
        if (letter != u'h' && letter != u'm' && letter != u'n' && letter != u's' && letter != u'z') {
            out += QtLiteral(c == u':' ? QString(settings.TimeSeparator) : QString(c));
            return i + 1;
        }
        const qsizetype run = RunLength(pattern, i);
        switch (letter) {
        case u'h':
            out += QString(run >= 2 ? 2 : 1, twelveHour ? u'h' : u'H');
            break;
        case u'm':
        case u'n':
            out += run >= 2 ? QStringLiteral("mm") : QStringLiteral("m");
            break;
        case u's':
            out += run >= 2 ? QStringLiteral("ss") : QStringLiteral("s");
            break;
        default:
            out += run >= 3 ? QStringLiteral("zzz") : QStringLiteral("z");
            break;
        }
        return i + run;
    });
}

// Header row and number column: drawn by the grid like its other cells, with the colours the
// window gives, never highlighted, never clickable, never resized or moved.
class TGridHeader : public QHeaderView
{
public:
    TGridHeader(Qt::Orientation orientation, TGridAlarms *grid) : QHeaderView(orientation, grid), m_grid(grid)
    {
        setSectionsClickable(false);
        setSectionsMovable(false);
        setHighlightSections(false);
        setSectionResizeMode(QHeaderView::Fixed);
        setMinimumSectionSize(1);
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QHeaderView::paintEvent(event);
        platform::Guarded([&] {
            // The fixed cells end with the last row and column; past them lies the grid's own
            // background, as beside the other cells.
            QRect past = viewport()->rect();
            const int end = length() - offset();
            if (orientation() == Qt::Horizontal)
                past.setLeft(end);
            else
                past.setTop(end);
            if (past.isValid()) {
                QPainter painter(viewport());
                painter.fillRect(past, m_grid->palette().color(QPalette::Base));
            }
        });
    }

    void paintSection(QPainter *painter, const QRect &rect, int logicalIndex) const override
    {
        platform::Guarded([&] {
            if (orientation() == Qt::Horizontal)
                m_grid->paintFixedCell(*painter, rect, 0, logicalIndex + 1);
            else
                m_grid->paintFixedCell(*painter, rect, logicalIndex + 1, 0);
        });
    }

    void mouseDoubleClickEvent(QMouseEvent *event) override
    {
        platform::Guarded([&] {
            const int section = logicalIndexAt(event->position().toPoint());
            if (orientation() == Qt::Horizontal)
                m_grid->dblClickCell(0, section < 0 ? -1 : section + 1);
            else if (section < 0)
                m_grid->dblClickCell(-1, -1);
            else
                m_grid->dblClickCell(section + 1, 0);
        });
    }

private:
    TGridAlarms *m_grid;
};

// Paints the cells with the window's colours and no selection highlight, and opens the
// editor each column asks for.
class TGridDelegate : public QStyledItemDelegate
{
public:
    explicit TGridDelegate(TGridAlarms *grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget *editor() const { return m_editor; }

    void finish()
    {
        if (QWidget *editor = m_editor) {
            Q_EMIT commitData(editor);
            Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
        }
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        platform::Guarded([&] { paintCell(*painter, option, index); });
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &,
                          const QModelIndex &index) const override
    {
        const int ARow = index.row() + 1;
        const int ACol = index.column() + 1;
        TEditorType type = edNormal;
        QColor brush, font;
        platform::Guarded([&] {
            type = m_grid->editorType(ACol, ARow);
            m_grid->cellColors(ARow, ACol, QStyle::State_None, brush, font);
        });
        QWidget *editor = nullptr;
        switch (type) {
        case edDateEdit: {
            auto *date = new QDateEdit(parent);
            date->setObjectName(QStringLiteral("edDateEdit"));
            date->setCalendarPopup(true);
            date->setDisplayFormat(PickerDateFormat(platform::FormatSettings()));
            editor = date;
            break;
        }
        case edTimeEdit: {
            auto *time = new QTimeEdit(parent);
            time->setObjectName(QStringLiteral("edTimeEdit"));
            time->setDisplayFormat(PickerTimeFormat(platform::FormatSettings()));
            editor = time;
            break;
        }
        default: {
            auto *line = new QLineEdit(parent);
            line->setObjectName(QStringLiteral("edNormal"));
            line->setFrame(false);
            // A longer message would be saved whole but read back cut at the next start: what
            // the user types or pastes is cut where the file would cut it. The user is told
            // once that event is over, so that the notice's box does not end the edit from
            // inside it. A message as stored is shown whole, whatever its length in units.
            connect(line, &QLineEdit::textEdited, m_grid, [this, line](const QString &text) {
                platform::Guarded([&] { limitMessage(line, text); });
            });
            editor = line;
            break;
        }
        }
        editor->setFont(m_grid->font());
        if (qobject_cast<QDateTimeEdit *>(editor)) {
            // The picker wears the colour the cell has now.
            QPalette palette = editor->palette();
            palette.setColor(QPalette::Base, brush);
            palette.setColor(QPalette::Window, brush);
            palette.setColor(QPalette::Button, brush);
            editor->setPalette(palette);
            editor->setAutoFillBackground(true);
            // Only the picker: the month calendar it drops down keeps the usual colours.
            if (auto *date = qobject_cast<QDateEdit *>(editor))
                date->calendarWidget()->setPalette(QApplication::palette(date->calendarWidget()));
        }
        m_editor = editor;
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        platform::Guarded([&] { loadEditor(editor, index); });
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        platform::Guarded([&] {
            if (auto *date = qobject_cast<QDateEdit *>(editor)) {
                date->interpretText();
                model->setData(index, DateToStr(date->date()));
            } else if (auto *time = qobject_cast<QTimeEdit *>(editor)) {
                time->interpretText();
                model->setData(index, TimeToStr(time->time()));
            } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
                // The editor shows a formatted message without its tags: a message the user
                // only looked at keeps its formatting.
                if (line->isModified())
                    model->setData(index, line->text());
            }
        });
    }

    void updateEditorGeometry(QWidget *editor, const QStyleOptionViewItem &option,
                              const QModelIndex &) const override
    {
        QRect r = option.rect; // the cell without its grid line
        if (qobject_cast<QDateTimeEdit *>(editor)) {
            r.setWidth(r.width() - 1);
            r.setHeight(qMax(r.height() - 1, editor->minimumSizeHint().height()));
        }
        editor->setGeometry(r);
    }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        auto *editor = qobject_cast<QWidget *>(object);
        if (editor && event->type() == QEvent::KeyPress) {
            bool handled = false;
            platform::Guarded([&] { handled = editorKey(editor, static_cast<QKeyEvent *>(event)); });
            if (handled)
                return true;
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    // Closes the editor on the keys that end an edit; true when the key was used.
    bool editorKey(QWidget *editor, QKeyEvent *key)
    {
        const bool picker = qobject_cast<QDateTimeEdit *>(editor) != nullptr;
        switch (key->key()) {
        case Qt::Key_Escape:
            if (!picker) {
                // The cell still holds the text it had when the editor opened.
                Q_EMIT closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
                return true;
            }
            loadEditor(editor, m_grid->currentIndex());
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            break;
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_End:
            if (!picker)
                return false;
            break;
        default:
            return false;
        }
        Q_EMIT commitData(editor);
        Q_EMIT closeEditor(editor, QAbstractItemDelegate::NoHint);
        return true;
    }

    // The edited text cut to what the file gives back, the cursor kept, the notice queued.
    void limitMessage(QLineEdit *line, const QString &text) const
    {
        const QString kept = TIniFile::limitLength(text);
        if (kept.size() == text.size())
            return;
        const int cursor = std::min(line->cursorPosition(), int(kept.size()));
        line->setText(kept);
        line->setModified(true); // setText clears it, and only a modified editor is saved
        line->setCursorPosition(cursor);
        // Keys repeated faster than the loop runs give one notice, not a pile of them.
        if (m_cutNoticeQueued)
            return;
        m_cutNoticeQueued = true;
        QMetaObject::invokeMethod(
            m_grid,
            [this] {
                m_cutNoticeQueued = false;
                TellMessageCut();
            },
            Qt::QueuedConnection);
    }

    void loadEditor(QWidget *editor, const QModelIndex &index) const
    {
        if (!index.isValid())
            return;
        const QString text = m_grid->table()->Cells(index.column() + 1, index.row() + 1);
        if (auto *date = qobject_cast<QDateEdit *>(editor)) {
            QDate value;
            try {
                value = StrToDate(text);
            } catch (...) {
            }
            date->setDate(value.isValid() ? value : platform::Date());
        } else if (auto *time = qobject_cast<QTimeEdit *>(editor)) {
            QTime value;
            try {
                value = StrToTime(text);
            } catch (...) {
            }
            if (!value.isValid())
                value = platform::Time();
            time->setTime(QTime(value.hour(), value.minute(), value.second()));
        } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
            line->setText(TagFreeText(text));
            line->selectAll();
        }
    }

    void paintCell(QPainter &painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
    {
        const int ARow = index.row() + 1;
        const int ACol = index.column() + 1;
        QColor brush, font;
        m_grid->cellColors(ARow, ACol, option.state, brush, font);
        const QRect rect = option.rect;
        painter.save();
        painter.setClipRect(rect);
        painter.fillRect(rect, brush);
        painter.setFont(m_grid->font());
        painter.setPen(font);
        const QString text = m_grid->table()->Cells(ACol, ARow);
        const QRect line = TextLine(rect, painter.font());
        if (text.contains(QLatin1StringView("</")) || text.contains(QLatin1StringView("<B")) ||
            text.contains(QLatin1StringView("<I"))) {
            TMarkupOptions markup;
            markup.WordWrap = false;
            RenderMarkup(painter, text, line, markup);
        } else {
            painter.drawText(line, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        }
        if (option.state & QStyle::State_HasFocus) {
            painter.setPen(QPen(font, 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(rect.adjusted(0, 0, -1, -1));
        }
        painter.restore();
    }

    TGridAlarms *m_grid;
    mutable QPointer<QWidget> m_editor;
    mutable bool m_cutNoticeQueued = false;
};

TGridAlarms::TGridAlarms(TAlarmTable *table, QWidget *parent)
    : QTableView(parent), m_table(table), m_model(new TAlarmGridModel(table, this)),
      m_delegate(new TGridDelegate(this))
{
    setObjectName(QStringLiteral("GridAlarms"));
    QFont cellFont(QStringLiteral("Tahoma"));
    cellFont.setPixelSize(11);
    setFont(cellFont);

    setHorizontalHeader(new TGridHeader(Qt::Horizontal, this));
    setVerticalHeader(new TGridHeader(Qt::Vertical, this));
    setModel(m_model);
    setItemDelegate(m_delegate);

    // Each section holds the cell and the grid line after it.
    for (int c = 1; c < TAlarmTable::ColCount; ++c)
        setColumnWidth(c - 1, ColWidths[c] + GridLineWidth);
    horizontalHeader()->setFixedHeight(DefaultRowHeight + GridLineWidth);
    verticalHeader()->setDefaultSectionSize(DefaultRowHeight + GridLineWidth);
    verticalHeader()->setFixedWidth(ColWidths[0] + GridLineWidth);
    horizontalHeader()->setFont(headerFont());
    verticalHeader()->setFont(headerFont());

    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setTabKeyNavigation(false);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCornerButtonEnabled(false);
    setWordWrap(false);

    // The top-left header cell is Qt's corner button: drawn here like the other header cells.
    for (auto *button : findChildren<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly)) {
        m_corner = button;
        button->installEventFilter(this);
    }

    connect(m_table, &TAlarmTable::cellsChanged, this, &TGridAlarms::tableCellsChanged);
    connect(m_table, &TAlarmTable::refreshed, this, &TGridAlarms::tableRefreshed);
    setCurrentIndex(m_model->index(0, 0));
}

QFont TGridAlarms::headerFont() const
{
    QFont headerFont = font();
    headerFont.setBold(true);
    return headerFont;
}

void TGridAlarms::cellColors(int ARow, int ACol, QStyle::State state, QColor &brush, QColor &font) const
{
    const bool fixed = ARow == 0 || ACol == 0;
    brush = palette().color(fixed ? QPalette::Button : QPalette::Base);
    font = palette().color(fixed ? QPalette::WindowText : QPalette::Text);
    if (OnGetCellColor)
        OnGetCellColor(const_cast<TGridAlarms *>(this), ARow, ACol, state, brush, font);
}

bool TGridAlarms::canEditCell(int ARow, int ACol) const
{
    bool canEdit = true;
    if (OnCanEditCell)
        OnCanEditCell(const_cast<TGridAlarms *>(this), ARow, ACol, canEdit);
    return canEdit;
}

TEditorType TGridAlarms::editorType(int ACol, int ARow) const
{
    TEditorType editor = edNormal;
    if (OnGetEditorType)
        OnGetEditorType(const_cast<TGridAlarms *>(this), ACol, ARow, editor);
    return editor;
}

QRect TGridAlarms::cellRect(int ACol, int ARow) const
{
    const int w = ColWidths[0];
    const int h = DefaultRowHeight;
    if (ARow == 0 && ACol == 0)
        return QRect(frameWidth(), frameWidth(), w, h);
    if (ARow == 0) {
        const QHeaderView *header = horizontalHeader();
        const int x = header->sectionViewportPosition(ACol - 1);
        return QRect(header->mapTo(this, QPoint(x, 0)), QSize(ColWidths[ACol], h));
    }
    if (ACol == 0) {
        const QHeaderView *header = verticalHeader();
        const int y = header->sectionViewportPosition(ARow - 1);
        return QRect(header->mapTo(this, QPoint(0, y)), QSize(w, h));
    }
    const QRect r = visualRect(m_model->index(ARow - 1, ACol - 1));
    return QRect(viewport()->mapTo(this, r.topLeft()), r.size());
}

int TGridAlarms::currentCol() const
{
    return currentIndex().isValid() ? currentIndex().column() + 1 : -1;
}

int TGridAlarms::currentRow() const
{
    return currentIndex().isValid() ? currentIndex().row() + 1 : -1;
}

void TGridAlarms::setCurrentCell(int ACol, int ARow)
{
    // A header cell is never current; asking for one still ends the edit in progress.
    finishEditing();
    if (ACol >= 1 && ARow >= 1)
        setCurrentIndex(m_model->index(ARow - 1, ACol - 1));
}

QWidget *TGridAlarms::inplaceEditor() const
{
    return state() == QAbstractItemView::EditingState ? m_delegate->editor() : nullptr;
}

void TGridAlarms::finishEditing()
{
    if (inplaceEditor())
        m_delegate->finish();
}

bool TGridAlarms::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // Every way in is asked, the delayed edit after a click on the current cell included.
    if (index.isValid() && state() != QAbstractItemView::EditingState) {
        bool allowed = false;
        platform::Guarded([&] { allowed = canEditCell(index.row() + 1, index.column() + 1); });
        if (!allowed)
            return false;
    }
    return QTableView::edit(index, trigger, event);
}

void TGridAlarms::keyPressEvent(QKeyEvent *event)
{
    // Enter on the current cell starts editing it, as F2 does.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        state() != QAbstractItemView::EditingState && event->modifiers() == Qt::NoModifier) {
        if (edit(currentIndex(), QAbstractItemView::EditKeyPressed, event))
            return;
    }
    QTableView::keyPressEvent(event);
}

void TGridAlarms::mouseDoubleClickEvent(QMouseEvent *event)
{
    QTableView::mouseDoubleClickEvent(event);
    if (event->button() != Qt::LeftButton)
        return;
    const QModelIndex index = indexAt(event->position().toPoint());
    platform::Guarded([&] {
        if (index.isValid())
            dblClickCell(index.row() + 1, index.column() + 1);
        else
            dblClickCell(-1, -1); // the empty area beside or below the cells
    });
}

bool TGridAlarms::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_corner && m_corner) {
        if (event->type() == QEvent::Paint) {
            platform::Guarded([&] {
                QPainter painter(m_corner);
                paintFixedCell(painter, m_corner->rect(), 0, 0);
            });
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            platform::Guarded([&] { dblClickCell(0, 0); });
            return true;
        }
    }
    return QTableView::eventFilter(watched, event);
}

void TGridAlarms::dblClickCell(int ARow, int ACol)
{
    if (OnDblClickCell)
        OnDblClickCell(this, ARow, ACol);
}

void TGridAlarms::paintFixedCell(QPainter &painter, const QRect &rect, int ARow, int ACol) const
{
    QColor brush, font;
    cellColors(ARow, ACol, QStyle::State_None, brush, font);
    const QRect cell(rect.topLeft(), QSize(rect.width() - GridLineWidth, rect.height() - GridLineWidth));
    painter.save();
    painter.setClipRect(rect);
    painter.fillRect(cell, brush);
    // A raised edge, then the grid line after the cell.
    painter.setPen(brush.lighter(130));
    painter.drawLine(cell.topLeft(), cell.topRight());
    painter.drawLine(cell.topLeft(), cell.bottomLeft());
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    painter.setFont(headerFont());
    painter.setPen(font);
    painter.drawText(TextLine(cell, painter.font()), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                     m_table->Cells(ACol, ARow));
    painter.restore();
}

void TGridAlarms::tableCellsChanged(int col, int row)
{
    if (OnCellsChanged)
        OnCellsChanged(this, QRect(col, row, 1, 1));
}

void TGridAlarms::tableRefreshed()
{
    viewport()->update();
    horizontalHeader()->viewport()->update();
    verticalHeader()->viewport()->update();
    if (m_corner)
        m_corner->update();
}

#include "mpt/mpt_grid.h"

#include "controls/fixed_font.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyleOptionHeader>
#include <QStylePainter>
#include <QToolTip>

#include <algorithm>

// ---- In-cell editor ----

QWidget* TMptCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                        const QModelIndex& index) const {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName("edtCell");
    edit->setFrame(false);
    edit->setAlignment(Qt::AlignCenter);
    edit->setFont(option.font);
    edit->setMaxLength(3);
    edit->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), edit));
    active_ = edit;
    activeIndex_ = index;
    return edit;
}

void TMptCellDelegate::destroyEditor(QWidget* editor, const QModelIndex& index) const {
    if (editor == active_) {
        active_ = nullptr;
        activeIndex_ = QPersistentModelIndex();
    }
    QStyledItemDelegate::destroyEditor(editor, index);
}

bool TMptCellDelegate::eventFilter(QObject* watched, QEvent* event) {
    // Enter keeps the number and goes on to the next entry, as Tab does.
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            auto* editor = qobject_cast<QWidget*>(watched);
            emit commitData(editor);
            emit closeEditor(editor, (key->modifiers() & Qt::ShiftModifier)
                                         ? QAbstractItemDelegate::EditPreviousItem
                                         : QAbstractItemDelegate::EditNextItem);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

// ---- Grid ----

TMptGrid::TMptGrid(const TMptLayout& layout, QWidget* parent)
    : QTableWidget(layout.DataRows(), TMptLayout::kColumns, parent), layout_(layout),
      delegate_(new TMptCellDelegate(this)) {
    setObjectName("grdMPT");
    setItemDelegate(delegate_);
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    setTabKeyNavigation(true);
    setMouseTracking(true);
    setWordWrap(false);
    setCornerButtonEnabled(true);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(true);
    verticalHeader()->setSectionsClickable(false);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    verticalHeader()->setHighlightSections(true);
    if (auto* corner = findChild<QAbstractButton*>())
        corner->installEventFilter(this);

    QStringList heads;
    for (int col = 1; col <= TMptLayout::kColumns; ++col)
        heads << TMptLayout::ColumnHead(col);
    setHorizontalHeaderLabels(heads);
    for (int row = 1; row < RowCount(); ++row) {
        setVerticalHeaderItem(row - 1, new QTableWidgetItem);
        for (int col = 1; col <= TMptLayout::kColumns; ++col) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(Qt::AlignCenter);
            if (!layout_.HoldsEntry(col, row)) {
                // The older model's table ends here: never selected, never edited.
                item->setFlags(Qt::NoItemFlags);
                item->setBackground(palette().brush(QPalette::Window));
            }
            setItem(row - 1, col - 1, item);
        }
    }
    ShowRowLabels();
    QFont font = FixedPitchFont();
    font.setPixelSize(kFontPixels);
    ApplyFont(font);
}

QString TMptGrid::Cells(int col, int row) const {
    if (col < 0 || col >= ColCount() || row < 0 || row >= RowCount())
        return {};
    if (col == 0 && row == 0)
        return kCornerText;
    if (row == 0)
        return horizontalHeaderItem(col - 1)->text();
    if (col == 0)
        return verticalHeaderItem(row - 1)->text();
    return item(row - 1, col - 1)->text();
}

void TMptGrid::SetCells(int col, int row, const QString& text) {
    if (!layout_.HoldsEntry(col, row))
        return;
    QTableWidgetItem* cell = item(row - 1, col - 1);
    if (cell->text() != text)
        cell->setText(text);
}

QStringList TMptGrid::DataTexts() const {
    QStringList texts;
    for (int cell = 0; cell < layout_.CellCount(); ++cell)
        texts << Cells(TMptLayout::ColOf(cell), TMptLayout::RowOf(cell));
    return texts;
}

void TMptGrid::SetDataTexts(const QStringList& texts) {
    for (int cell = 0; cell < layout_.CellCount() && cell < texts.size(); ++cell)
        SetCells(TMptLayout::ColOf(cell), TMptLayout::RowOf(cell), texts[cell]);
}

int TMptGrid::Col() const {
    return currentIndex().isValid() ? currentIndex().column() + 1 : 0;
}

int TMptGrid::Row() const {
    return currentIndex().isValid() ? currentIndex().row() + 1 : 0;
}

void TMptGrid::SetCurrentCell(int col, int row) {
    if (!layout_.HoldsEntry(col, row))
        return;
    setCurrentIndex(model()->index(row - 1, col - 1));
}

void TMptGrid::SetRowLabelStyle(bool offsets) {
    rowOffsets_ = offsets;
    ShowRowLabels();
}

void TMptGrid::ShowRowLabels() {
    for (int row = 1; row < RowCount(); ++row)
        verticalHeaderItem(row - 1)->setText(rowOffsets_ ? TMptLayout::RowOffsetLabel(row)
                                                         : TMptLayout::RowRangeLabel(row));
}

QLineEdit* TMptGrid::CellEditor() const {
    return Editing() ? delegate_->ActiveEditor() : nullptr;
}

void TMptGrid::CommitEdit() {
    if (QLineEdit* editor = CellEditor()) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TMptGrid::ApplyFont(const QFont& font) {
    setFont(font);
    horizontalHeader()->setFont(font);
    verticalHeader()->setFont(font);
    const QFontMetrics fm(font);
    const int rowHeight = std::max(kDefaultRowHeight, fm.height() + 6);
    const int colWidth = std::max(kDefaultColWidth, fm.horizontalAdvance("000") + 14);
    int labelWidth = fm.horizontalAdvance(kCornerText);
    for (const char* widest : {"191-200", "190 +"})
        labelWidth = std::max(labelWidth, fm.horizontalAdvance(widest));
    verticalHeader()->setMinimumSectionSize(rowHeight);
    verticalHeader()->setDefaultSectionSize(rowHeight);
    for (int row = 0; row < rowCount(); ++row)
        verticalHeader()->resizeSection(row, rowHeight);
    verticalHeader()->setFixedWidth(std::max(kFirstColWidth, labelWidth + 12));
    horizontalHeader()->setDefaultSectionSize(colWidth);
    for (int col = 0; col < columnCount(); ++col)
        horizontalHeader()->resizeSection(col, colWidth);
    horizontalHeader()->setFixedHeight(rowHeight);
}

QSize TMptGrid::FullSize() const {
    int width = verticalHeader()->width() + 2 * frameWidth();
    for (int col = 0; col < columnCount(); ++col)
        width += columnWidth(col);
    int height = horizontalHeader()->height() + 2 * frameWidth();
    for (int row = 0; row < rowCount(); ++row)
        height += rowHeight(row);
    return {width, height};
}

bool TMptGrid::IsDataIndex(const QModelIndex& index) const {
    return index.isValid() && layout_.HoldsEntry(index.column() + 1, index.row() + 1);
}

bool TMptGrid::MayMoveTo(const QModelIndex& index) {
    if (!IsDataIndex(index) || index == currentIndex() || !SelectCell)
        return true;
    CommitEdit();
    return SelectCell(index.column() + 1, index.row() + 1);
}

QModelIndex TMptGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) {
    const QModelIndex target = QTableWidget::moveCursor(cursorAction, modifiers);
    if (MayMoveTo(target))
        return target;
    // SelectCell has made the cell that needs attention current.
    return currentIndex();
}

void TMptGrid::MoveCurrent(CursorAction action) {
    const QModelIndex target = moveCursor(action, Qt::NoModifier);
    if (target.isValid() && target != currentIndex())
        setCurrentIndex(target);
}

void TMptGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    // Tab and Enter leave the next cell selected, not open: typing replaces it.
    if (hint == QAbstractItemDelegate::EditNextItem ||
        hint == QAbstractItemDelegate::EditPreviousItem) {
        QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
        MoveCurrent(hint == QAbstractItemDelegate::EditNextItem ? MoveNext : MovePrevious);
        return;
    }
    QTableWidget::closeEditor(editor, hint);
}

void TMptGrid::commitData(QWidget* editor) {
    const QModelIndex index =
        editor == delegate_->ActiveEditor() ? delegate_->ActiveIndex() : currentIndex();
    const QString before = index.data().toString();
    QTableWidget::commitData(editor);
    if (IsDataIndex(index) && index.data().toString() != before)
        emit CellEdited(index.column() + 1, index.row() + 1);
}

void TMptGrid::StartEmptyEdit() {
    if (!IsDataIndex(currentIndex()))
        return;
    edit(currentIndex());
    if (QLineEdit* editor = CellEditor())
        editor->clear();
}

void TMptGrid::keyPressEvent(QKeyEvent* event) {
    if (!Editing()) {
        if (event->matches(QKeySequence::Copy)) {
            CopySelection();
            return;
        }
        if (event->matches(QKeySequence::Paste)) {
            PasteAtCurrent();
            return;
        }
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            MoveCurrent((event->modifiers() & Qt::ShiftModifier) ? MovePrevious : MoveNext);
            return;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            if (event->modifiers() == Qt::NoModifier) {
                StartEmptyEdit();
                return;
            }
            break;
        default:
            break;
        }
    }
    QTableWidget::keyPressEvent(event);
}

void TMptGrid::keyboardSearch(const QString&) {
    // Typing edits the current cell; it never jumps to a matching one.
}

void TMptGrid::mousePressEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!MayMoveTo(index)) {
        event->accept();
        return;
    }
    QTableWidget::mousePressEvent(event);
}

void TMptGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // Only the cell the first click made current opens for editing.
    if (indexAt(event->position().toPoint()) != currentIndex()) {
        event->accept();
        return;
    }
    QTableWidget::mouseDoubleClickEvent(event);
}

void TMptGrid::mouseMoveEvent(QMouseEvent* event) {
    const QModelIndex index = indexAt(event->position().toPoint());
    const int col = IsDataIndex(index) ? index.column() + 1 : 0;
    const int row = IsDataIndex(index) ? index.row() + 1 : 0;
    if (col != hoverCol_ || row != hoverRow_) {
        hoverCol_ = col;
        hoverRow_ = row;
        emit MouseOverCell(col, row);
    }
    QTableWidget::mouseMoveEvent(event);
}

bool TMptGrid::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = indexAt(help->pos());
        if (IsDataIndex(index) && !hint_.isEmpty())
            QToolTip::showText(help->globalPos(), hint_, viewport(), visualRect(index));
        else
            QToolTip::hideText();
        return true;
    }
    if (event->type() == QEvent::Leave && (hoverCol_ != 0 || hoverRow_ != 0)) {
        hoverCol_ = hoverRow_ = 0;
        emit MouseOverCell(0, 0);
    }
    return QTableWidget::viewportEvent(event);
}

void TMptGrid::contextMenuEvent(QContextMenuEvent* event) {
    QPoint at = event->globalPos();
    if (event->reason() != QContextMenuEvent::Mouse && currentIndex().isValid())
        at = viewport()->mapToGlobal(visualRect(currentIndex()).center());
    emit PopupRequested(at);
    event->accept();
}

bool TMptGrid::eventFilter(QObject* watched, QEvent* event) {
    // The corner cell carries the grid's title, as a header section does.
    if (event->type() == QEvent::Paint && qobject_cast<QAbstractButton*>(watched)) {
        auto* corner = static_cast<QWidget*>(watched);
        QStylePainter painter(corner);
        painter.setFont(verticalHeader()->font());
        QStyleOptionHeader option;
        option.initFrom(corner);
        option.rect = corner->rect();
        option.position = QStyleOptionHeader::OnlyOneSection;
        option.text = kCornerText;
        option.textAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        painter.drawControl(QStyle::CE_Header, option);
        return true;
    }
    return QTableWidget::eventFilter(watched, event);
}

void TMptGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableWidget::currentChanged(current, previous);
    if (IsDataIndex(current))
        emit CurrentCellChanged(current.column() + 1, current.row() + 1);
}

void TMptGrid::CopySelection() const {
    const QList<QTableWidgetSelectionRange> ranges = selectedRanges();
    if (ranges.isEmpty())
        return;
    const QTableWidgetSelectionRange& range = ranges.first();
    QStringList lines;
    for (int row = range.topRow(); row <= range.bottomRow(); ++row) {
        QStringList cells;
        for (int col = range.leftColumn(); col <= range.rightColumn(); ++col)
            cells << item(row, col)->text();
        lines << cells.join('\t');
    }
    QGuiApplication::clipboard()->setText(lines.join('\n') + '\n');
}

void TMptGrid::PasteAtCurrent() {
    if (!IsDataIndex(currentIndex()))
        return;
    QString text = QGuiApplication::clipboard()->text();
    text.replace("\r\n", "\n");
    if (text.endsWith('\n'))
        text.chop(1);
    if (text.isEmpty())
        return;
    const int top = currentIndex().row() + 1;
    const int left = currentIndex().column() + 1;
    const QStringList lines = text.split('\n');
    bool changed = false;
    for (int r = 0; r < lines.size() && top + r < RowCount(); ++r) {
        const QStringList values =
            lines[r].split(QRegularExpression(QStringLiteral("[\\t,; ]+")), Qt::SkipEmptyParts);
        for (int c = 0; c < values.size() && left + c <= TMptLayout::kColumns; ++c) {
            const int col = left + c;
            const int row = top + r;
            if (!layout_.HoldsEntry(col, row) || Cells(col, row) == values[c])
                continue;
            SetCells(col, row, values[c]);
            emit CellEdited(col, row);
            changed = true;
        }
    }
    if (changed)
        emit CellsPasted();
}

#pragma once
// grdMPT: the program table as a spreadsheet of three-digit preset numbers.
// The fixed row and column are the grid's headers; cells are addressed as
// (column, row) with the fixed ones at 0, so data cells run from (1, 1).
//
// Keys: typing a digit replaces the cell, F2 or a double-click edits it,
// Delete or Backspace starts it empty, Escape takes the edit back, Enter and
// Tab go on to the next entry (Shift: the one before), the arrows move,
// Ctrl+C and Ctrl+V copy and paste ranges. Every move the user makes is first
// put to SelectCell, which may refuse it.
#include "mpt/mpt_layout.h"

#include <QLineEdit>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableWidget>

#include <functional>

// The in-cell editor: up to three digits.
class TMptCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override;
    QLineEdit* ActiveEditor() const { return active_; }
    // The cell the open editor belongs to.
    QModelIndex ActiveIndex() const { return activeIndex_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    mutable QPointer<QLineEdit> active_;
    mutable QPersistentModelIndex activeIndex_;
};

class TMptGrid : public QTableWidget {
    Q_OBJECT
public:
    static constexpr const char* kCornerText = "Prog Chg #";
    static constexpr int kDefaultColWidth = 40;
    static constexpr int kFirstColWidth = 110;
    static constexpr int kDefaultRowHeight = 24;
    static constexpr int kFontPixels = 17;

    explicit TMptGrid(const TMptLayout& layout, QWidget* parent = nullptr);

    const TMptLayout& Layout() const { return layout_; }
    int ColCount() const { return layout_.ColCount(); }
    int RowCount() const { return layout_.RowCount(); }

    // Text of any cell, fixed ones included; empty outside the grid.
    QString Cells(int col, int row) const;
    // Sets a data cell's text; cells that hold no entry stay empty.
    void SetCells(int col, int row, const QString& text);
    // The data area row by row (Layout().CellCount() texts) and back.
    QStringList DataTexts() const;
    void SetDataTexts(const QStringList& texts);

    // The current cell (0, 0 when there is none).
    int Col() const;
    int Row() const;
    // Makes a data cell current without asking SelectCell.
    void SetCurrentCell(int col, int row);

    void SetRowLabelStyle(bool offsets);
    bool RowOffsetsShown() const { return rowOffsets_; }

    bool Editing() const { return state() == EditingState; }
    // Ends in-cell editing, keeping what was typed.
    void CommitEdit();
    // The open in-cell editor, if any.
    QLineEdit* CellEditor() const;

    // Takes the font and sizes cells and labels to fit it.
    void ApplyFont(const QFont& font);
    // Outer size that shows every cell without scrolling.
    QSize FullSize() const;

    // The hint shown when the mouse rests on a data cell.
    void SetHint(const QString& hint) { hint_ = hint; }
    const QString& Hint() const { return hint_; }

    // Asked before a key or click moves the current cell to (col, row).
    std::function<bool(int col, int row)> SelectCell;

signals:
    // The user changed a cell's text (typing, clearing, pasting).
    void CellEdited(int col, int row);
    // Cells were pasted; they have not been checked.
    void CellsPasted();
    // The mouse moved onto another cell (0, 0 off the data cells).
    void MouseOverCell(int col, int row);
    void CurrentCellChanged(int col, int row);
    // Right click or the menu key, at a global position.
    void PopupRequested(const QPoint& globalPos);

protected:
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void commitData(QWidget* editor) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    bool IsDataIndex(const QModelIndex& index) const;
    // Moves as a key would, asking SelectCell.
    void MoveCurrent(CursorAction action);
    // Clicking or moving onto index: true when SelectCell lets it.
    bool MayMoveTo(const QModelIndex& index);
    void StartEmptyEdit();
    void CopySelection() const;
    void PasteAtCurrent();
    void ShowRowLabels();

    TMptLayout layout_;
    TMptCellDelegate* delegate_;
    QString hint_;
    bool rowOffsets_ = false;
    int hoverCol_ = -1;
    int hoverRow_ = -1;
};

#pragma once
// Where each program change sits in the table editor's grid: ten entries to a
// row below one fixed row and beside one fixed column. The older model's table
// ends after eight cells of its last row; the two cells after them never hold
// a value.
#include <QString>
#include <QStringList>

enum class TShiftMode { ToEndOfRow, All };

class TMptLayout {
public:
    static constexpr int kColumns = 10; // data columns; grid column 0 is fixed

    explicit TMptLayout(bool preExpress);

    bool PreExpress() const { return preExpress_; }
    int EntryCount() const { return entryCount_; }
    // Grid rows and columns, fixed row and column included.
    int RowCount() const { return dataRows_ + 1; }
    int ColCount() const { return kColumns + 1; }
    int DataRows() const { return dataRows_; }
    // Cells of the data area, the two dead ones of the older model included.
    int CellCount() const { return dataRows_ * kColumns; }

    // Grid position (column 1..10, row 1..) of a data-area cell index and back.
    static int ColOf(int cell) { return cell % kColumns + 1; }
    static int RowOf(int cell) { return cell / kColumns + 1; }
    static int CellOf(int col, int row) { return (row - 1) * kColumns + (col - 1); }

    // True for a cell that holds a table entry (and so can be selected).
    bool HoldsEntry(int col, int row) const;
    bool HoldsEntry(int cell) const { return cell >= 0 && cell < entryCount_; }

    // "%.3d" of a 0-based preset index, as the grid shows it ("001".."200").
    static QString PresetText(int entry);
    // Row labels: "1-10" .. "191-200", or "0 +" .. "190 +".
    static QString RowRangeLabel(int row);
    static QString RowOffsetLabel(int row);
    // Column heads "  1" .. " 10".
    static QString ColumnHead(int col);

    // Shifts the texts of the data area (CellCount() texts, row by row) from
    // cell on, up to the end of its row or of the grid. Insert empties the
    // cell and pushes the rest on, the range's last value dropping out; delete
    // pulls the rest back, the range's last cell keeping its value. Cells that
    // hold no entry stay empty: a value shifted into one is dropped.
    void InsertCell(QStringList& texts, int cell, TShiftMode mode) const;
    void DeleteCell(QStringList& texts, int cell, TShiftMode mode) const;

private:
    // Last cell of the range that starts at cell.
    int RangeEnd(int cell, TShiftMode mode) const;
    void ClearDeadCells(QStringList& texts) const;

    bool preExpress_;
    int entryCount_;
    int dataRows_;
};

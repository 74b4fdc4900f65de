#include "mpt/mpt_layout.h"

#include "model/mpt.h"

TMptLayout::TMptLayout(bool preExpress)
    : preExpress_(preExpress), entryCount_(Tmpt::MptEntryCount(preExpress)),
      dataRows_((entryCount_ + kColumns - 1) / kColumns) {}

bool TMptLayout::HoldsEntry(int col, int row) const {
    return col >= 1 && col <= kColumns && row >= 1 && row <= dataRows_ &&
           HoldsEntry(CellOf(col, row));
}

QString TMptLayout::PresetText(int entry) {
    return QString::asprintf("%.3d", entry + 1);
}

QString TMptLayout::RowRangeLabel(int row) {
    return QString("%1-%2").arg(10 * row - 9).arg(10 * row);
}

QString TMptLayout::RowOffsetLabel(int row) {
    return QString("%1 +").arg(10 * (row - 1));
}

QString TMptLayout::ColumnHead(int col) {
    return QString("%1").arg(col, 3);
}

int TMptLayout::RangeEnd(int cell, TShiftMode mode) const {
    if (mode == TShiftMode::All)
        return CellCount() - 1;
    return cell / kColumns * kColumns + kColumns - 1;
}

void TMptLayout::ClearDeadCells(QStringList& texts) const {
    for (int i = entryCount_; i < CellCount() && i < texts.size(); ++i)
        texts[i].clear();
}

void TMptLayout::InsertCell(QStringList& texts, int cell, TShiftMode mode) const {
    if (cell < 0 || cell >= CellCount() || texts.size() < CellCount())
        return;
    for (int i = RangeEnd(cell, mode); i > cell; --i)
        texts[i] = texts[i - 1];
    texts[cell].clear();
    ClearDeadCells(texts);
}

void TMptLayout::DeleteCell(QStringList& texts, int cell, TShiftMode mode) const {
    if (cell < 0 || cell >= CellCount() || texts.size() < CellCount())
        return;
    const int end = RangeEnd(cell, mode);
    for (int i = cell; i < end; ++i)
        texts[i] = texts[i + 1];
    ClearDeadCells(texts);
}

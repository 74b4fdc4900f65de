// Cell positions, labels and the insert and delete shifts of the table grid.
#include "mpt/mpt_layout.h"

#include <gtest/gtest.h>

namespace {

// "001".."200" (or .."128") in the data area, dead cells empty.
QStringList DefaultTexts(const TMptLayout& layout) {
    QStringList texts;
    for (int cell = 0; cell < layout.CellCount(); ++cell)
        texts << (layout.HoldsEntry(cell) ? TMptLayout::PresetText(cell) : QString());
    return texts;
}

} // namespace

TEST(MptLayout, SizesLabelsAndTexts) {
    const TMptLayout express(false);
    EXPECT_EQ(express.RowCount(), 21);
    EXPECT_EQ(express.ColCount(), 11);
    EXPECT_TRUE(express.HoldsEntry(10, 20));
    const TMptLayout older(true);
    EXPECT_EQ(older.RowCount(), 14);
    EXPECT_EQ(older.EntryCount(), 128);
    EXPECT_TRUE(older.HoldsEntry(8, 13));
    EXPECT_FALSE(older.HoldsEntry(9, 13));
    EXPECT_FALSE(older.HoldsEntry(10, 13));
    EXPECT_FALSE(older.HoldsEntry(0, 1));

    EXPECT_EQ(TMptLayout::RowRangeLabel(1), "1-10");
    EXPECT_EQ(TMptLayout::RowRangeLabel(20), "191-200");
    EXPECT_EQ(TMptLayout::RowOffsetLabel(1), "0 +");
    EXPECT_EQ(TMptLayout::RowOffsetLabel(20), "190 +");
    EXPECT_EQ(TMptLayout::ColumnHead(1), "  1");
    EXPECT_EQ(TMptLayout::ColumnHead(10), " 10");
    EXPECT_EQ(TMptLayout::PresetText(0), "001");
    EXPECT_EQ(TMptLayout::PresetText(199), "200");
    // A damaged value is shown whole, so that the check can name it.
    EXPECT_EQ(TMptLayout::PresetText(16383), "16384");
}

TEST(MptLayout, InsertEmptiesTheCellAndPushesTheRangeOn) {
    const TMptLayout layout(false);
    QStringList texts = DefaultTexts(layout);
    // At column 10 the row's range is that one cell.
    layout.InsertCell(texts, TMptLayout::CellOf(10, 1), TShiftMode::ToEndOfRow);
    EXPECT_EQ(texts[9], "");
    EXPECT_EQ(texts[8], "009");
    EXPECT_EQ(texts[10], "011");

    texts = DefaultTexts(layout);
    layout.InsertCell(texts, TMptLayout::CellOf(9, 1), TShiftMode::All);
    EXPECT_EQ(texts[8], "");
    EXPECT_EQ(texts[9], "009");
    EXPECT_EQ(texts[10], "010");  // over the row end
    EXPECT_EQ(texts[199], "199"); // "200" dropped out
    EXPECT_EQ(texts.size(), 200);
}

TEST(MptLayout, DeleteAtTheFirstCellPullsEverythingBackAndKeepsTheLastValue) {
    const TMptLayout layout(false);
    QStringList texts = DefaultTexts(layout);
    layout.DeleteCell(texts, 0, TShiftMode::All);
    EXPECT_EQ(texts[0], "002");
    EXPECT_EQ(texts[9], "011");
    EXPECT_EQ(texts[198], "200");
    EXPECT_EQ(texts[199], "200");

    texts = DefaultTexts(layout);
    layout.DeleteCell(texts, TMptLayout::CellOf(3, 2), TShiftMode::ToEndOfRow);
    EXPECT_EQ(texts[12], "014");
    EXPECT_EQ(texts[18], "020");
    EXPECT_EQ(texts[19], "020");
    EXPECT_EQ(texts[20], "021");
}

TEST(MptLayout, OlderModelDropsValuesShiftedPastItsLastEntry) {
    const TMptLayout layout(true);
    QStringList texts = DefaultTexts(layout);
    layout.InsertCell(texts, TMptLayout::CellOf(1, 13), TShiftMode::ToEndOfRow);
    EXPECT_EQ(texts[120], "");
    EXPECT_EQ(texts[127], "127");
    EXPECT_EQ(texts[128], "");
    EXPECT_EQ(texts[129], "");

    // Delete pulls the dead cell's emptiness into entry 128.
    texts = DefaultTexts(layout);
    layout.DeleteCell(texts, 0, TShiftMode::All);
    EXPECT_EQ(texts[126], "128");
    EXPECT_EQ(texts[127], "");
    EXPECT_EQ(texts[128], "");
}

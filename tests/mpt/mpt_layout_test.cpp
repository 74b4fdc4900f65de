// The shifts of the table grid where the window tests do not reach: over a row
// end with "Shift all", and into the older model's two dead cells.
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

TEST(MptLayout, InsertShiftsOverRowEndsAndDropsWhatFallsOffTheEnd) {
    const TMptLayout express(false);
    QStringList texts = DefaultTexts(express);
    express.InsertCell(texts, TMptLayout::CellOf(9, 1), TShiftMode::All);
    EXPECT_EQ(texts[8], "");
    EXPECT_EQ(texts[9], "009");
    EXPECT_EQ(texts[10], "010");
    EXPECT_EQ(texts[199], "199");
    EXPECT_EQ(texts.size(), 200);

    // The older model's table ends after entry 128: nothing lands in the cells after it.
    const TMptLayout older(true);
    texts = DefaultTexts(older);
    older.InsertCell(texts, TMptLayout::CellOf(1, 13), TShiftMode::ToEndOfRow);
    EXPECT_EQ(texts[120], "");
    EXPECT_EQ(texts[127], "127");
    EXPECT_EQ(texts[128], "");
    EXPECT_EQ(texts[129], "");
}

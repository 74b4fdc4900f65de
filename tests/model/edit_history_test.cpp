#include "model/edit_history.h"
#include "model/preset.h"

#include <gtest/gtest.h>
#include <stdexcept>

TEST(StreamList, OwnsStreamsAndHandsThemBackOnDelete) {
    TStreamList list;
    auto a = std::make_unique<TMemoryStream>(std::vector<std::uint8_t>{1});
    auto b = std::make_unique<TMemoryStream>(std::vector<std::uint8_t>{2});
    TMemoryStream* rawB = b.get();
    EXPECT_EQ(list.Add(std::move(a)), 0);
    EXPECT_EQ(list.Add(std::move(b)), 1);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Get(1).Bytes()[0], 2);
    auto taken = list.Delete(1);
    EXPECT_EQ(taken.get(), rawB);
    EXPECT_EQ(list.Count(), 1);
    EXPECT_THROW(list.Get(1), std::out_of_range);
    EXPECT_THROW(list.Delete(1), std::out_of_range);
    EXPECT_THROW(list.Delete(-1), std::out_of_range);
    EXPECT_THROW(list.Add(nullptr), std::invalid_argument);
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

class EditHistoryTest : public ::testing::Test {
protected:
    TPreset preset;
    TEditHistory history;

    void Change(int value) {
        preset.Params[6] = value;
        history.TakeSnapshot(preset);
        history.ClearRedo();
    }
};

TEST_F(EditHistoryTest, FreshHistoryHintsAndButtons) {
    history.TakeSnapshot(preset); // the snapshot taken when the preset is shown
    EXPECT_FALSE(history.CanUndo());
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.UndoHint(), "0 items in undo list   [Ctrl+Z]");
    EXPECT_EQ(history.RedoHint(), "0 items in redo list   [Ctrl+Y]");
    EXPECT_FALSE(history.Undo(preset));
    EXPECT_FALSE(history.Redo(preset));
}

TEST_F(EditHistoryTest, UndoAndRedoWalkTheStatesInOrder) {
    history.TakeSnapshot(preset);
    Change(10);
    Change(20);
    EXPECT_EQ(history.UndoHint(), "2 items in undo list   [Ctrl+Z]");

    ASSERT_TRUE(history.Undo(preset));
    EXPECT_EQ(preset.Params[6], 10);
    ASSERT_TRUE(history.Undo(preset));
    EXPECT_EQ(preset.Params[6], 24);
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.RedoHint(), "2 items in redo list   [Ctrl+Y]");
    // The reloaded snapshot is what the close query compares against.
    EXPECT_FALSE(preset.IsChanged());

    ASSERT_TRUE(history.Redo(preset));
    EXPECT_EQ(preset.Params[6], 10);
    ASSERT_TRUE(history.Redo(preset));
    EXPECT_EQ(preset.Params[6], 20);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.UndoCount(), 3);
}

TEST_F(EditHistoryTest, AChangeAfterUndoDropsTheRedoList) {
    history.TakeSnapshot(preset);
    Change(10);
    history.Undo(preset);
    EXPECT_TRUE(history.CanRedo());
    Change(5);
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.UndoCount(), 2);
}

TEST_F(EditHistoryTest, ReloadRunsSuppressedAndAFailedReloadChangesNothing) {
    history.TakeSnapshot(preset);
    Change(10);
    // Showing the preset again takes a snapshot; it must not land while reloading.
    ASSERT_TRUE(history.Undo([&](TStream& s) {
        EXPECT_TRUE(history.Suppressed());
        EXPECT_EQ(s.Position(), 0);
        preset.ReadDump(s);
        history.TakeSnapshot(preset);
    }));
    EXPECT_FALSE(history.Suppressed());
    EXPECT_EQ(history.UndoCount(), 1);
    EXPECT_EQ(history.RedoCount(), 1);

    EXPECT_THROW(history.Redo([](TStream&) { throw std::runtime_error("window gone"); }),
                 std::runtime_error);
    EXPECT_FALSE(history.Suppressed());
    EXPECT_EQ(history.UndoCount(), 1);
    EXPECT_EQ(history.RedoCount(), 1);

    {
        TEditHistory::TSuppress quiet(history);
        history.TakeSnapshot(preset);
    }
    EXPECT_EQ(history.UndoCount(), 1);
}

TEST_F(EditHistoryTest, AfterSaveUndoStaysOffUntilTwoSnapshots) {
    history.TakeSnapshot(preset);
    Change(10);
    history.Clear(); // a successful save
    EXPECT_FALSE(history.CanUndo());
    EXPECT_EQ(history.UndoHint(), "0 items in undo list   [Ctrl+Z]");
    Change(11);
    EXPECT_EQ(history.UndoCount(), 1);
    EXPECT_FALSE(history.CanUndo());
}

TEST(EditHistory, KeepsOnlyTheNewestSnapshotsBeyondItsLimit) {
    TPreset preset;
    TEditHistory history(3);
    for (int v = 1; v <= 5; ++v) {
        preset.Params[6] = v;
        history.TakeSnapshot(preset);
    }
    EXPECT_EQ(history.UndoCount(), 3);
    history.Undo(preset);
    history.Undo(preset);
    EXPECT_EQ(preset.Params[6], 3);
    EXPECT_FALSE(history.CanUndo());
}

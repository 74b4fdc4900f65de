// What comes from the unit goes into the library: a backup run with its
// locations, a preset fetched on its own without one, and a verified store at
// the location it was stored at.
#include "controls/window_placement.h"
#include "editor/frm_preset_editor.h"
#include "library/unit_recorder.h"
#include "library_window/frm_library.h"
#include "tests/app/window/unit_run_fixture.h"

#include <QTest>

namespace {

class LibraryRecording : public UnitRunTest {
protected:
    void SetUp() override {
        UnitRunTest::SetUp();
        UnitRecorder::Enable(dir.filePath("library.sqlite").toStdString());
    }
    void TearDown() override {
        window.reset();
        UnitRecorder::Enable("");
        UnitRunTest::TearDown();
    }
};

TEST_F(LibraryRecording, BackupRunRecordsEachPresetAtItsLocationAndF10WithoutOne) {
    auto& w = StartOnUnitWith();
    AnswerRun("AC", 1, 3, Out());
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(10000));
    TPresetLibrary* lib = UnitRecorder::Library();
    ASSERT_NE(lib, nullptr);
    for (int bank : {0, 2})
        for (int number = 1; number <= 3; ++number) {
            const auto h = lib->History(bank, number);
            ASSERT_EQ(h.size(), 1u) << bank << " " << number;
            EXPECT_EQ(h[0].Source, "backup run");
            auto unit = UnitPreset(bank, number - 1);
            unit[2] = 0;
            EXPECT_EQ(lib->Dump(h[0].PresetId), unit);
        }
    EXPECT_TRUE(lib->History(1, 1).empty());

    Item(w, "miGetCurrentPreset")->trigger();
    QElapsedTimer t;
    t.start();
    while (lib->History(-1, 0).empty() && t.elapsed() < 5000)
        Wait(10);
    const auto h = lib->History(-1, 0);
    ASSERT_EQ(h.size(), 1u);
    EXPECT_EQ(h[0].Source, "from the unit");
    EXPECT_EQ(UnitRecorder::TakeNotice(), "");
}

TEST_F(LibraryRecording, AVerifiedStoreRecordsWhatTheLocationHoldsNow) {
    auto& w = StartOnUnitWith();
    w.CurrentBank = 0; // as the online check finds it
    // The unit stores its own edit buffer, read first and read back after.
    const TStoreReport report =
        w.EditorOperations().StoreInUnit(TfrmPresetEditor::StoreMessage(42), 42, {}, 0);
    ASSERT_TRUE(report.Verified()) << report.Text.toStdString();
    TPresetLibrary* lib = UnitRecorder::Library();
    ASSERT_NE(lib, nullptr);
    const auto h = lib->History(0, 42);
    ASSERT_EQ(h.size(), 1u);
    EXPECT_EQ(h[0].Source, "verified store");
    auto stored = UnitPreset(0, 41);
    stored[2] = 0;
    EXPECT_EQ(lib->Dump(h[0].PresetId), stored);
    EXPECT_TRUE(lib->History(0, 41).empty());
}

TEST_F(LibraryRecording, TheLibraryWindowOpensWhollyOnTheScreen) {
    auto& w = StartOnUnitWith();
    Item(w, "miLibrary")->trigger();
    ASSERT_NE(w.LibraryWindow(), nullptr);
    const QRect frame = w.LibraryWindow()->geometry().marginsAdded(TypicalFrameMargins());
    EXPECT_TRUE(FreeScreenArea(*w.LibraryWindow()).contains(frame))
        << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
}

} // namespace

// The preset editor against the virtual unit, driven as a user drives it: fetch
// with F10, double-click the dump in the monitor, move a slider, hear it.
#include "controls/lv_track_bar.h"
#include "editor/frm_preset_editor.h"
#include "editor/preset_pages.h"
#include "tests/app/main_window_fixture.h"

#include <QTimer>

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QTest>

namespace {

TBytes EditBuffer(TVirtualUnitMidiPlatform& unit) {
    return unit.WithUnit([](const THrzVirtualUnit& u) {
        return TBytes(u.Memory().EditBuffer.begin(), u.Memory().EditBuffer.end());
    });
}

} // namespace

TEST_F(MainWindowTest, ASliderMovedInTheEditorReachesTheUnitsEditBuffer) {
    auto& w = StartOnUnit();
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    Wait(30);                  // the online check
    w.SetLogDblClickAction(1); // double-click loads and edits

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
    // The dump shows in the monitor once the log refreshes.
    for (int i = 0; i < 200 && w.lbxLog->model()->rowCount() == 0; ++i)
        Wait(5);
    ASSERT_EQ(w.lbxLog->model()->rowCount(), 1);
    const QModelIndex line = w.lbxLog->model()->index(0, 0);
    w.lbxLog->setCurrentIndex(line);
    const QPoint at = w.lbxLog->visualRect(line).center();

    QTest::mouseClick(w.lbxLog->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(w.lbxLog->viewport(), Qt::LeftButton, {}, at);

    ASSERT_EQ(w.ChildWindows->Count(), 1);
    auto* editor = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(0));
    ASSERT_NE(editor, nullptr);
    ASSERT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->edtTitle->text(), w.BufferPresetTitle());
    editor->timSys->setInterval(50);
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));

    TlvTrackBar* dry = editor->Pages().Find("trbMIXdry")->Slider();
    const int before = editor->Preset().Params[0];
    dry->setFocus();
    QTest::keyClick(QApplication::focusWidget(), before > 0 ? Qt::Key_Left : Qt::Key_Right);
    const int after = editor->Preset().Params[0];
    ASSERT_NE(after, before);
    EXPECT_EQ(editor->lblStatus->text(), "Modified");
    // Nothing reaches the unit before the pause after the move.
    EXPECT_EQ(EditBuffer(*unit)[17], before);

    for (int i = 0; i < 200 && EditBuffer(*unit)[17] != after; ++i)
        Wait(5);
    const TBytes now = EditBuffer(*unit);
    EXPECT_EQ(now[17], after);
    EXPECT_EQ(editor->lblStatus->text(), "Modified, Sent");
    const auto dump = editor->Preset().DumpBytes();
    EXPECT_EQ(now, TBytes(dump.begin(), dump.end()));
}

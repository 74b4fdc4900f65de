// The preset editor against the virtual unit, driven as a user drives it: fetch
// with F10, double-click the dump in the monitor, move a slider, hear it.
#include "controls/lv_track_bar.h"
#include "editor/frm_preset_editor.h"
#include "editor/perf_midi_page.h"
#include "editor/preset_pages.h"
#include "midi/midi_output.h"
#include "tests/app/window/main_window_fixture.h"
#include "unit/factory_presets.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

TBytes EditBuffer(TVirtualUnitMidiPlatform& unit) {
    return unit.WithUnit([](const THrzVirtualUnit& u) {
        return TBytes(u.Memory().EditBuffer.begin(), u.Memory().EditBuffer.end());
    });
}

} // namespace

class EditorOnUnitTest : public MainWindowTest {
protected:
    // Starts the main window on the virtual unit, ready for the keyboard.
    TfrmMain& StartShown() {
        auto& w = StartOnUnit();
        w.show();
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        Wait(30);                  // the online check
        w.SetLogDblClickAction(1); // double-click loads and edits
        return w;
    }
    // F10 in the main window, then a double-click on the dump in the monitor: the
    // editor that opens.
    TfrmPresetEditor* FetchIntoEditor(TfrmMain& w) {
        w.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&w));
        const int before = w.lbxLog->model()->rowCount();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F10);
        // The dump shows in the monitor once the log refreshes.
        for (int i = 0; i < 200 && w.lbxLog->model()->rowCount() == before; ++i)
            Wait(5);
        if (w.lbxLog->model()->rowCount() != before + 1)
            return nullptr;
        const QModelIndex line = w.lbxLog->model()->index(before, 0);
        const QPoint at = w.lbxLog->visualRect(line).center();
        QTest::mouseClick(w.lbxLog->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(w.lbxLog->viewport(), Qt::LeftButton, {}, at);
        for (int i = 0; i < w.ChildWindows->Count(); ++i)
            if (auto* e = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(i));
                e && e->isVisible())
                return e;
        return nullptr;
    }
};

TEST_F(EditorOnUnitTest, ASliderMovedInTheEditorReachesTheUnitsEditBuffer) {
    auto& w = StartShown();
    TfrmPresetEditor* editor = FetchIntoEditor(w);
    ASSERT_NE(editor, nullptr);
    ASSERT_EQ(w.ChildWindows->Count(), 1);
    EXPECT_EQ(editor->edtTitle->text(), BufferTitle(w));
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

TEST_F(EditorOnUnitTest, AnEditedPresetStoredInTheUnitComesBackByteForByte) {
    auto& w = StartShown();
    TfrmPresetEditor* editor = FetchIntoEditor(w);
    ASSERT_NE(editor, nullptr);
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));

    // A parameter, and a performance entry: the foot controller on the dry level.
    TlvTrackBar* dry = editor->Pages().Find("trbMIXdry")->Slider();
    dry->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
    editor->pgcPreset->setCurrentWidget(editor->tsPerfMIDI);
    TPerfMidiPage& perf = editor->PerfPage();
    const int entriesBefore = perf.lbxPMIdefctl->count();
    QTest::mouseClick(perf.btnPMIadd, Qt::LeftButton);
    ASSERT_EQ(perf.lbxPMIdefctl->count(), entriesBefore + 1);
    perf.lbxCtlParam->setCurrentRow(1); // "Mix", as a click on it does
    perf.lbxParamNames->setCurrentRow(0);
    ASSERT_EQ(perf.lbxParamNames->currentItem()->text(), "dry");
    const int k = perf.CurrentEntry;
    EXPECT_EQ(editor->Preset().PerfMIDI[static_cast<std::size_t>(k)].ParamNumber, 1);

    const auto storeAt = [&](const QString& location) {
        dialogs.service.QueueModal([location](QDialog& d) {
            auto* box = d.findChild<QLineEdit*>("edtPresetNo");
            box->selectAll();
            QTest::keyClicks(box, location);
            QTest::mouseClick(d.findChild<QPushButton*>("btnOK"), Qt::LeftButton);
            return int(mrOk);
        });
        QTest::mouseClick(editor->btnStore, Qt::LeftButton);
    };
    storeAt("129");
    storeAt("200");
    const auto sent = editor->Preset().DumpBytes();
    const TBytes expected(sent.begin(), sent.end());
    EXPECT_EQ(expected[17], 0);
    EXPECT_EQ(expected[153] & (1 << k), 1 << k);
    const auto stored = [&](int index) {
        return unit->WithUnit([index](const THrzVirtualUnit& u) {
            const auto& p = u.Memory().Preset(u.Memory().CurrentBank, index);
            return TBytes(p.begin(), p.end());
        });
    };
    for (int i = 0; i < 200 && stored(199) != expected; ++i)
        Wait(5);
    EXPECT_EQ(stored(128), expected);
    EXPECT_EQ(stored(199), expected);

    // Fetch location 129 again: select it, then ask for the current preset.
    const TBytes select{0xF0, 0x1A, 0x00, 0x12, 0x09, 0x00, 0x01, 0xF7};
    w.MidiOut->SendLong(select.data(), static_cast<std::uint16_t>(select.size()));
    Wait(RequestDelay);
    editor->hide(); // closing asks nothing more of this test: the next fetch reuses it
    TfrmPresetEditor* again = FetchIntoEditor(w);
    ASSERT_NE(again, nullptr);
    const TMyMidiEvent* event = w.LogEvent(w.LogCount() - 1);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(event->Sysex, expected);
    EXPECT_EQ(again->PerfPage().lbxPMIdefctl->count(), entriesBefore + 1);
    EXPECT_EQ(again->Preset().Params[0], 0);
}

// With "Auto send" on, undo and redo send the state they go to, so the unit
// plays what the editor shows (and a later store without sending stores it).
TEST_F(EditorOnUnitTest, UndoAndRedoWithAutoSendLeaveTheUnitOnWhatTheEditorShows) {
    auto& w = StartShown();
    TfrmPresetEditor* editor = FetchIntoEditor(w);
    ASSERT_NE(editor, nullptr);
    editor->timSys->setInterval(20);
    editor->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(editor));
    const auto opened = editor->Preset().DumpBytes();
    TlvTrackBar* dry = editor->Pages().Find("trbMIXdry")->Slider();
    dry->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
    const auto moved = editor->Preset().DumpBytes();
    ASSERT_NE(moved, opened);
    const auto unitHas = [&](const auto& dump) {
        return WaitFor([&] { return EditBuffer(*unit) == TBytes(dump.begin(), dump.end()); }, 2000);
    };
    ASSERT_TRUE(unitHas(moved));

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->Preset().DumpBytes(), opened);
    EXPECT_TRUE(unitHas(opened));
    EXPECT_EQ(editor->lblStatus->text(), "Sent");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_TRUE(unitHas(moved));

    // Auto send off: an undo changes the window only.
    editor->chkAutoSend->setChecked(false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->Preset().DumpBytes(), opened);
    Wait(50);
    EXPECT_EQ(EditBuffer(*unit), TBytes(moved.begin(), moved.end()));
}

// The unit's own presets hold performance entries of effects that are off;
// opening one changes nothing, so closing it asks nothing.
TEST_F(EditorOnUnitTest, EveryFactoryPresetOpensUnchangedAndClosesWithoutAQuestion) {
    auto& w = StartOnUnit();
    int withEntriesOff = 0;
    for (int bank = 0; bank < 4; ++bank)
        for (int index = 0; index < 200; index += 3) {
            const auto dump = FactoryPresetDump(bank, index, false);
            w.OpenDumpInEditor(TBytes(dump.begin(), dump.end()), "Bank A/x.hrz001");
            TfrmPresetEditor* editor = nullptr;
            for (int i = 0; i < w.ChildWindows->Count(); ++i)
                if (auto* e = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(i));
                    e && e->isVisible())
                    editor = e;
            ASSERT_NE(editor, nullptr);
            EXPECT_FALSE(editor->Preset().IsChanged()) << bank << " " << index;
            const auto lines = editor->PerfPage().lbxPMIdefctl->findItems(
                TPerfMidiPage::InactiveMark, Qt::MatchEndsWith);
            withEntriesOff += lines.isEmpty() ? 0 : 1;
            editor->close();
            ASSERT_TRUE(Messages().empty()) << bank << " " << index;
        }
    EXPECT_GT(withEntriesOff, 0);
}

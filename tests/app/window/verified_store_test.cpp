// "S&tore..." from the editor against the virtual unit: the location is read
// back and compared, the unit goes back to the preset it was on, and a unit
// that changes a byte on the way is caught.
#include "editor/frm_preset_editor.h"
#include "editor/frm_store_prompt.h"
#include "model/hrz_messages.h"
#include "tests/app/window/unit_run_fixture.h"

#include <QAction>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

namespace {

class VerifiedStoreTest : public UnitRunTest {
protected:
    void TearDown() override {
        window.reset();
        MainWindowTest::TearDown();
    }
    // The unit on bank A, preset 10, as a user left it.
    TfrmMain& Start(TUnitOptions options = {}) {
        auto& w = StartOnUnitWith(
            [](THrzUnitMemory& m) {
                m.CurrentBank = 0;
                m.CurrentPreset = 9;
                m.RecallCurrent();
            },
            options);
        w.show();
        return w;
    }
    // An editor holding the unit's preset at index, its title typed over.
    TfrmPresetEditor* EditorWithTitle(TfrmMain& w, int index, const QString& title) {
        w.OpenDumpInEditor(UnitPreset(0, index), QString());
        TfrmPresetEditor* editor = nullptr;
        for (int i = 0; i < w.ChildWindows->Count(); ++i)
            if (auto* e = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(i)); e->isVisible())
                editor = e;
        if (editor) {
            editor->edtTitle->selectAll();
            QTest::keyClicks(editor->edtTitle, title);
        }
        return editor;
    }
    TBytes EditBuffer() {
        return unit->WithUnit([](const THrzVirtualUnit& u) {
            return TBytes(u.Memory().EditBuffer.begin(), u.Memory().EditBuffer.end());
        });
    }
    void StoreAt(TfrmPresetEditor* editor, int location, bool sendFirst = true) {
        dialogs.service.QueueModal([=](QDialog& d) {
            auto& prompt = static_cast<TfrmStorePrompt&>(d);
            prompt.chkDoSend->setChecked(sendFirst);
            prompt.edtPresetNo->selectAll();
            QTest::keyClicks(prompt.edtPresetNo, QString::number(location));
            QTest::mouseClick(prompt.btnOK, Qt::LeftButton);
            return prompt.result();
        });
        QTest::mouseClick(editor->btnStore, Qt::LeftButton);
    }
};

TEST_F(VerifiedStoreTest, AStoreIsReadBackAndTheUnitGoesBackToItsPreset) {
    auto& w = Start();
    EXPECT_TRUE(Item(w, "miVerifyStore")->isChecked()); // on at first
    TfrmPresetEditor* editor = EditorWithTitle(w, 4, "Stored 42");
    ASSERT_NE(editor, nullptr);
    StoreAt(editor, 42);

    const auto sent = editor->Preset().DumpBytes();
    EXPECT_EQ(UnitPreset(0, 41), TBytes(sent.begin(), sent.end()));
    const QString done = "Stored and verified; the unit is back on A 010 as it was";
    EXPECT_EQ(editor->lblStatus->toolTip().isEmpty() ? editor->lblStatus->text()
                                                     : editor->lblStatus->toolTip(),
              done);
    EXPECT_EQ(Status(), done);
    EXPECT_EQ(UnitCurrentPreset(), 9);
    // It plays the edited preset the editor shows, not preset 10 as stored.
    for (int i = 0; i < 100 && EditBuffer() != TBytes(sent.begin(), sent.end()); ++i)
        Wait(5);
    EXPECT_EQ(EditBuffer(), TBytes(sent.begin(), sent.end()));
    EXPECT_TRUE(Messages().empty());
    // The dumps of the check go nowhere near the monitor.
    EXPECT_EQ(w.LogCount(), 0) << (w.LogCount() ? w.LogText(0).toStdString() : "");
}

// A window shown during a store runs its online check inside the store's wait
// for the preset number: each reply is still taken for what it answers.
TEST_F(VerifiedStoreTest, AnOnlineCheckDuringThePresetNumberQueryKeepsEveryReplyCounted) {
    auto& w = StartOnUnitWith([](THrzUnitMemory& m) {
        m.CurrentBank = 1;
        m.CurrentPreset = 199;
        m.RecallCurrent();
    });
    QTimer::singleShot(0, &w, [&w] { w.CheckOnline(); });
    EXPECT_EQ(w.EditorOperations().QueryCurrentPresetNumber(), 200);
    for (int i = 0; i < 100 && w.PendingStatusReplies > 0; ++i)
        Wait(5);
    EXPECT_EQ(w.PendingStatusReplies, 0);
    EXPECT_EQ(w.CurrentBank, 1);
    EXPECT_EQ(Status(), "The HRZ2000 is online! Your currently selected bank is: B");
    EXPECT_EQ(w.LogCount(), 0) << (w.LogCount() ? w.LogText(0).toStdString() : "");
}

TEST_F(VerifiedStoreTest, AByteChangedOnTheWayIsReportedWithItsOffset) {
    TUnitOptions options;
    options.Faults.CorruptEvery = 1;
    auto& w = Start(options);
    TfrmPresetEditor* editor = EditorWithTitle(w, 4, "Corrupted");
    ASSERT_NE(editor, nullptr);
    StoreAt(editor, 7);

    ASSERT_EQ(Messages().size(), 1u);
    const auto box = Messages()[0];
    EXPECT_EQ(box.caption, "Store not verified");
    // The unit flips the middle byte of every reply: byte 126, a title character's high part.
    EXPECT_TRUE(box.text.startsWith("Location 007 was stored, but reads back with other bytes:\n"))
        << box.text.toStdString();
    EXPECT_TRUE(box.text.contains("byte 126: 00 stored, 01 read back")) << box.text.toStdString();
    EXPECT_FALSE(box.text.contains("Stored and verified"));
    EXPECT_EQ(editor->lblStatus->text(), "Stored, not verified");
    EXPECT_NE(Status(), "Stored and verified");
}

TEST_F(VerifiedStoreTest, ASilentUnitIsNotTakenForAGoodStore) {
    TUnitOptions options;
    options.Faults.Silent = true;
    auto& w = Start(options);
    TfrmPresetEditor* editor = EditorWithTitle(w, 4, "Nobody hears");
    ASSERT_NE(editor, nullptr);
    StoreAt(editor, 3);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text,
              "Location 003 was stored, but the unit did not send it back to be checked.");
    EXPECT_EQ(editor->lblStatus->text(), "Stored, not verified");
}

TEST_F(VerifiedStoreTest, WithoutSendingFirstTheUnitsOwnEditBufferIsWhatIsChecked) {
    auto& w = Start();
    TfrmPresetEditor* editor = EditorWithTitle(w, 4, "Not sent");
    ASSERT_NE(editor, nullptr);
    const TBytes held = unit->WithUnit([](const THrzVirtualUnit& u) {
        return TBytes(u.Memory().EditBuffer.begin(), u.Memory().EditBuffer.end());
    });
    StoreAt(editor, 120, false);
    EXPECT_EQ(UnitPreset(0, 119), held);
    EXPECT_TRUE(editor->lblStatus->text().startsWith("Stored and verified"));
    EXPECT_EQ(UnitCurrentPreset(), 9);
    Wait(20);
    EXPECT_EQ(EditBuffer(), held);
}

TEST_F(VerifiedStoreTest, VerificationSwitchedOffStoresOnlyAndStaysOffNextTime) {
    auto& w = Start();
    Item(w, "miVerifyStore")->trigger();
    EXPECT_FALSE(Item(w, "miVerifyStore")->isChecked());
    EXPECT_FALSE(store->ReadBool("VERIFY_STORE", false, true));
    TfrmPresetEditor* editor = EditorWithTitle(w, 4, "Unchecked");
    ASSERT_NE(editor, nullptr);
    StoreAt(editor, 42);
    const auto sent = editor->Preset().DumpBytes();
    EXPECT_EQ(UnitPreset(0, 41), TBytes(sent.begin(), sent.end()));
    // Nothing was read back: the unit stays where the store put it, the status as it was.
    EXPECT_EQ(UnitCurrentPreset(), 41);
    EXPECT_FALSE(editor->lblStatus->text().contains("Stored"));
    EXPECT_TRUE(Messages().empty());

    window.reset();
    auto& again = Start();
    EXPECT_FALSE(Item(again, "miVerifyStore")->isChecked());
}

} // namespace

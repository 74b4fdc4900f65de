// What a guitarist meets in the first hour against the virtual unit: a bulk
// dump kept, a store that names what it overwrites, run commands that answer,
// and a backup dialog that remembers the last run.
#include "app/window/frm_bkup_opt.h"
#include "editor/frm_preset_editor.h"
#include "editor/frm_store_prompt.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "model/safe_file_name.h"
#include "tests/app/window/unit_run_fixture.h"
#include "unit/factory_presets.h"

#include <QAction>
#include <QLabel>
#include <QRadioButton>
#include <QToolButton>

namespace {

class FirstHourTest : public UnitRunTest {
protected:
    void TearDown() override {
        window.reset();
        MainWindowTest::TearDown();
    }
    TfrmMain& OnBankA() {
        auto& w = StartOnUnitWith([](THrzUnitMemory& m) { m.CurrentBank = 0; });
        w.show();
        Wait(3 * kDelay); // the online check
        return w;
    }
};

TEST_F(FirstHourTest, ABulkDumpIsSavedAsOneSyxFileOrAsBackupNamedPresetFiles) {
    auto& w = OnBankA();
    const QString syx = dir.filePath("bulk.syx");
    dialogs.service.QueueResult(mrYes);
    dialogs.service.QueuePath(syx);
    Item(w, "miGetBulkDump")->trigger();
    ASSERT_TRUE(WaitFor([&] { return !Messages().empty(); }, 10000))
        << w.LogCount() << " " << Status().toStdString() << " " << w.BulkDumps().size();
    EXPECT_TRUE(Messages()[0].text.startsWith("200 preset dumps were received.\n\nYes saves"));
    const QByteArray bytes = FileBytes(syx);
    ASSERT_EQ(bytes.size(), 200 * 252);
    for (int i : {0, 1, 199})
        EXPECT_EQ(bytes.mid(i * 252, 252), UnitPresetFile(0, i)) << i;

    // Again, as preset files in the bank's folder.
    dialogs.service.ClearHistory();
    dialogs.service.QueueResult(mrNo);
    dialogs.service.QueuePath(Out());
    Item(w, "miGetBulkDump")->trigger();
    ASSERT_TRUE(WaitFor([&] { return Files(Path("Bank A")).size() == 200; }, 10000));
    const QString first =
        QString::fromStdString(SafeFileName(FactoryPresetTitle(0, 0) + ".hrz001"));
    EXPECT_EQ(FileBytes(Path("Bank A/" + first)), UnitPresetFile(0, 0));
    EXPECT_EQ(Status(), "Saved 200 preset files in " + QDir::toNativeSeparators(Path("Bank A")));
}

TEST_F(FirstHourTest, TheStorePromptNamesTheLocationAndWhatItHoldsWhenKnown) {
    auto& w = OnBankA();
    w.NoteUnitTitle(0, 2, "Fat Solo A2");
    w.OpenDumpInEditor(UnitPreset(0, 4), QString());
    TfrmPresetEditor* editor = nullptr;
    for (int i = 0; i < w.ChildWindows->Count(); ++i)
        if (auto* e = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(i)); e->isVisible())
            editor = e;
    ASSERT_NE(editor, nullptr);
    QStringList shown;
    dialogs.service.QueueModal([&](QDialog& d) {
        auto& prompt = static_cast<TfrmStorePrompt&>(d);
        for (const char* typed : {"2", "3", "250"}) {
            prompt.edtPresetNo->selectAll();
            QTest::keyClicks(prompt.edtPresetNo, typed);
            shown << prompt.lblTarget->text();
        }
        return int(mrCancel);
    });
    QTest::mouseClick(editor->btnStore, Qt::LeftButton);
    EXPECT_EQ(shown, (QStringList{QString::fromUtf8("Store at A 002 \u2014 now \"Fat Solo A2\""),
                                  "Store at A 003", "Locations are 1 to 200"}));
}

TEST_F(FirstHourTest, RunCommandsAreOffDuringARunAndARefusalStaysOnScreen) {
    auto& w = OnBankA();
    bool offDuringRun = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, &w, [&] {
        if (!w.BackupRun().RunActive)
            return;
        probe.stop();
        offDuringRun = !Item(w, "miGetSaveEach")->isEnabled() &&
                       !Item(w, "miPrintList")->isEnabled() && !Item(w, "miCompare")->isEnabled();
        w.StartBackup(true); // as the menu's keyboard shortcut would, past the menu
        int key = Qt::Key_C;
        w.HandleFunctionKey(key, Qt::ControlModifier);
    });
    probe.start(1);
    AnswerRun("A", 1, 20, Out());
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(10000));
    EXPECT_TRUE(offDuringRun);
    EXPECT_TRUE(Item(w, "miGetSaveEach")->isEnabled());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text,
              "A run is in progress. Press Ctrl-c to abort it before starting another.");
}

TEST_F(FirstHourTest, TheBackupDialogProposesTheLastRunsFolderAndChoices) {
    auto& w = OnBankA();
    // Inside a bank folder the pane proposes the folder that holds the banks.
    ASSERT_TRUE(QDir().mkpath(Path("Bank C")));
    w.FilePane->SetCurrentFolder(Path("Bank C"));
    QString proposed;
    AnswerOptions([&](TfrmBkupOpt& d) {
        proposed = d.edtPath->text();
        d.chkBank[0]->setChecked(true);
        d.chkBank[1]->setChecked(false);
        d.chkBank[2]->setChecked(true);
        d.chkBank[3]->setChecked(false);
        d.SetLoopMethod(1);
        d.edtFirstNo->setText("3");
        d.edtLastNo->setText("4");
        d.chkUntitled->setChecked(true);
        d.edtUntitled->setText("Nameless");
        d.edtPath->setText(QDir::toNativeSeparators(Out()));
    });
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(20000));
    EXPECT_EQ(QDir::cleanPath(QDir::fromNativeSeparators(proposed)), QDir::cleanPath(Out()));

    dialogs.service.QueueModal([&](QDialog& dialog) {
        auto& d = static_cast<TfrmBkupOpt&>(dialog);
        EXPECT_EQ(QDir::cleanPath(QDir::fromNativeSeparators(d.edtPath->text())),
                  QDir::cleanPath(Out()));
        EXPECT_TRUE(d.chkBank[0]->isChecked());
        EXPECT_FALSE(d.chkBank[1]->isChecked());
        EXPECT_TRUE(d.chkBank[2]->isChecked());
        EXPECT_FALSE(d.chkBank[3]->isChecked());
        EXPECT_EQ(d.LoopMethod(), 1);
        EXPECT_EQ(d.edtFirstNo->text(), "3");
        EXPECT_EQ(d.edtLastNo->text(), "4");
        EXPECT_TRUE(d.chkUntitled->isChecked());
        EXPECT_EQ(d.edtUntitled->text(), "Nameless");
        return int(mrCancel);
    });
    w.StartBackup(true);
    EXPECT_EQ(Status(), "Procedure cancelled");
}

} // namespace

// "Compare with folder..." against the virtual unit: a backup, presets changed
// on the unit from the editor and a file deleted, the comparison that shows
// exactly those, and putting everything back.
#include "app/window/frm_compare.h"
#include "controls/lv_track_bar.h"
#include "editor/frm_preset_editor.h"
#include "editor/frm_store_prompt.h"
#include "editor/preset_pages.h"
#include "editor/print_helpers.h"
#include "model/backup_journal.h"
#include "tests/app/window/unit_run_fixture.h"
#include "tests/support/recording_printer_canvas.h"

#include <QLabel>
#include <QToolButton>
#include <QTreeWidget>

namespace {

class CompareTest : public UnitRunTest {
protected:
    void TearDown() override {
        window.reset();
        MainWindowTest::TearDown();
    }
    TfrmMain& Start() {
        auto& w = StartOnUnitWith([](THrzUnitMemory& m) {
            m.CurrentBank = 0;
            m.CurrentPreset = 0;
            m.RecallCurrent();
        });
        w.show();
        return w;
    }
    TfrmPresetEditor* VisibleEditor(TfrmMain& w) {
        for (int i = w.ChildWindows->Count() - 1; i >= 0; --i)
            if (auto* e = qobject_cast<TfrmPresetEditor*>(w.ChildWindows->At(i)); e->isVisible())
                return e;
        return nullptr;
    }
    // The unit's preset at bank/index in the editor, changed by change, stored
    // back at its location, the editor closed.
    void ChangeOnUnit(TfrmMain& w, int bank, int index,
                      const std::function<void(TfrmPresetEditor&)>& change) {
        w.OpenDumpInEditor(UnitPreset(bank, index), QString());
        TfrmPresetEditor* editor = VisibleEditor(w);
        ASSERT_NE(editor, nullptr);
        change(*editor);
        dialogs.service.QueueModal([index](QDialog& d) {
            auto& prompt = static_cast<TfrmStorePrompt&>(d);
            prompt.edtPresetNo->selectAll();
            QTest::keyClicks(prompt.edtPresetNo, QString::number(index + 1));
            QTest::mouseClick(prompt.btnOK, Qt::LeftButton);
            return prompt.result();
        });
        QTest::mouseClick(editor->btnStore, Qt::LeftButton);
        EXPECT_TRUE(editor->lblStatus->text().startsWith("Stored and verified"));
        dialogs.service.QueueResult(mrNo); // keep no file of it
        editor->close();
    }
    static void DryToZero(TfrmPresetEditor& e) {
        TlvTrackBar* dry = e.Pages().Find("trbMIXdry")->Slider();
        dry->setFocus();
        QTest::keyClick(dry, Qt::Key_Home);
    }
    TfrmCompare* Compare(TfrmMain& w, const std::string& banks, int first, int last) {
        AnswerOptions([=, this](TfrmBkupOpt& d) {
            EXPECT_EQ(d.windowTitle(), "Compare with folder");
            EXPECT_FALSE(d.chkPrint->isVisible());
            for (int b = 0; b < 4; ++b)
                d.chkBank[static_cast<std::size_t>(b)]->setChecked(banks.find(char('A' + b)) !=
                                                                   std::string::npos);
            d.edtFirstNo->setText(QString::number(first));
            d.edtLastNo->setText(QString::number(last));
            d.edtPath->setText(QDir::toNativeSeparators(Out()));
        });
        Item(w, "miCompare")->trigger();
        EXPECT_TRUE(WaitForRunEnd(20000));
        return w.CompareWindow();
    }
    static QStringList NotSame(const TfrmCompare& c) {
        QStringList rows;
        for (int i = 0; i < c.tvwCompare->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = c.tvwCompare->topLevelItem(i);
            if (item->text(3) != "same")
                rows << item->text(0) + ": " + item->text(3);
        }
        return rows;
    }
    static QTreeWidgetItem* Row(const TfrmCompare& c, const QString& location) {
        for (int i = 0; i < c.tvwCompare->topLevelItemCount(); ++i)
            if (c.tvwCompare->topLevelItem(i)->text(0) == location)
                return c.tvwCompare->topLevelItem(i);
        return nullptr;
    }
    // Selects the rows as a user does: a click, then Ctrl+clicks.
    static void Select(TfrmCompare& c, const QStringList& locations) {
        for (int i = 0; i < locations.size(); ++i) {
            QTreeWidgetItem* item = Row(c, locations[i]);
            ASSERT_NE(item, nullptr);
            const QRect r = c.tvwCompare->visualItemRect(item);
            QTest::mouseClick(c.tvwCompare->viewport(), Qt::LeftButton,
                              i == 0 ? Qt::NoModifier : Qt::ControlModifier, r.center());
        }
    }
    static QString Children(const QTreeWidgetItem* item) {
        QStringList lines;
        for (int i = 0; i < item->childCount(); ++i)
            lines << item->child(i)->text(0) + " " + item->child(i)->text(1) + " | " +
                         item->child(i)->text(2);
        return lines.join("\n");
    }
};

TEST_F(CompareTest, ThreeChangedPresetsAndADeletedFileAreTheRowsNotTheSameUntilPutBack) {
    auto& w = Start();
    AnswerRun("AB", 1, 6, Out());
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(20000));
    ASSERT_EQ(Messages().back().text, "Procedure is complete");
    EXPECT_FALSE(QFile::exists(Path(BackupJournalFileName))); // a finished run leaves none

    ChangeOnUnit(w, 0, 1, DryToZero);
    ChangeOnUnit(w, 0, 4, [](TfrmPresetEditor& e) {
        e.edtTitle->selectAll();
        QTest::keyClicks(e.edtTitle, "Renamed");
    });
    w.SelectBank(1);
    Wait(3 * RequestDelay);
    ChangeOnUnit(w, 1, 2, DryToZero);
    const QStringList sixth = QDir(Path("Bank B")).entryList({"*.hrz006"});
    ASSERT_EQ(sixth.size(), 1);
    ASSERT_TRUE(QFile::remove(QDir(Path("Bank B")).filePath(sixth[0])));
    const QString oldTitle = Row(*Compare(w, "AB", 1, 6), "A 005")->text(2);

    TfrmCompare* c = w.CompareWindow();
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(c->isVisible());
    EXPECT_EQ(NotSame(*c), (QStringList{"A 002: differs", "A 005: differs", "B 003: differs",
                                        "B 006: only on the unit"}));
    EXPECT_EQ(c->tvwCompare->topLevelItemCount(), 12);
    EXPECT_TRUE(Children(Row(*c, "A 002")).startsWith("Mix Dry: 0% | "));
    EXPECT_EQ(Children(Row(*c, "A 005")), "Title Renamed | " + oldTitle);
    EXPECT_EQ(Row(*c, "A 005")->text(1), "Renamed");
    EXPECT_TRUE(Children(Row(*c, "B 003")).startsWith("Mix Dry: 0% | "));
    EXPECT_EQ(Row(*c, "B 006")->text(2), "");
    EXPECT_TRUE(c->lblSummary->text().endsWith(": 3 differ, 1 only on the unit, 8 the same"))
        << c->lblSummary->text().toStdString();
    EXPECT_EQ(UnitBank(), 1); // the bank the unit was on when the comparison began

    // The three changed presets go back into the unit, after one question.
    dialogs.service.ClearHistory();
    Select(*c, {"A 002", "A 005", "B 003"});
    EXPECT_TRUE(c->btnStoreInUnit->isEnabled());
    dialogs.service.QueueResult(mrYes);
    QTest::mouseClick(c->btnStoreInUnit, Qt::LeftButton);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, "Store the folder's version of A 002, A 005 and B 003 in the "
                                  "unit?\n\nWhat the unit holds there now is replaced.");
    EXPECT_EQ(c->StatusText(), "Stored and verified: A 002, A 005 and B 003");
    EXPECT_EQ(UnitBank(), 1);
    // The deleted file comes back from the unit.
    Select(*c, {"B 006"});
    EXPECT_FALSE(c->btnStoreInUnit->isEnabled());
    QTest::mouseClick(c->btnSaveToFolder, Qt::LeftButton);
    EXPECT_EQ(FileBytes(QDir(Path("Bank B")).filePath(sixth[0])), UnitPresetFile(1, 5));
    EXPECT_TRUE(NotSame(*c).isEmpty());

    c = Compare(w, "AB", 1, 6);
    ASSERT_NE(c, nullptr);
    EXPECT_TRUE(NotSame(*c).isEmpty());
    EXPECT_TRUE(c->lblSummary->text().endsWith(": 12 the same"));
}

TEST_F(CompareTest, ARenamedPresetSavedIntoTheFolderReplacesItsOldFile) {
    auto& w = Start();
    AnswerRun("A", 1, 3, Out());
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(20000));
    const QStringList before = Files(Path("Bank A"));
    ChangeOnUnit(w, 0, 2, [](TfrmPresetEditor& e) {
        e.edtTitle->selectAll();
        QTest::keyClicks(e.edtTitle, "Lead: New");
    });
    TfrmCompare* c = Compare(w, "A", 1, 3);
    ASSERT_NE(c, nullptr);
    Select(*c, {"A 003"});
    QTest::mouseClick(c->btnSaveToFolder, Qt::LeftButton);
    QStringList after = before;
    after.removeIf([](const QString& name) { return name.endsWith(".hrz003"); });
    after << "Lead  New.hrz003";
    after.sort();
    EXPECT_EQ(Files(Path("Bank A")), after);
    EXPECT_EQ(FileBytes(Path("Bank A/Lead  New.hrz003")), UnitPresetFile(0, 2));
    EXPECT_EQ(Row(*c, "A 003")->text(3), "same");
    EXPECT_EQ(Row(*c, "A 003")->text(2), "Lead: New");
}

TEST_F(CompareTest, TheComparisonIsSavedAsCsvPrintedAndOpenedInTheEditor) {
    auto& w = Start();
    AnswerRun("A", 1, 2, Out());
    w.StartBackup(true);
    ASSERT_TRUE(WaitForRunEnd(20000));
    ChangeOnUnit(w, 0, 0, DryToZero);
    TfrmCompare* c = Compare(w, "A", 1, 2);
    ASSERT_NE(c, nullptr);
    const QString first = Row(*c, "A 001")->text(1);
    const QString second = Row(*c, "A 002")->text(1);
    const QString dry = Row(*c, "A 001")->child(0)->text(2);

    const QString csvPath = dir.filePath("compare.csv");
    dialogs.service.QueuePath(csvPath);
    QTest::mouseClick(c->btnSaveCsv, Qt::LeftButton);
    const QByteArray csv = FileBytes(csvPath);
    EXPECT_TRUE(csv.startsWith("\xEF\xBB\xBF")); // the byte order mark spreadsheets look for
    // One line per location, then one per difference with the location repeated.
    const QString head = "A 001," + first + "," + first + ",differs,";
    QString expected = "Location,Title on the unit,Title in the folder,State,Parameter,Unit's "
                       "value,Folder's value\r\n" +
                       head + ",,\r\n" + head + "Mix Dry:,0%," + dry + "\r\n";
    const QTreeWidgetItem* changed = Row(*c, "A 001");
    for (int i = 1; i < changed->childCount(); ++i) {
        QString value = changed->child(i)->text(2);
        if (value.contains(','))
            value = '"' + value + '"';
        expected += head + changed->child(i)->text(0) + "," + changed->child(i)->text(1) + "," +
                    value + "\r\n";
    }
    expected += "A 002," + second + "," + second + ",same,,,\r\n";
    EXPECT_EQ(csv.mid(3).toStdString(), expected.toStdString());

    c->chkOnlyDifferences->click();
    EXPECT_TRUE(Row(*c, "A 002")->isHidden());
    TRecordingPrinterCanvas printer{TRecordingPrinterCanvas::TMetrics{}};
    TScopedPrinter installed{printer};
    QTest::mouseClick(c->btnPrint, Qt::LeftButton);
    QStringList texts;
    for (const auto& t : printer.Texts())
        texts << t.Text;
    EXPECT_TRUE(texts.contains("Comparison of the unit with " + QDir::toNativeSeparators(Out()) +
                               QDir::separator()));
    EXPECT_TRUE(texts.contains("A 001"));
    EXPECT_TRUE(texts.contains("Mix Dry:"));
    EXPECT_TRUE(texts.contains("|  " + dry));
    EXPECT_FALSE(texts.contains("A 002")); // only what is shown

    Select(*c, {"A 001"});
    QTest::mouseClick(c->btnOpenFolder, Qt::LeftButton);
    TfrmPresetEditor* editor = VisibleEditor(w);
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->FileName().endsWith(".hrz001"));
    EXPECT_EQ(QString::fromLatin1(editor->Preset().Title.c_str()), first);
    EXPECT_NE(editor->Preset().Params[0], 0); // the folder's version, before the change
    editor->hide();
    QTest::mouseClick(c->btnOpenUnit, Qt::LeftButton);
    editor = VisibleEditor(w);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->Preset().Params[0], 0);
    EXPECT_TRUE(editor->FileName().isEmpty());
    editor->hide();
}

} // namespace

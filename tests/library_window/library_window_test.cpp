// The Library window as the user works it: typing a search, a bad query, the list
// fetched only where it is shown, dropping a folder, export, and a bank restored
// to a date after the window showed what would change.
#include "library_window/frm_library.h"
#include "library_window/frm_library_restore.h"
#include "library_window/library_table_model.h"
#include "tests/library/library_test_support.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

using namespace LibraryTest;
namespace fs = std::filesystem;

namespace {

class LibraryWindow : public ::testing::Test {
protected:
    void SetUp() override {
        TestApp();
        SetDialogService(&dialogs);
        lib = std::make_unique<TPresetLibrary>(scratch.Db());
        lib->SetClock([this] { return now; });
    }
    void TearDown() override {
        window.reset();
        SetDialogService(nullptr);
    }
    TfrmLibrary& Open() {
        TLibraryHost host;
        host.OpenInEditor = [this](const std::vector<std::uint8_t>& d, const QString& title) {
            opened.push_back({d, title});
        };
        host.RestoreBank = [this](int bank, const auto& items) {
            restoredBank = bank;
            restored = items;
            return QStringList{"A-042: stored and verified"};
        };
        host.Send = [this](const std::vector<std::uint8_t>& d) { sent.push_back(d); };
        host.PreExpress = [] { return false; };
        window = std::make_unique<TfrmLibrary>(*lib, host);
        window->show();
        QTest::qWait(10);
        return *window;
    }
    static int Rows(TfrmLibrary& w) { return w.Model()->rowCount(); }
    void Select(TfrmLibrary& w, int row) {
        w.grdPresets->setFocus();
        w.grdPresets->selectRow(row);
    }

    TScratch scratch;
    TScriptedDialogService dialogs;
    std::unique_ptr<TPresetLibrary> lib;
    std::unique_ptr<TfrmLibrary> window;
    std::int64_t now = 1700000000;
    std::vector<std::pair<std::vector<std::uint8_t>, QString>> opened;
    std::vector<std::vector<std::uint8_t>> sent;
    int restoredBank = -9;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> restored;
};

TEST_F(LibraryWindow, TypingSearchesAfterAPauseAndABadQuerySaysWhyKeepingTheList) {
    lib->RecordFromUnit(MakeDump("Plate", 33, {}, {{43, 25}}), "t", 0, 0);
    lib->RecordFromUnit(MakeDump("Room", 33, {}, {{43, 10}}), "t", 0, 0);
    lib->RecordFromUnit(MakeDump("Dry"), "t", 0, 0);
    auto& w = Open();
    EXPECT_EQ(Rows(w), 3);
    EXPECT_EQ(w.lblCount->text(), "3 presets in the library");
    EXPECT_EQ(w.Model()->headerData(2, Qt::Horizontal, Qt::DisplayRole).toString(), "Effects");

    w.edtSearch->setFocus();
    QTest::keyClicks(w.edtSearch, "Reverb Decay > 5 s");
    EXPECT_EQ(Rows(w), 3); // not yet: the search waits for a pause in the typing
    QTest::qWait(300);
    ASSERT_EQ(Rows(w), 1);
    EXPECT_EQ(w.Model()->index(0, 0).data().toString(), "Plate");
    EXPECT_EQ(w.lblCount->text(), "1 of 3 presets");

    QTest::keyClick(w.edtSearch, Qt::Key_Backspace);
    QTest::keyClick(w.edtSearch, Qt::Key_Backspace);
    QTest::keyClick(w.edtSearch, Qt::Key_Backspace);
    QTest::keyClick(w.edtSearch, Qt::Key_Return);
    EXPECT_TRUE(w.lblQueryError->isVisible());
    EXPECT_EQ(w.lblQueryError->text(),
              "Query error at column 14: \">\" needs a value after it (a number such as 5 s or "
              "50%, or a choice)");
    EXPECT_EQ(Rows(w), 1);
    QTest::keyClicks(w.edtSearch, "0.5s"); // Room: 1.0s
    QTest::keyClick(w.edtSearch, Qt::Key_Return);
    EXPECT_FALSE(w.lblQueryError->isVisible());
    EXPECT_EQ(Rows(w), 2);

    // Double-click opens in the editor; one selected preset can be sent.
    Select(w, 1);
    EXPECT_TRUE(w.btnSend->isEnabled());
    QTest::mouseClick(w.btnSend, Qt::LeftButton);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], lib->Dump(w.Model()->IdAt(1)));
    const QRect cell = w.grdPresets->visualRect(w.Model()->index(1, 0));
    QTest::mouseClick(w.grdPresets->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(w.grdPresets->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].second, "Room");
}

TEST_F(LibraryWindow, OnlyTheRowsShownAreFetched) {
    const fs::path root = scratch.Path() / "many";
    for (int i = 0; i < 3000; ++i)
        WriteFile(root / ("p" + std::to_string(i) + ".hrz"),
                  Bytes(MakeDump("P" + std::to_string(i))));
    lib->Add({root.string()});
    auto& w = Open();
    w.resize(800, 400);
    QTest::qWait(20);
    EXPECT_EQ(Rows(w), 3000);
    EXPECT_LE(w.Model()->FetchedRows(), 2 * TLibraryTableModel::BlockSize);
    w.grdPresets->scrollToBottom();
    QTest::qWait(20);
    EXPECT_EQ(w.Model()->index(2999, 0).data().toString().isEmpty(), false);
    EXPECT_LE(w.Model()->FetchedRows(), 4 * TLibraryTableModel::BlockSize);
}

TEST_F(LibraryWindow, DroppedFolderIsAddedAndTheReportListsSkippedFiles) {
    const fs::path root = scratch.Path() / "backup";
    WriteFile(root / "Bank A" / "Lead.hrz001", Bytes(MakeDump("Lead")));
    WriteFile(root / "broken.hrz", {0xF0, 0x1A, 0x00, 0x12, 0x05});
    auto& w = Open();
    EXPECT_EQ(Rows(w), 0);
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(root.string()))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QSignalSpy finished(&w, &TfrmLibrary::AddFinished);
    QApplication::sendEvent(&w, &drop);
    EXPECT_TRUE(w.prgAdd->isVisible() || finished.count() == 1);
    ASSERT_TRUE(finished.count() == 1 || finished.wait(10000));
    EXPECT_FALSE(w.prgAdd->isVisible());
    EXPECT_FALSE(w.btnCancel->isVisible());
    EXPECT_EQ(Rows(w), 1);
    ASSERT_EQ(dialogs.Messages().size(), 1u);
    EXPECT_EQ(dialogs.Messages()[0].caption, "Add to library");
    EXPECT_EQ(dialogs.Messages()[0].text,
              "2 file(s): 2 read, 0 unchanged; 1 preset(s), 1 new.\nSkipped:\n  " +
                  QString::fromStdString((root / "broken.hrz").string()) +
                  ": preset dump cut short (5 of 252 bytes)");

    // The preset's locations, and its export as one .syx.
    Select(w, 0);
    QTest::mouseClick(w.btnLocations, Qt::LeftButton);
    EXPECT_EQ(dialogs.Messages().back().text,
              QString::fromStdString((root / "Bank A" / "Lead.hrz001").string()) + " (A-001)");
    const QString out = QString::fromStdString((scratch.Path() / "out.syx").string());
    dialogs.QueuePath(out);
    QTest::mouseClick(w.btnExport, Qt::LeftButton);
    QFile f(out);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    const auto dump = lib->Dump(w.Model()->IdAt(0));
    EXPECT_EQ(bytes, QByteArray(reinterpret_cast<const char*>(dump.data()), 252));
}

TEST_F(LibraryWindow, RestoreShowsWhatWouldChangeAndStoresTheBankAsItWas) {
    const auto v1 = MakeDump("Solo v1"), v2 = MakeDump("Solo v2"), same = MakeDump("Same");
    now = 1700000000;
    lib->RecordFromUnit(v1, "backup run", 0, 42);
    lib->RecordFromUnit(same, "backup run", 0, 43);
    now = 1700090000;
    lib->RecordFromUnit(v2, "verified store", 0, 42);
    auto& w = Open();
    QStringList shown;
    dialogs.QueueModal([&](QDialog& d) {
        auto& r = static_cast<TfrmLibraryRestore&>(d);
        r.dtpDate->setDateTime(QDateTime::fromSecsSinceEpoch(1700050000));
        for (int i = 0; i < r.lbxChanges->count(); ++i)
            shown << r.lbxChanges->item(i)->text();
        EXPECT_TRUE(r.btnOK->isEnabled());
        r.dtpDate->setDateTime(QDateTime::fromSecsSinceEpoch(1600000000));
        EXPECT_FALSE(r.btnOK->isEnabled()); // nothing known that early
        r.dtpDate->setDateTime(QDateTime::fromSecsSinceEpoch(1700050000));
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(w.btnRestore, Qt::LeftButton);
    EXPECT_EQ(shown, QStringList{"A-042:  Solo v2  ->  Solo v1"});
    EXPECT_EQ(restoredBank, 0);
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].first, 42);
    EXPECT_EQ(restored[0].second, Bytes(v1));
    EXPECT_EQ(dialogs.Messages().back().text, "A-042: stored and verified");

    // History of the location, asked for by typing it.
    dialogs.QueueModal([](QDialog& d) {
        d.findChild<QLineEdit*>("edtLocation")->setText("a-42");
        return int(QDialog::Accepted);
    });
    QTest::mouseClick(w.btnHistory, Qt::LeftButton);
    EXPECT_EQ(dialogs.Messages().back().caption, "History of A-042");
    const QStringList lines = dialogs.Messages().back().text.split('\n');
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("  Solo v1  (backup run)")) << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("  Solo v2  (verified store)")) << lines[1].toStdString();
}

} // namespace

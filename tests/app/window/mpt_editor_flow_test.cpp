// The program table's road with the virtual unit: fetched, opened from the
// buffer, changed, sent back, fetched again, saved and opened from the file pane.
#include "explorer/filepane/file_explorer_pane.h"
#include "explorer/filepane/file_list_model.h"
#include "model/stream.h"
#include "mpt/frm_mpt_edit.h"
#include "mpt/mpt_grid.h"
#include "tests/app/window/main_window_fixture.h"
#include "unit/virtual_unit.h"

#include <QFile>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QTest>

namespace {

class MptEditorFlowTest : public MainWindowTest {
protected:
    // Asks the unit for its table and double-clicks the dump's log line,
    // which loads it into the message buffer.
    void FetchTableIntoBuffer() {
        const int before = window->LogCount();
        Item(*window, "miGetMPT")->trigger();
        for (int i = 0; i < 300 && window->LogCount() == before; ++i)
            Wait(10);
        ASSERT_EQ(window->LogCount(), before + 1);
        window->FlushLog();
        const QModelIndex line = window->lbxLog->model()->index(before, 0);
        window->lbxLog->scrollTo(line);
        const QPoint at = window->lbxLog->visualRect(line).center();
        QTest::mouseClick(window->lbxLog->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QTest::mouseDClick(window->lbxLog->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        ASSERT_EQ(window->MessageBufferCount, 406u);
    }
    // The editor opened last, made the active window.
    TfrmMPTEdit& NewestEditor() {
        const auto editors = window->findChildren<TfrmMPTEdit*>();
        EXPECT_FALSE(editors.isEmpty());
        TfrmMPTEdit* editor = editors.last();
        // Activation arrives a moment after the window is shown.
        for (int i = 0; i < 200 && QApplication::activeWindow() != editor; ++i) {
            editor->activateWindow();
            Wait(10);
        }
        EXPECT_EQ(QApplication::activeWindow(), editor);
        return *editor;
    }
    static void ClickCell(TfrmMPTEdit& editor, int col, int row) {
        TMptGrid& grid = *editor.grdMPT;
        const QRect cell = grid.visualRect(grid.model()->index(row - 1, col - 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
    }
    static void Type(const QString& text) {
        for (const QChar ch : text)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }
    int UnitEntry(int index) {
        return unit->WithUnit([index](const THrzVirtualUnit& u) {
            return u.Memory().Table.Entries[static_cast<std::size_t>(index)];
        });
    }
};

} // namespace

TEST_F(MptEditorFlowTest, TableGoesFromTheUnitThroughTheEditorBackAndIntoAFile) {
    auto& w = StartOnUnit();
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    const int original = UnitEntry(2);

    FetchTableIntoBuffer();
    w.UpdateBufferMenu();
    ASSERT_TRUE(Item(w, "pmiEdit")->isEnabled());
    Item(w, "pmiEdit")->trigger();
    TfrmMPTEdit& first = NewestEditor();
    EXPECT_EQ(first.grdMPT->Cells(3, 1), TMptLayout::PresetText(original));
    EXPECT_FALSE(first.Modified);
    const int changed = original == 149 ? 150 : 149;
    ClickCell(first, 3, 1);
    Type(QString::number(changed + 1));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    dialogs.service.QueueResult(mrYes);
    first.btnSendOut->click();
    for (int i = 0; i < 300 && UnitEntry(2) != changed; ++i)
        Wait(10);
    EXPECT_EQ(UnitEntry(2), changed);

    // Fetched again, the change is there; opened through the "MPT" menu.
    FetchTableIntoBuffer();
    emit MenuNamed(w, "miMPT")->aboutToShow();
    ASSERT_TRUE(Item(w, "miMPTOpen")->isEnabled());
    Item(w, "miMPTOpen")->trigger();
    TfrmMPTEdit& second = NewestEditor();
    ASSERT_NE(&second, &first);
    EXPECT_EQ(second.grdMPT->Cells(3, 1), TMptLayout::PresetText(changed));
    const std::vector<std::uint8_t> fetched(w.MessageBufferBytes.begin(),
                                            w.MessageBufferBytes.begin() + 406);

    const QString path = dir.filePath("stage.mpt");
    dialogs.service.QueuePath(path);
    second.btnSaveAs->click();
    ASSERT_TRUE(QFile::exists(path));

    // Enter on the file in the pane loads it and opens it in a third editor.
    w.FilePane->OpenFolder(dir.path());
    int row = -1;
    for (int i = 0; i < w.FilePane->Items().Count(); ++i)
        if (w.FilePane->Items().Item(i).caption == "stage.mpt")
            row = i;
    ASSERT_GE(row, 0);
    w.FilePane->FileList()->SelectOnly(row);
    QTest::keyClick(w.FilePane->FileList()->CurrentView(), Qt::Key_Return);
    TfrmMPTEdit& third = NewestEditor();
    ASSERT_NE(&third, &second);
    EXPECT_EQ(third.TableBytes(), fetched);
    EXPECT_EQ(QDir::toNativeSeparators(third.FileName), QDir::toNativeSeparators(path));
    TMemoryStream saved;
    saved.LoadFromFile(path.toStdString());
    EXPECT_EQ(saved.Bytes(), fetched);
    ASSERT_EQ(Messages().size(), 1u); // the send's confirmation, nothing else
    EXPECT_EQ(Messages()[0].caption, "Confirm");
}

TEST_F(MptEditorFlowTest, ClosingTheMainWindowAsksEditorsWithUnsavedChanges) {
    auto& w = StartOnTestPlatform();
    w.show();
    Item(w, "miNewMPT")->trigger();
    QPointer<TfrmMPTEdit> editor = w.findChild<TfrmMPTEdit*>();
    ASSERT_TRUE(editor);
    dialogs.service.QueueResult(mrCancel);
    EXPECT_FALSE(w.close());
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(Messages().back().text, "Do you want to save your changes?");
    dialogs.service.QueueResult(mrNo);
    EXPECT_TRUE(w.close());
    EXPECT_FALSE(editor && editor->isVisible());
}

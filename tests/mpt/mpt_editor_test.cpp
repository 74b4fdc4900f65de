// The table editor as the user meets it: keys to the focused widget, clicks on
// cells, the popup's items, the buttons, and what the dialogs were asked.
#include "controls/window_placement.h"
#include "tests/mpt/mpt_editor_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>

TEST_F(MptEditorTest, ExpressGridShowsTwentyRowsOfTenWithTheirLabels) {
    auto& e = Open(false, TableDump(false, 5));
    EXPECT_EQ(e.windowTitle(), "Velmor HRZ2000 MPT Editor");
    EXPECT_EQ(Grid().RowCount(), 21);
    EXPECT_EQ(Grid().ColCount(), 11);
    EXPECT_EQ(Cell(0, 0), "Prog Chg #");
    EXPECT_EQ(Cell(1, 0), "  1");
    EXPECT_EQ(Cell(10, 0), " 10");
    EXPECT_EQ(Cell(0, 1), "1-10");
    EXPECT_EQ(Cell(0, 20), "191-200");
    EXPECT_EQ(Cell(1, 1), "006");
    EXPECT_EQ(Cell(10, 20), "005");
    EXPECT_FALSE(e.Modified);
    EXPECT_EQ(Current(), std::make_pair(1, 1));

    e.pmiShowRowOffsets->trigger();
    EXPECT_EQ(Cell(0, 1), "0 +");
    EXPECT_EQ(Cell(0, 20), "190 +");
    EXPECT_TRUE(e.pmiShowRowOffsets->isChecked());
    EXPECT_FALSE(e.pmiShowRowRanges->isChecked());
    e.pmiShowRowRanges->trigger();
    EXPECT_EQ(Cell(0, 1), "1-10");
    // Every cell is on screen at the window's first size.
    EXPECT_GE(Grid().viewport()->width(), Grid().horizontalHeader()->length());
    EXPECT_GE(Grid().viewport()->height(), Grid().verticalHeader()->length());
}

TEST_F(MptEditorTest, PreExpressGridEndsAfterEightCellsThatNeverTakeTheCursor) {
    auto& e = Open(true, TableDump(true));
    EXPECT_EQ(Grid().RowCount(), 14);
    EXPECT_EQ(Cell(0, 13), "121-130");
    EXPECT_EQ(Cell(8, 13), "128");
    EXPECT_EQ(Cell(9, 13), "");
    EXPECT_EQ(Cell(10, 13), "");

    Click(8, 13);
    EXPECT_EQ(Current(), std::make_pair(8, 13));
    Click(9, 13);
    EXPECT_EQ(Current(), std::make_pair(8, 13));
    Key(Qt::Key_Right);
    EXPECT_EQ(Current(), std::make_pair(8, 13));
    Click(9, 12);
    Key(Qt::Key_Down);
    EXPECT_EQ(Current(), std::make_pair(9, 12));
    Click(8, 13);
    Key(Qt::Key_Tab);
    EXPECT_NE(Current(), std::make_pair(9, 13));
    EXPECT_NE(Current(), std::make_pair(10, 13));
    // The two cells are not checked either: the table passes as it is.
    EXPECT_TRUE(e.ValidateGrid());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MptEditorTest, TypingReplacesACellAndEnterGoesOnToTheNextEntry) {
    auto& e = Open(false, TableDump(false));
    Type("12");
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell(1, 1), "012");
    EXPECT_EQ(Current(), std::make_pair(2, 1));
    EXPECT_TRUE(e.Modified);

    // A short number is written out in three digits once the cursor moves on.
    Type("7");
    Key(Qt::Key_Tab);
    EXPECT_EQ(Cell(2, 1), "007");
    EXPECT_EQ(Current(), std::make_pair(3, 1));

    // Escape takes the edit back.
    Type("99");
    Key(Qt::Key_Escape);
    EXPECT_EQ(Cell(3, 1), "003");

    // Delete starts the cell empty; letters are not taken.
    Key(Qt::Key_Delete);
    ASSERT_NE(Grid().CellEditor(), nullptr);
    EXPECT_EQ(Grid().CellEditor()->text(), "");
    Type("x150");
    Key(Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(Cell(3, 1), "150");
    EXPECT_EQ(Current(), std::make_pair(2, 1));

    // Enter at the end of a row goes on to the next row.
    Click(10, 1);
    Key(Qt::Key_Enter);
    EXPECT_EQ(Current(), std::make_pair(1, 2));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MptEditorTest, BadNumbersAreReportedAndHoldTheCursor) {
    auto& e = Open(false, TableDump(false));
    Click(4, 2);
    Type("000");
    Key(Qt::Key_Tab);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text,
              "Invalid preset number: 000 at location 14 (should be 001 thru 200)");
    EXPECT_EQ(Messages()[0].caption, "Error found");
    EXPECT_EQ(Current(), std::make_pair(4, 2));

    Type("201");
    Key(Qt::Key_Down);
    EXPECT_EQ(MessageTexts().last(),
              "Invalid preset number: 201 at location 14 (should be 001 thru 200)");
    EXPECT_EQ(Current(), std::make_pair(4, 2));

    // An emptied cell: a click elsewhere names it once and comes back to it.
    Key(Qt::Key_Backspace);
    Key(Qt::Key_Return);
    EXPECT_EQ(MessageTexts().last(), "Invalid preset number:  at location 14");
    dialogs.service.ClearHistory();
    Click(7, 9);
    EXPECT_EQ(MessageTexts(), QStringList{"Invalid preset number:  at location 14"});
    EXPECT_EQ(Current(), std::make_pair(4, 2));

    // Saving and sending are refused the same way.
    e.btnSaveAs->click();
    e.btnSendOut->click();
    EXPECT_EQ(Messages().size(), 3u);
    EXPECT_TRUE(sent.empty());

    Type("9");
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell(4, 2), "009");
    EXPECT_EQ(Current(), std::make_pair(5, 2));
    EXPECT_EQ(Messages().size(), 3u);
}

TEST_F(MptEditorTest, GoingToTheCellThatNeedsANumberIsNotRefused) {
    Open(false, TableDump(false));
    Click(5, 5);
    Key(Qt::Key_Delete);
    Key(Qt::Key_Return);
    dialogs.service.ClearHistory();
    Click(5, 5);
    EXPECT_EQ(Current(), std::make_pair(5, 5));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MptEditorTest, ValuesAboveTheTableRangeAreShownButNeverSentOrSaved) {
    TBytes damaged = TableDump(false);
    damaged[2] = 0x85;         // device byte
    damaged[5 + 2 * 4] = 0x7F; // entry 5: 0x7F + 128 * 0x7F
    damaged[6 + 2 * 4] = 0x7F;
    damaged[5 + 2 * 6] = 0x48; // entry 7: 200, one past preset 200
    damaged[6 + 2 * 6] = 0x01;
    auto& e = Open(false, damaged);
    EXPECT_EQ(Cell(5, 1), "16384");
    EXPECT_EQ(Cell(7, 1), "201");

    e.btnSendOut->click();
    e.btnSaveAs->click();
    EXPECT_EQ(MessageTexts(),
              (QStringList{"Invalid preset number: 16384 at location 5 (should be 001 thru 200)",
                           "Invalid preset number: 16384 at location 5 (should be 001 thru 200)"}));
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(Current(), std::make_pair(5, 1));

    Type("5");
    Key(Qt::Key_Tab);
    Click(7, 1);
    Type("200");
    Key(Qt::Key_Return);
    dialogs.service.QueueResult(mrYes);
    Key(Qt::Key_F9);
    ASSERT_EQ(sent.size(), 1u);
    const TBytes& out = sent[0];
    ASSERT_EQ(out.size(), 406u);
    EXPECT_EQ(editor->lblLocation->toolTip(), "MPT sent to MIDI Out: 200 entries, 406 bytes");
    EXPECT_EQ(out.front(), 0xF0);
    EXPECT_EQ(out.back(), 0xF7);
    for (std::size_t i = 1; i + 1 < out.size(); ++i)
        EXPECT_LT(out[i], 0x80) << "byte " << i;
    EXPECT_EQ(out[2], 0x05);
    EXPECT_EQ(out[5 + 2 * 4], 0x04);
    EXPECT_EQ(out[5 + 2 * 6], 0x47);
    EXPECT_EQ(out[6 + 2 * 6], 0x01);
}

TEST_F(MptEditorTest, InsertAndDeleteShiftCellsFromTheCurrentOne) {
    auto& e = Open(false, TableDump(false));
    Click(10, 3);
    e.pmiInsertShiftRow->trigger();
    EXPECT_EQ(Cell(10, 3), "");
    EXPECT_EQ(Cell(9, 3), "029");
    EXPECT_EQ(Cell(1, 4), "031");
    EXPECT_TRUE(e.Modified);
    Type("77");
    Key(Qt::Key_Return);

    Click(1, 1);
    e.pmiDeleteShiftAll->trigger();
    EXPECT_EQ(Cell(1, 1), "002");
    EXPECT_EQ(Cell(10, 3), "031");
    EXPECT_EQ(Cell(9, 3), "077");
    EXPECT_EQ(Cell(9, 20), "200");
    EXPECT_EQ(Cell(10, 20), "200");
    EXPECT_TRUE(e.ValidateGrid());
}

TEST_F(MptEditorTest, PreExpressDeleteAllLeavesTheLastEntryToBeFilledIn) {
    auto& e = Open(true, TableDump(true));
    Click(3, 2);
    e.pmiDeleteShiftAll->trigger();
    EXPECT_EQ(Cell(7, 13), "128");
    EXPECT_EQ(Cell(8, 13), "");
    Click(1, 1);
    EXPECT_EQ(MessageTexts(), QStringList{"Invalid preset number:  at location 128"});
    EXPECT_EQ(Current(), std::make_pair(8, 13));
    Type("1");
    Key(Qt::Key_Return);
    EXPECT_EQ(Cell(8, 13), "001");
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(MptEditorTest, DefaultsThenSaveWriteANewTablesBytes) {
    auto& e = Open(false);
    EXPECT_TRUE(e.Modified);
    Type("55");
    Key(Qt::Key_Return);
    e.pmiSetDefaults->trigger();
    EXPECT_EQ(Cell(1, 1), "001");
    EXPECT_EQ(Cell(10, 20), "200");

    const QString path = dir.filePath("stage.mpt");
    dialogs.service.QueuePath(path);
    e.SetSaveFolder(dir.path());
    e.btnSaveAs->click();
    const auto& asked = dialogs.service.Last();
    EXPECT_EQ(asked.kind, "save");
    EXPECT_EQ(asked.text, QDir::toNativeSeparators(dir.path()) + QDir::separator() + "HRZ2000e_" +
                              QDate::currentDate().toString("yyyyMMdd") + ".mpt");
    EXPECT_EQ(FileBytes(path), NewTableBytes(false));
    EXPECT_FALSE(e.Modified);
    EXPECT_EQ(e.FileName, path);
    EXPECT_EQ(e.windowTitle(), "Velmor HRZ2000 MPT Editor - " + path);

    // The next save proposes that file; a cancelled one changes nothing.
    Type("3");
    Key(Qt::Key_Return);
    e.btnSaveAs->click();
    EXPECT_EQ(dialogs.service.Last().text, path);
    EXPECT_TRUE(e.Modified);
    EXPECT_EQ(FileBytes(path), NewTableBytes(false));
}

TEST_F(MptEditorTest, PreExpressTableSavesItsOwnSizeWhateverTheModeBecomes) {
    auto& e = Open(true);
    const TBytes expect = NewTableBytes(true);
    SetPreExpressMode(false);
    const QString path = dir.filePath("old.mpt");
    dialogs.service.QueuePath(path);
    e.btnSaveAs->click();
    EXPECT_EQ(FileBytes(path), expect);
}

TEST_F(MptEditorTest, HintsNameTheBackupFileOfACell) {
    auto& e = Open(false, TableDump(false));
    const QString folder = dir.filePath("backup");
    ASSERT_TRUE(QDir().mkpath(folder));
    QFile(folder + "/Lead.hrz007").open(QIODevice::WriteOnly);
    dialogs.service.QueuePath(folder);
    e.pmiHintFolder->trigger();
    EXPECT_EQ(dialogs.service.Last().caption, "Choose a folder below:");
    EXPECT_EQ(e.HintFolder, QDir::toNativeSeparators(folder) + QDir::separator());

    Hover(7, 1);
    EXPECT_EQ(Grid().Hint(), "Lead.hrz007");
    EXPECT_EQ(e.HintCol, 7);
    Hover(8, 1);
    EXPECT_EQ(Grid().Hint(), e.HintFolder + "*.hrz008");

    // The keyboard user sees the same in the location line.
    Click(7, 1);
    EXPECT_EQ(e.lblLocation->text(), "Location 7: preset 007  (Lead.hrz007)");
}

TEST_F(MptEditorTest, SendingAsksFirstAndF9DoesTheSame) {
    auto& e = Open(false, TableDump(false, 3));
    dialogs.service.QueueResult(mrNo);
    e.btnSendOut->click();
    EXPECT_TRUE(sent.empty());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text,
              "Please confirm MPT update. This will replace all previous program mapping "
              "assignments. Do you want to proceed?");
    EXPECT_EQ(Messages()[0].buttons, unsigned(mbYes | mbNo));

    // F9 while a number is still being typed sends it too.
    Type("42");
    dialogs.service.QueueResult(mrYes);
    Key(Qt::Key_F9);
    ASSERT_EQ(sent.size(), 1u);
    TBytes expect = TableDump(false, 3);
    expect[5] = 41;
    EXPECT_EQ(sent[0], expect);
    EXPECT_TRUE(e.Modified); // sending is not saving
}

TEST_F(MptEditorTest, CloseAsksAboutUnsavedChangesAndKeepsItsSettings) {
    auto& e = Open(false);
    dialogs.service.QueueResult(mrCancel);
    e.btnExit->click();
    EXPECT_TRUE(e.isVisible());
    EXPECT_EQ(Messages().back().text, "Do you want to save your changes?");

    // Yes with a bad cell stays open on that cell.
    Click(2, 2);
    Key(Qt::Key_Delete);
    dialogs.service.QueueResult(mrYes);
    e.close();
    EXPECT_TRUE(e.isVisible());
    EXPECT_EQ(MessageTexts().last(), "Invalid preset number:  at location 12");

    dialogs.service.QueuePath(dir.filePath("kept"));
    e.pmiHintFolder->trigger();
    e.setGeometry(40, 50, 600, 640);
    dialogs.service.QueueResult(mrNo);
    e.close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(editor.isNull());
    EXPECT_EQ(store->ReadString("MPT_HINT_DIR", false),
              QDir::toNativeSeparators(dir.filePath("kept")) + QDir::separator());
    EXPECT_EQ(store->ReadInteger("frmMPTEdit.Width", false, 0), 600);

    // A loaded, untouched table closes without a question.
    QDir().mkpath(dir.filePath("kept"));
    auto& next = Open(false, TableDump(false));
    EXPECT_EQ(next.HintFolder, QDir::toNativeSeparators(dir.filePath("kept")) + QDir::separator());
    EXPECT_EQ(next.width(), 600);
    dialogs.service.ClearHistory();
    next.close();
    EXPECT_TRUE(Messages().empty());
}

TEST_F(MptEditorTest, FontDialogOffersFixedPitchFontsAndTheGridTakesTheChoice) {
    auto& e = Open(false);
    const int heightBefore = e.height();
    QFont big = Grid().font();
    big.setPixelSize(30);
    dialogs.service.QueueFontChoice(true, big);
    e.btnFont->click();
    EXPECT_EQ(dialogs.service.Last().kind, "font");
    EXPECT_EQ(dialogs.service.Last().caption, "fixed pitch");
    EXPECT_EQ(Grid().font().pixelSize(), 30);
    EXPECT_GE(Grid().rowHeight(0), QFontMetrics(big).height());
    EXPECT_GT(e.height(), heightBefore);
}

TEST_F(MptEditorTest, CopiedCellsPasteAtTheCurrentOne) {
    auto& e = Open(false, TableDump(false));
    Click(1, 1);
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, Qt::ShiftModifier, CellCenter(3, 2));
    Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "001\t002\t003\n011\t012\t013\n");
    e.Modified = false;
    Click(9, 19);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Cell(9, 19), "001");
    EXPECT_EQ(Cell(10, 19), "002");
    EXPECT_EQ(Cell(1, 20), "191"); // clipped at the row end, not wrapped
    EXPECT_EQ(Cell(10, 20), "012");
    EXPECT_TRUE(e.Modified);

    // Pasted text that is no preset number is named at once.
    QGuiApplication::clipboard()->setText("5 abc\n");
    Click(1, 1);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(MessageTexts(), QStringList{"Invalid preset number: abc at location 2"});
    EXPECT_EQ(Current(), std::make_pair(2, 1));
}

TEST_F(MptEditorTest, SizeStoredFromTheShorterGridStillShowsEveryRow) {
    for (const char* name : {"frmMPTEdit.Top", "frmMPTEdit.Left"})
        store->WriteInteger(name, 10);
    store->WriteInteger("frmMPTEdit.Height", 300);
    store->WriteInteger("frmMPTEdit.Width", 300);
    Open(false);
    EXPECT_GE(Grid().viewport()->width(), Grid().horizontalHeader()->length());
    EXPECT_GE(Grid().viewport()->height(), Grid().verticalHeader()->length());
}

// A stored placement comes back where it was, open after open, and no
// placement (stored or first) leaves any of the window off the screen.
TEST_F(MptEditorTest, APlacementComesBackWhereItWasAndTheWindowStaysOnTheScreen) {
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    const auto onScreen = [&](const QWidget& w) {
        return room.contains(w.frameGeometry()) &&
               room.contains(w.geometry().marginsAdded(TypicalFrameMargins()));
    };
    auto& first = Open(false);
    EXPECT_TRUE(onScreen(first)) << first.frameGeometry().bottom() << " " << room.bottom();
    first.Modified = false;
    first.move(room.left() + 40, room.top() + 60);
    QTest::qWait(20);
    first.close();
    const int top = store->ReadInteger("frmMPTEdit.Top", false, -1);
    const int left = store->ReadInteger("frmMPTEdit.Left", false, -1);
    for (int i = 0; i < 3; ++i) {
        auto& again = Open(false);
        again.Modified = false;
        again.close();
        EXPECT_EQ(store->ReadInteger("frmMPTEdit.Top", false, -1), top) << i;
        EXPECT_EQ(store->ReadInteger("frmMPTEdit.Left", false, -1), left) << i;
    }
    // Stored for a larger screen, or above it: moved onto this one.
    store->WriteInteger("frmMPTEdit.Top", -50);
    store->WriteInteger("frmMPTEdit.Left", room.right() + 500);
    auto& off = Open(false);
    EXPECT_TRUE(onScreen(off));
    off.Modified = false;
    off.close();

    const QRect screen(0, 0, 1280, 1024);
    const QMargins frame(1, 20, 1, 1);
    EXPECT_EQ(OnScreen(QRect(100, 1000, 300, 200), frame, screen), QRect(100, 823, 300, 200));
    EXPECT_EQ(OnScreen(QRect(-30, 5, 300, 200), frame, screen), QRect(1, 20, 300, 200));
    EXPECT_EQ(OnScreen(QRect(10, 30, 2000, 2000), frame, screen), QRect(1, 20, 1278, 1003));
    EXPECT_EQ(OnScreen(QRect(1, 20, 1278, 1003), frame, screen), QRect(1, 20, 1278, 1003));
}

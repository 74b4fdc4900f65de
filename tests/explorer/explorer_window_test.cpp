#include "controls/seams/install_paths.h"
#include "controls/seams/shell_service.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "tests/explorer/explorer_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QTabWidget>
#include <QUrl>
#include <QWindow>
#include <cmath>

using namespace mm;

namespace {

class TFakeShell : public IShellService {
public:
    int OpenDocument(const QString& path, TShellLateResult lateResult) override {
        opened = path;
        late = std::move(lateResult);
        return result;
    }
    int result = shOk;
    QString opened;
    TShellLateResult late;
};

void WriteFile(const QString& path, int size) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i & 0x7F);
    f.write(bytes);
}

} // namespace

// ---- Start-up, devices and channel ----

TEST_F(ExplorerTest, StartOpensDeviceZeroThenTheSavedDevice) {
    AddDevices(2, 2);
    store->WriteString("MIDI_IN", "Test In 1");
    store->WriteString("MIDI_OUT", "Test Out 1");
    auto& w = Start();
    EXPECT_TRUE(w.Initialized);
    EXPECT_EQ(platform.CallCount(TMidiOp::InOpen), 2);
    EXPECT_TRUE(platform.IsInputOpen(1));
    EXPECT_FALSE(platform.IsInputOpen(0));
    EXPECT_TRUE(platform.IsOutputOpen(1));
    EXPECT_TRUE(w.InputDeviceItems[1]->MenuItem()->isChecked());
    EXPECT_EQ(w.StatusText(0), "MIDI devices opened");
    EXPECT_EQ(w.StatusText(1), "Insert");
    EXPECT_TRUE(w.InsertMode);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(w.windowTitle(), "HRZ2000e");
}

TEST_F(ExplorerTest, AVanishedSavedDeviceLeavesDeviceZeroOpen) {
    AddDevices(2, 1);
    store->WriteString("MIDI_IN", "Unplugged interface");
    Start();
    EXPECT_TRUE(platform.IsInputOpen(0));
    EXPECT_TRUE(window->InputDeviceItems[0]->MenuItem()->isChecked());
}

TEST_F(ExplorerTest, WithoutDevicesTheUserIsToldAndTheMenusAreOff) {
    auto& w = Start();
    const auto m = Messages();
    ASSERT_EQ(m.size(), 2u);
    EXPECT_TRUE(m[0].text.startsWith("No MIDI input device can be detected. Please consult"));
    EXPECT_TRUE(m[1].text.startsWith("No MIDI output device can be detected. "));
    EXPECT_EQ(m[0].caption, "Sorry...");
    EXPECT_FALSE(w.miMIDIIn->isEnabled());
    EXPECT_FALSE(w.miMIDIOut->isEnabled());
    EXPECT_EQ(w.StatusText(0), "No MIDI devices found - check installation");
    // Sending now reports the missing output.
    SetMemo("F0 F7 ");
    w.miSendClick();
    EXPECT_EQ(LastMessage(), "MIDI Out device not available");
    EXPECT_EQ(Messages().back().caption, "MIDI communications error");
}

TEST_F(ExplorerTest, ADeviceThatFailsToOpenIsReportedUnderItsCaption) {
    AddDevices(1, 1);
    platform.Fail(TMidiOp::OutOpen, MMSYSERR_ALLOCATED);
    Start();
    ASSERT_FALSE(Messages().empty());
    EXPECT_EQ(Messages().back().caption, "MIDI Out error");
    EXPECT_FALSE(platform.IsOutputOpen(0));
}

TEST_F(ExplorerTest, ChoosingAnInputOpensAgainTheOutputThatWasOpen) {
    AddDevices(2, 2);
    store->WriteString("MIDI_OUT", "Test Out 1");
    auto& w = Start();
    ASSERT_TRUE(platform.IsOutputOpen(1));
    w.InputDeviceItems[1]->MenuItem()->trigger();
    EXPECT_TRUE(platform.IsInputOpen(1));
    EXPECT_TRUE(platform.IsOutputOpen(1));
    EXPECT_FALSE(platform.IsOutputOpen(0));
    EXPECT_TRUE(w.OutputDeviceItems[1]->MenuItem()->isChecked());
    EXPECT_EQ(w.StatusText(0), "Test In 1 opened for input");
    SetMemo("F0 F7 ");
    w.miSendClick();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(platform.Sent().size(), 1u);
}

TEST_F(ExplorerTest, AnOutputThatCannotBeOpenedAgainIsReportedAndLosesItsTick) {
    AddDevices(2, 1);
    auto& w = Start();
    ASSERT_TRUE(platform.IsOutputOpen(0));
    platform.Fail(TMidiOp::OutOpen, MMSYSERR_ALLOCATED);
    w.InputDeviceItems[1]->MenuItem()->trigger();
    EXPECT_TRUE(platform.IsInputOpen(1));
    EXPECT_FALSE(platform.IsOutputOpen(0));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages().back().caption, "MIDI Out error");
    EXPECT_FALSE(w.OutputDeviceItems[0]->MenuItem()->isChecked());
    SetMemo("F0 F7 ");
    w.miSendClick();
    EXPECT_EQ(LastMessage(), "MIDI Out device not available");

    // Choosing it again opens it, with its tick.
    w.OutputDeviceItems[0]->MenuItem()->trigger();
    EXPECT_TRUE(platform.IsOutputOpen(0));
    EXPECT_TRUE(w.OutputDeviceItems[0]->MenuItem()->isChecked());
    EXPECT_EQ(w.StatusText(0), "Test Out 0 opened for output");
}

TEST_F(ExplorerTest, ADeviceChoiceThatFailsLeavesNoTickOnAClosedPort) {
    AddDevices(2, 2);
    auto& w = Start();
    platform.Fail(TMidiOp::OutOpen, MMSYSERR_ALLOCATED);
    w.OutputDeviceItems[1]->MenuItem()->trigger();
    EXPECT_FALSE(platform.IsOutputOpen(0));
    EXPECT_FALSE(w.OutputDeviceItems[0]->MenuItem()->isChecked());
    EXPECT_FALSE(w.OutputDeviceItems[1]->MenuItem()->isChecked());
    platform.Fail(TMidiOp::InOpen, MMSYSERR_ALLOCATED);
    w.InputDeviceItems[1]->MenuItem()->trigger();
    EXPECT_EQ(Messages().back().caption, "MIDI In error");
    EXPECT_FALSE(w.InputDeviceItems[0]->MenuItem()->isChecked());
    EXPECT_FALSE(w.InputDeviceItems[1]->MenuItem()->isChecked());
}

TEST_F(ExplorerTest, AFirstStartShowsTheWholeFrameOnTheScreen) {
    AddDevices();
    auto& w = Start();
    w.show();
    for (int i = 0; i < 100 && !w.windowHandle()->isExposed(); ++i)
        Pump();
    const QRect screen = w.screen()->availableGeometry();
    EXPECT_GE(w.frameGeometry().top(), screen.top());
    EXPECT_GE(w.frameGeometry().left(), screen.left());
    EXPECT_LT(w.frameGeometry().top(), w.geometry().top()); // the platform draws a frame
    w.close();
    // Stored as the frame's place, and shown there again.
    EXPECT_EQ(store->ReadInteger("frmMIDIExplorer.Top", false, -1), w.frameGeometry().top());
}

TEST_F(ExplorerTest, TheInputHoldsHalfASecondAtAHundredTimesTheWireRate) {
    AddDevices();
    auto& w = Start();
    // 31,250 baud, ten bits a byte, three bytes a message.
    const int halfSecond = static_cast<int>(std::ceil(31250.0 / 30 * 100 / 2));
    ASSERT_GE(w.MidiIn->Capacity(), halfSecond);
    // That many arrive while the window thread is busy elsewhere: none is lost.
    int overflows = 0;
    w.MidiIn->OnOverflow = [&](QObject*) { ++overflows; };
    for (int n = 0; n < halfSecond; ++n)
        ASSERT_TRUE(platform.InjectShort(0, 0x403C90, static_cast<std::uint32_t>(n)));
    EXPECT_EQ(w.MidiIn->PendingEventCount(), halfSecond);
    Pump();
    EXPECT_EQ(overflows, 0);
    EXPECT_EQ(w.MidiIn->PendingEventCount(), 0);
}

TEST_F(ExplorerTest, TheChannelIsStoredAtOnceAndABadStoredOneGivesWayToTheFirst) {
    AddDevices();
    auto& w = Start();
    w.miChannel[9]->trigger();
    EXPECT_EQ(w.TransmitChannel, 9);
    EXPECT_EQ(store->ReadInteger("MIDI_OUT_CH", false, -1), 9);
    EXPECT_THROW(w.miChannelClick(16), EHrzError);
    window.reset();

    // A stored channel out of range no longer stops the start: the first
    // channel is used, said, and stored with the next change.
    store->WriteInteger("MIDI_OUT_CH", 16);
    window = std::make_unique<TfrmMIDIExplorer>();
    window->InitializeWindow(store.get(), "HRZ2000e");
    EXPECT_TRUE(window->Initialized);
    EXPECT_EQ(window->TransmitChannel, 0);
    EXPECT_TRUE(window->miChannel[0]->isChecked());
    EXPECT_TRUE(store->TakeRejectedNotice().endsWith("MIDI_OUT_CH=\"16\" (default 0 used)"));
    EXPECT_EQ(store->ReadInteger("MIDI_OUT_CH", false, -1), 16);
    store->WriteInteger("LPW", 300);
    EXPECT_EQ(store->ReadInteger("MIDI_OUT_CH", false, -1), 0);
}

TEST_F(ExplorerTest, StoredDoubleClickActionsOutOfRangeBecomeZero) {
    store->WriteInteger("DBL_CLICK_LOG_ACTION", 7);
    store->WriteInteger("DBL_CLICK_FILE_ACTION", -3);
    auto& w = Start();
    EXPECT_EQ(w.LogDblClickAction, 0);
    EXPECT_TRUE(w.pmiSetLogLoadEvent->isChecked());
    EXPECT_EQ(w.FilePane->FileDblClickAction(), 0);
    window.reset();
    store->WriteInteger("DBL_CLICK_LOG_ACTION", 2);
    Start();
    EXPECT_TRUE(window->pmiSetLogSend->isChecked());
}

TEST_F(ExplorerTest, SettingsWrittenAtCloseAreReadAtTheNextStart) {
    AddDevices(2, 2);
    auto& w = Start();
    w.InputDeviceItems[1]->MenuItem()->trigger();
    w.OutputDeviceItems[1]->MenuItem()->trigger();
    w.resize(1000, 700);
    w.show();
    w.splVertical->setSizes({600, 400 - w.splVertical->handleWidth()});
    const int rightWidth = w.pgcTab->width();
    w.close();
    EXPECT_FALSE(platform.IsInputOpen(1));
    EXPECT_FALSE(platform.IsOutputOpen(1));
    EXPECT_EQ(w.StatusText(0), "MIDI devices closed");
    window.reset();

    auto again = NewStore();
    EXPECT_EQ(again->ReadString("MIDI_IN", false), "Test In 1");
    EXPECT_EQ(again->ReadString("MIDI_OUT", false), "Test Out 1");
    EXPECT_EQ(again->ReadInteger("LPW", false, -1), rightWidth);
    EXPECT_EQ(again->ReadInteger("frmMIDIExplorer.Width", false, -1), 1000);
    EXPECT_FALSE(again->ReadKeyString(QString(kPath) + "\\Folders", "1", false).isEmpty());

    store = std::move(again);
    auto& next = Start();
    EXPECT_TRUE(platform.IsInputOpen(1));
    EXPECT_TRUE(platform.IsOutputOpen(1));
    EXPECT_EQ(next.width(), 1000);
    next.show();
    EXPECT_EQ(next.pgcTab->width(), rightWidth);
}

TEST_F(ExplorerTest, OnlySevenFoldersOfTheHistoryAreWritten) {
    QStringList folders;
    for (int i = 1; i <= 9; ++i) {
        QDir(dir.path()).mkdir(QString("f%1").arg(i));
        store->WriteKeyString(QString(kPath) + "\\Folders", QString::number(i),
                              dir.filePath(QString("f%1").arg(i)) + "/");
    }
    auto& w = Start();
    ASSERT_GE(w.FilePane->FolderHistory().size(), 8);
    store->WriteKeyString(QString(kPath) + "\\Folders", "8", "untouched");
    store->WriteKeyString(QString(kPath) + "\\Folders", "1", "overwritten");
    w.close();
    EXPECT_NE(store->ReadKeyString(QString(kPath) + "\\Folders", "1", false), "overwritten");
    EXPECT_EQ(store->ReadKeyString(QString(kPath) + "\\Folders", "8", false), "untouched");
}

// ---- Typing ----

TEST_F(ExplorerTest, TypingEntersUpperCaseHexPairsAndRefusesEverythingElse) {
    Start();
    Type("f0 1a g: 00\r");
    EXPECT_EQ(MemoText(), "F0 1A 00");
    EXPECT_EQ(window->StatusText(0), "A blank belongs after each pair of hex digits");
    Type("g");
    EXPECT_EQ(window->StatusText(0), "\"g\" is not a hex digit: type 0-9 and A-F, in pairs");
    // Pairs typed without blanks get them.
    SetMemo("");
    Type("f01a0012");
    EXPECT_EQ(MemoText(), "F0 1A 00 12");
    // Enter never makes a second line.
    Key(window->memMsgBuf, Qt::Key_Return, "\r");
    EXPECT_EQ(window->memMsgBuf->document()->blockCount(), 1);
}

TEST_F(ExplorerTest, InsertKeySwitchesToOverwriteWhichRetypesDigitByDigit) {
    Start();
    SetMemo("F0 43 10 ");
    SetCaret(3);
    Key(window->memMsgBuf, Qt::Key_Insert);
    EXPECT_FALSE(window->InsertMode);
    EXPECT_EQ(window->StatusText(1), "Overwrite");
    Type("7e");
    EXPECT_EQ(MemoText(), "F0 7E 10 ");
    Type(" 2");
    EXPECT_EQ(MemoText(), "F0 7E 20 ");
    // At the end of the text typing inserts.
    SetMemo("F0 4");
    SetCaret(4);
    Type("3");
    EXPECT_EQ(MemoText(), "F0 43");
    Key(window->memMsgBuf, Qt::Key_Insert);
    EXPECT_EQ(window->StatusText(1), "Insert");
    SetCaret(0);
    Type("00 ");
    EXPECT_EQ(MemoText(), "00 F0 43");
}

TEST_F(ExplorerTest, EditingKeysForgetTheLoadedFileButMovementKeysDoNot) {
    Start();
    const QString path = dir.filePath("x.syx");
    WriteFile(path, 4);
    window->LoadFileToBuffer(path);
    EXPECT_EQ(window->LoadedFileName, path);
    Key(window->memMsgBuf, Qt::Key_Right);
    Key(window->memMsgBuf, Qt::Key_PageDown);
    EXPECT_EQ(window->LoadedFileName, path);
    Key(window->memMsgBuf, Qt::Key_Delete);
    EXPECT_TRUE(window->LoadedFileName.isEmpty());
    // The caption follows: it names no file the buffer no longer holds.
    EXPECT_EQ(window->windowTitle(), "HRZ2000e");

    // A monitor line in the buffer, or the loaded file deleted, does the same.
    window->LoadFileToBuffer(path);
    EXPECT_EQ(window->windowTitle(), path + " - HRZ2000e");
    TMyMidiEvent event;
    event.Status = 0xB0;
    event.Data1 = 7;
    event.Data2 = 100;
    window->LoadEventIntoBuffer(event);
    EXPECT_EQ(window->windowTitle(), "HRZ2000e");
    window->LoadFileToBuffer(path);
    ASSERT_TRUE(QFile::remove(path));
    window->FilePane->FileDeleted(path); // as the pane reports a file it deleted
    EXPECT_EQ(window->windowTitle(), "HRZ2000e");
    EXPECT_TRUE(window->LoadedFileName.isEmpty());
}

// ---- Parse and send ----

TEST_F(ExplorerTest, F9SendsTheWholeBufferAsOneLongMessage) {
    AddDevices();
    Start();
    Type("f0 1a 00 12 45 f7");
    Key(window->lbxLog, Qt::Key_F9);
    const auto sent = platform.Sent();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_TRUE(sent[0].Long);
    EXPECT_EQ(sent[0].Bytes, (std::vector<std::uint8_t>{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}));
    EXPECT_EQ(window->StatusText(0), "Message buffer sent to MIDI Out");
    // A short message goes out the same way.
    SetMemo("C0 05");
    window->miSendClick();
    ASSERT_EQ(platform.Sent().size(), 2u);
    EXPECT_TRUE(platform.Sent()[1].Long);
    EXPECT_EQ(window->StatusText(0), "Message buffer sent to MIDI Out");
    // What a receiver would throw away is not sent, and the status says so.
    SetMemo("90 3C B0 07 7F F7 3D");
    window->miSendClick();
    EXPECT_EQ(window->StatusText(0),
              "Message buffer sent to MIDI Out; not sent: 1 incomplete message, 2 stray bytes");
}

TEST_F(ExplorerTest, BadHexIsRefusedAndTheBytesOfTheLastParseAreKept) {
    AddDevices();
    Start();
    SetMemo("F0 43 10 F7");
    ASSERT_TRUE(window->ParseMessageBuffer());
    SetMemo("F0 4");
    window->miSendClick();
    EXPECT_EQ(LastMessage(), "Invalid hex message data (2 chars required to represent each byte)");
    EXPECT_EQ(Messages().back().caption, "Sorry...");
    EXPECT_TRUE(platform.Sent().empty());
    EXPECT_EQ(window->BufferBytes(), (std::vector<std::uint8_t>{0xF0, 0x43, 0x10, 0xF7}));

    QString tooLong;
    for (int i = 0; i <= kMessageBufferSize; ++i)
        tooLong += "00 ";
    SetMemo(tooLong);
    EXPECT_FALSE(window->ParseMessageBuffer());
    EXPECT_TRUE(LastMessage().startsWith("Hex message data too long (10001 bytes)"));
    EXPECT_EQ(window->MessageBufferCount, 4u);
}

TEST_F(ExplorerTest, BlanksAreTextButNotAMessage) {
    AddDevices();
    Start();
    SetMemo("     ");
    EXPECT_FALSE(window->BufferTextEmpty());
    window->miSendClick();
    EXPECT_EQ(window->StatusText(0), "Buffer is empty; nothing to send");
    window->SaveMessageBuffer();
    EXPECT_EQ(window->StatusText(0), "Buffer is empty; nothing to save");
    EXPECT_TRUE(platform.Sent().empty());
}

// ---- Files ----

TEST_F(ExplorerTest, AFileOfTheBuffersSizeLoadsWholeAndALargerOneIsCut) {
    AddDevices();
    Start();
    const QString exact = dir.filePath("exact.syx");
    WriteFile(exact, kMessageBufferSize);
    window->LoadFileToBuffer(exact);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(window->MessageBufferCount, 10000u);
    EXPECT_EQ(window->StatusText(0), "Read 10000 bytes from " + exact);
    EXPECT_EQ(window->windowTitle(), exact + " - HRZ2000e");
    EXPECT_EQ(MemoText().size(), 30000);

    const QString big = dir.filePath("big.syx");
    WriteFile(big, kMessageBufferSize + 1);
    window->LoadFileToBuffer(big);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(LastMessage(), big + " filesize (10001 bytes) is too big for buffer.\nDo not save "
                                   "this file or data loss will occur!");
    EXPECT_EQ(window->StatusText(0),
              "Read 10000 bytes from " + big + " (filesize 10001 is too big for buffer)");
    EXPECT_EQ(window->MessageBufferCount, 10000u);
    EXPECT_EQ(window->LoadedFileName, big);
}

TEST_F(ExplorerTest, AnUnreadableFileChangesNothing) {
    Start();
    SetMemo("F0 F7 ");
    ASSERT_TRUE(window->ParseMessageBuffer());
    EXPECT_THROW(window->LoadFileToBuffer(dir.filePath("missing.syx")), std::exception);
    EXPECT_THROW(window->LoadFileToBuffer(dir.path()), std::exception);
    EXPECT_EQ(MemoText(), "F0 F7 ");
    EXPECT_EQ(window->MessageBufferCount, 2u);
    EXPECT_EQ(window->windowTitle(), "HRZ2000e");
}

TEST_F(ExplorerTest, SaveWritesTheParsedBytesAndListsTheFile) {
    Start();
    SetMemo("F0 1A 00 12 45 F7");
    const QString path = dir.filePath("saved.syx");
    dialogs.service.QueuePath(path);
    window->SaveMessageBuffer();
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray::fromHex("F01A001245F7"));
    EXPECT_EQ(window->StatusText(0), "Saved 6 bytes to " + path);
    // Cancelled: nothing is written.
    window->SaveMessageBuffer();
    EXPECT_EQ(window->StatusText(0), "Saved 6 bytes to " + path);
}

TEST_F(ExplorerTest, F5RefreshesTheFileList) {
    Start();
    window->FilePane->OpenFolder(dir.path());
    const QString before = window->FilePane->FileInfoText(0);
    WriteFile(dir.filePath("new.hrz"), 252);
    Key(window->memMsgBuf, Qt::Key_F5);
    EXPECT_NE(window->FilePane->FileInfoText(0), before);
}

// ---- Clipboard and popup ----

TEST_F(ExplorerTest, OnlyHexClipboardTextIsPasted) {
    AddDevices();
    Start();
    QGuiApplication::clipboard()->setText("f0 43 10 f7");
    window->pmiPasteClick();
    ASSERT_TRUE(window->ParseMessageBuffer());
    EXPECT_EQ(window->BufferBytes(), (std::vector<std::uint8_t>{0xF0, 0x43, 0x10, 0xF7}));
    QGuiApplication::clipboard()->setText("F0 43\n10 F7");
    window->pmiSelectAllClick();
    Key(window->memMsgBuf, Qt::Key_V, "\x16", Qt::ControlModifier);
    EXPECT_EQ(MemoText(), "f0 43 10 f7");
    window->UpdateBufferMenu();
    EXPECT_FALSE(window->pmiPaste->isEnabled());
}

TEST_F(ExplorerTest, BufferPopupFollowsTheText) {
    Start();
    window->UpdateBufferMenu();
    for (QAction* a : {window->pmiSendtoMIDIOut, window->pmiSelectAll, window->pmiSave,
                       window->pmiBufClear, window->pmiCopy, window->pmiCut})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    Type("F0");
    window->pmiSelectAllClick();
    window->UpdateBufferMenu();
    for (QAction* a : {window->pmiSendtoMIDIOut, window->pmiSelectAll, window->pmiSave,
                       window->pmiBufClear, window->pmiCopy, window->pmiCut, window->pmiUndo})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    window->pmiBufClear->trigger();
    EXPECT_TRUE(window->BufferTextEmpty());
    EXPECT_EQ(window->MessageBufferCount, 0u);
}

TEST_F(ExplorerTest, ExtraMenusGoBeforeHelp) {
    Start();
    auto* menu = new QMenu("HRZ2000 Requests", window.get());
    window->AddTopLevelMenu(menu);
    const auto actions = window->menuBar()->actions();
    EXPECT_EQ(actions.back()->text(), "&Help");
    EXPECT_EQ(actions[actions.size() - 2]->text(), "HRZ2000 Requests");
}

// ---- Help ----

TEST_F(ExplorerTest, HelpOpensContentsOrSaysWhyNotAndWhereThePageIs) {
    Start();
    dialogs.service.ClearHistory();
    TFakeShell shell;
    SetShellService(&shell);
    window->ShowHelpContents();
    EXPECT_EQ(shell.opened, HelpPagePath());
    EXPECT_TRUE(Messages().empty());
    const QString page = QDir::toNativeSeparators(HelpPagePath());
    const QString openIt = "\n\nOpen this file in a web browser:\n" + page;
    const std::pair<int, QString> cases[] = {
        {0, "Insufficient  resources\n\nThe help page is " + page},
        {2, "Help file \"contents.htm\" not found\n\nIt belongs at " + page +
                "; installing the program again puts it back."},
        {3, "Browser path not found" + openIt},
        {11, "Browser executable is not valid" + openIt},
        {31, "Cannot find browser to view help file" + openIt},
    };
    for (const auto& [code, text] : cases) {
        shell.result = code;
        window->ShowHelpContents();
        EXPECT_EQ(LastMessage(), text);
        EXPECT_EQ(Messages().back().caption, "Unable to open help");
    }

    // xdg-open started, then found no browser set: the same message, later.
    dialogs.service.ClearHistory();
    shell.result = shOk;
    window->ShowHelpContents();
    shell.late(shOk);
    EXPECT_TRUE(Messages().empty());
    shell.late(shNoAssociation);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(LastMessage(), "Cannot find browser to view help file" + openIt);
    EXPECT_EQ(Messages().back().caption, "Unable to open help");
    // A verdict after the window is gone shows nothing and touches nothing.
    window->ShowHelpContents();
    window.reset();
    shell.late(shNoAssociation);
    EXPECT_EQ(Messages().size(), 1u);
    SetShellService(nullptr);
}

TEST_F(ExplorerTest, TheMemoIsNeverNarrowerThanFiftyPixels) {
    Start();
    window->resize(800, 500);
    window->show();
    window->splVertical->setSizes({10, 790});
    window->splVertical->splitterMoved(10, 1);
    EXPECT_GE(window->memMsgBuf->width(), 50);
    EXPECT_NEAR(window->StatusPanel0->width(), 640, 1);
}

TEST_F(ExplorerTest, ClearMessageBufferEmptiesTheTextAndBytesButKeepsTheCount) {
    AddDevices();
    auto& w = Start();
    Type("f0 1a 00 12 45 f7");
    ASSERT_TRUE(w.ParseMessageBuffer());
    ASSERT_EQ(w.MessageBufferCount, 6u);
    w.miClearOut->trigger();
    EXPECT_TRUE(MemoText().isEmpty());
    EXPECT_EQ(w.MessageBufferCount, 6u);
    EXPECT_EQ(w.BufferBytes(), std::vector<std::uint8_t>(6, 0));
}

TEST_F(ExplorerTest, ADropLoadsTheFirstFileAndIgnoresTheRest) {
    AddDevices();
    auto& w = Start();
    const QString first = dir.filePath("first.syx"), second = dir.filePath("second.syx");
    for (const auto& [path, bytes] : {std::pair{first, QByteArray("\xF0\x43\xF7", 3)},
                                      std::pair{second, QByteArray("\xF0\x11\x22\xF7", 4)}}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(first), QUrl::fromLocalFile(second)});
    // Dragged over the window, then let go, as the desktop delivers it.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(w.BufferBytes(), (std::vector<std::uint8_t>{0xF0, 0x43, 0xF7}));
    EXPECT_EQ(w.windowTitle(), first + " - HRZ2000e");
}

// ---- The virtual unit is no installed device ----

TEST_F(ExplorerTest, TheVirtualUnitOpensOnlyWhenChosenAndSaysSoWhileOpen) {
    platform.AddInputDevice("HRZ2000 virtual unit");
    platform.AddOutputDevice("HRZ2000 virtual unit");
    Start();
    // A first start without an interface: nothing is opened, and it says so.
    EXPECT_FALSE(window->MidiIn->IsOpen());
    EXPECT_FALSE(window->MidiOut->IsOpen());
    EXPECT_EQ(window->StatusText(0), "No MIDI devices found - check installation");
    EXPECT_TRUE(Messages().empty()); // no box holds up the start
    EXPECT_EQ(window->windowTitle(), "HRZ2000e");
    EXPECT_TRUE(window->miMIDIIn->isEnabled());

    // Chosen from the menus, it is named wherever the user looks.
    window->InputDeviceItems[0]->MenuItem()->trigger();
    window->OutputDeviceItems[0]->MenuItem()->trigger();
    EXPECT_EQ(window->windowTitle(), "HRZ2000e - HRZ2000 virtual unit");
    window->ShowStatus("The HRZ2000 is online!");
    EXPECT_EQ(window->StatusText(0), "The HRZ2000 is online! (HRZ2000 virtual unit)");
    platform.InjectShort(0, 0x00403C90u, 0); // what the monitor says of input, too
    Pump();
    EXPECT_TRUE(window->StatusText(0).endsWith(" MIDI in bytes (HRZ2000 virtual unit)"))
        << window->StatusText(0).toStdString();
    window->CloseMidiDevices();

    // Used last, it opens again at the next start, still named.
    window.reset();
    Start();
    EXPECT_TRUE(window->MidiOut->IsOpen());
    EXPECT_EQ(window->StatusText(0), "MIDI devices opened (HRZ2000 virtual unit)");
    EXPECT_EQ(window->windowTitle(), "HRZ2000e - HRZ2000 virtual unit");
}

TEST_F(ExplorerTest, ARealDeviceOpensAtFirstStartAndTheVirtualUnitWaits) {
    AddDevices();
    platform.AddInputDevice("HRZ2000 virtual unit");
    platform.AddOutputDevice("HRZ2000 virtual unit");
    Start();
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(window->MidiOut->ProductName(), "Test Out 0");
    EXPECT_EQ(window->StatusText(0), "MIDI devices opened");
    EXPECT_EQ(window->windowTitle(), "HRZ2000e");
}

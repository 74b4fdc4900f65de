// The message buffer: typing rules, parse, send, save and the two loads.
#include "controls/busy_cursor.h"
#include "controls/model_path.h"
#include "controls/seams/dialog_service.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "explorer/midi_explorer.h"
#include "explorer/msg_buf_memo.h"
#include "midi/midi_output.h"
#include "midi/midi_stream_split.h"
#include "model/preset_files.h"
#include "model/stream.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QTextBlock>
#include <algorithm>

namespace {

const QString kSorry = "Sorry...";

} // namespace

void TfrmMIDIExplorer::ShowBufferText(const QString& text) {
    memMsgBuf->setPlainText(text);
    if (memMsgBuf->document()->isEmpty() && !text.isEmpty())
        ShowMessage(this, "File is too large for editor", kSorry);
    memMsgBuf->setFocus();
    QTextCursor c = memMsgBuf->textCursor();
    c.setPosition(0);
    memMsgBuf->setTextCursor(c);
}

bool TfrmMIDIExplorer::BufferTextEmpty() const {
    return memMsgBuf->document()->firstBlock().text().isEmpty();
}

std::vector<std::uint8_t> TfrmMIDIExplorer::BufferBytes() const {
    return {MessageBufferBytes.begin(), MessageBufferBytes.begin() + MessageBufferCount};
}

bool TfrmMIDIExplorer::ParseMessageBuffer() {
    QStringList lines;
    for (QTextBlock b = memMsgBuf->document()->firstBlock(); b.isValid(); b = b.next())
        lines << b.text();
    const THexParse parse = ParseHexLines(lines);
    switch (parse.result) {
    case THexParse::OddDigitCount:
        ShowMessage(this, "Invalid hex message data (2 chars required to represent each byte)",
                    kSorry);
        return false;
    case THexParse::NotHex:
        ShowMessage(this, "Invalid hex message data (\"" + parse.badPair + "\" is not a hex byte)",
                    kSorry);
        return false;
    case THexParse::TooLong:
        // Cutting the message at the buffer's end would send or save a
        // different message than the one shown; the old bytes are kept.
        ShowMessage(this,
                    QString("Hex message data too long (%1 bytes); the message buffer holds at "
                            "most %2 bytes")
                        .arg(parse.byteCount)
                        .arg(kMessageBufferSize),
                    kSorry);
        return false;
    case THexParse::Ok:
        break;
    }
    MessageBufferBytes.fill(0);
    std::copy(parse.bytes.begin(), parse.bytes.end(), MessageBufferBytes.begin());
    MessageBufferCount = static_cast<std::uint32_t>(parse.bytes.size());
    return true;
}

void TfrmMIDIExplorer::SendMessageBuffer() {
    if (!OutputReady(false))
        return;
    if (MessageBufferCount == 0) {
        ShowStatus("Buffer is empty; nothing to send");
        return;
    }
    MidiOut->SendLong(MessageBufferBytes.data(), static_cast<std::uint16_t>(MessageBufferCount));
    // The ports send whole messages only; what a receiver would throw away is
    // not sent, and the user hears of it.
    const TMidiStreamSplit split = SplitMidiBlock(MessageBufferBytes.data(), MessageBufferCount);
    QStringList dropped;
    if (split.IncompleteMessages > 0)
        dropped << QString("%1 incomplete %2")
                       .arg(split.IncompleteMessages)
                       .arg(split.IncompleteMessages == 1 ? "message" : "messages");
    if (split.StrayBytes > 0)
        dropped << QString("%1 stray %2")
                       .arg(split.StrayBytes)
                       .arg(split.StrayBytes == 1 ? "byte" : "bytes");
    if (dropped.isEmpty())
        ShowStatus("Message buffer sent to MIDI Out");
    else
        ShowStatus("Message buffer sent to MIDI Out; not sent: " + dropped.join(", "));
}

void TfrmMIDIExplorer::miSendClick() {
    if (!BufferTextEmpty() && ParseMessageBuffer())
        SendMessageBuffer();
}

void TfrmMIDIExplorer::SaveMessageBuffer() {
    if (!ParseMessageBuffer())
        return;
    if (MessageBufferCount == 0) {
        ShowStatus("Buffer is empty; nothing to save");
        return;
    }
    const QString fileName = Dialogs().SaveFileName(this, "Save message buffer as",
                                                    FilePane->CurrentFolder(), QString());
    if (fileName.isEmpty())
        return;
    WriteFileAtomically(ModelPath(fileName), MessageBufferBytes.data(), MessageBufferCount);
    ShowStatus(QString("Saved %1 bytes to %2").arg(MessageBufferCount).arg(fileName));
    FilePane->RefreshFileList();
}

void TfrmMIDIExplorer::LoadFileToBuffer(const QString& path) {
    std::vector<std::uint8_t> bytes(kMessageBufferSize);
    std::int64_t size = 0;
    std::size_t got = 0;
    {
        // Read first: a file that cannot be read leaves the buffer as it was.
        TBusyCursor busy;
        TFileStream file(ModelPath(path));
        size = file.Size();
        const auto want =
            static_cast<std::size_t>(std::min<std::int64_t>(size, kMessageBufferSize));
        file.ReadBuffer(bytes.data(), want);
        got = want;
    }
    setWindowTitle(path + " - " + BaseCaption);
    UpdateDeviceCaption();
    MessageBufferBytes.fill(0);
    std::copy_n(bytes.begin(), got, MessageBufferBytes.begin());
    MessageBufferCount = static_cast<std::uint32_t>(got);
    if (size <= kMessageBufferSize) {
        ShowStatus(QString("Read %1 bytes from %2").arg(got).arg(path));
    } else {
        ShowMessage(this,
                    QString("%1 filesize (%2 bytes) is too big for buffer.\nDo not save this "
                            "file or data loss will occur!")
                        .arg(path)
                        .arg(size),
                    kSorry);
        ShowStatus(QString("Read %1 bytes from %2 (filesize %3 is too big for buffer)")
                       .arg(kMessageBufferSize)
                       .arg(path)
                       .arg(size));
    }
    ShowBufferText(QString::fromStdString(
        HexBytesText(MessageBufferBytes.data(), static_cast<std::uint16_t>(MessageBufferCount))));
    LoadedFileName = path;
}

void TfrmMIDIExplorer::LoadFolderToBuffer(const QString& folder) {
    const QString shown = QDir::toNativeSeparators(folder);
    std::vector<std::uint8_t> joined;
    std::size_t files = 0;
    {
        TBusyCursor busy;
        const auto paths = PresetFilesInFolder(ModelPath(shown));
        files = paths.size();
        if (files == 0) {
            ShowMessage(this, "There are no .hrz files in " + shown, kSorry);
            return;
        }
        joined = JoinPresetFiles(paths);
    }
    const QString what = QString("%1 .hrz file%2 (%3 bytes) from %4")
                             .arg(files)
                             .arg(files == 1 ? "" : "s")
                             .arg(joined.size())
                             .arg(shown);
    if (joined.size() > kMessageBufferSize) {
        // A whole bank is five times what the buffer holds: saved as it is instead.
        const QString question =
            QString("The %1 hold more than the message buffer's %2 bytes.\n\nSave them as one "
                    ".syx file now?")
                .arg(what)
                .arg(kMessageBufferSize);
        if (Dialogs().MessageBox(this, question, "Join .hrz files", mbYes | mbNo,
                                 TMsgDlgType::mtConfirmation) != mrYes)
            return;
        const QString suggested =
            FilePane->CurrentFolder() + QDir(shown).dirName() + QStringLiteral(".syx");
        const QString fileName =
            Dialogs().SaveFileName(this, "Save message buffer as", suggested, QString());
        if (fileName.isEmpty())
            return;
        WriteFileAtomically(ModelPath(fileName), joined.data(), joined.size());
        ShowStatus(QString("Saved %1 bytes to %2").arg(joined.size()).arg(fileName));
        FilePane->RefreshFileList();
        return;
    }
    setWindowTitle(shown + " - " + BaseCaption);
    UpdateDeviceCaption();
    MessageBufferBytes.fill(0);
    std::copy(joined.begin(), joined.end(), MessageBufferBytes.begin());
    MessageBufferCount = static_cast<std::uint32_t>(joined.size());
    ShowBufferText(QString::fromStdString(
        HexBytesText(MessageBufferBytes.data(), static_cast<std::uint16_t>(MessageBufferCount))));
    // Not one file: "Open current file in editor" has nothing to name.
    LoadedFileName.clear();
    ShowStatus("Read " + what);
}

void TfrmMIDIExplorer::LoadEventIntoBuffer(const TMyMidiEvent& event) {
    if (event.Status == 0xF0) {
        const std::size_t n = std::min<std::size_t>(event.Sysex.size(), kMessageBufferSize);
        MessageBufferBytes.fill(0);
        std::copy_n(event.Sysex.begin(), n, MessageBufferBytes.begin());
        MessageBufferCount = static_cast<std::uint32_t>(n);
    } else {
        MessageBufferBytes[0] = event.Status;
        MessageBufferBytes[1] = event.Data1;
        MessageBufferBytes[2] = event.Data2;
        MessageBufferCount = 3;
    }
    const auto shown = std::min<std::uint16_t>(MidiEventLength(event), kMessageBufferSize);
    ShowBufferText(QString::fromStdString(HexBytesText(MessageBufferBytes.data(), shown)));
    ForgetLoadedFile();
}

void TfrmMIDIExplorer::ForgetLoadedFile() {
    LoadedFileName.clear();
    setWindowTitle(BaseCaption);
}

bool TfrmMIDIExplorer::ClipboardIsHex() const {
    return TextIsHex(QGuiApplication::clipboard()->text());
}

void TfrmMIDIExplorer::pmiPasteClick() {
    if (ClipboardIsHex())
        memMsgBuf->paste();
}

void TfrmMIDIExplorer::pmiSelectAllClick() {
    memMsgBuf->setFocus();
    memMsgBuf->selectAll();
}

void TfrmMIDIExplorer::miClearOutClick() {
    memMsgBuf->clear();
    MessageBufferBytes.fill(0);
}

void TfrmMIDIExplorer::pmiBufClearClick() {
    memMsgBuf->clear();
    MessageBufferBytes.fill(0);
    MessageBufferCount = 0;
    ForgetLoadedFile();
}

void TfrmMIDIExplorer::UpdateBufferMenu() {
    const bool hasText = !BufferTextEmpty();
    pmiUndo->setEnabled(memMsgBuf->document()->isUndoAvailable());
    const bool selected = memMsgBuf->textCursor().hasSelection();
    pmiCopy->setEnabled(selected);
    pmiCut->setEnabled(selected);
    pmiPaste->setEnabled(!QGuiApplication::clipboard()->text().isEmpty() && ClipboardIsHex());
    pmiSendtoMIDIOut->setEnabled(hasText);
    pmiSelectAll->setEnabled(hasText);
    pmiSave->setEnabled(hasText);
    pmiBufClear->setEnabled(hasText);
}

bool TfrmMIDIExplorer::memMsgBufKeyDown(QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Shift:
    case Qt::Key_Alt:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
        break;
    default:
        if (!LoadedFileName.isEmpty())
            ForgetLoadedFile();
    }
    if (event.key() == Qt::Key_Insert && event.modifiers() == Qt::NoModifier) {
        InsertMode = !InsertMode;
        SetStatusTexts(StatusPanel0->text());
        return true;
    }
    return false;
}

void TfrmMIDIExplorer::memMsgBufKeyPress(QChar ch) {
    const QString text = memMsgBuf->toPlainText();
    const int caret = memMsgBuf->CaretPosition();
    const TTypedChar typed = DecideTypedChar(ch, caret, text, InsertMode);
    if (!typed.accept) {
        // A key that vanished without a word would look like a broken keyboard.
        if (ch.isPrint() && ch != u' ')
            ShowStatus("\"" + QString(ch) + "\" is not a hex digit: type 0-9 and A-F, in pairs");
        else if (ch == u' ')
            ShowStatus("A blank belongs after each pair of hex digits");
        return;
    }
    QTextCursor c = memMsgBuf->textCursor();
    const int at = typed.skipBlank ? caret + 1 : caret;
    if (typed.selectOne) {
        c.setPosition(at);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    } else if (typed.skipBlank) {
        c.setPosition(at);
    }
    c.insertText(typed.blankFirst ? QString(u' ') + typed.ch : QString(typed.ch));
    memMsgBuf->setTextCursor(c);
}

void TfrmMIDIExplorer::memMsgBufEnter() {
    if (InsertMode)
        return;
    QTextCursor c = memMsgBuf->textCursor();
    c.setPosition(c.selectionStart());
    c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor);
    memMsgBuf->setTextCursor(c);
}

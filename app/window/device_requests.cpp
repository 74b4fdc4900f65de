// The main window's traffic with the unit: its messages and the tests by which
// it knows what came back, pacing and time-outs of the requests, what it knows
// of the unit (online, bank, bypass, current preset), keys, received input and
// where each event goes, the way the runs reach the unit, and a bulk dump kept.
// A bulk dump brings every preset of the unit's bank at once: about two hundred
// lines in the monitor. Once the dumps stop coming the user is offered to keep
// them, as one .syx file or as preset files named as a backup names them.
#include "app/window/frm_main.h"

#include "app/window/frm_main_link.h"
#include "controls/app_error_handler.h"
#include "controls/busy_cursor.h"
#include "controls/delay_with_messages.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/tick_source.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "library/unit_recorder.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "model/device_globals.h"
#include "model/digital_groups.h"
#include "model/errors.h"
#include "model/hrz_messages.h"
#include "model/safe_file_name.h"
#include "model/stream.h"
#include "model/unit_location.h"
#include "unit/virtual_unit_platform.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QScopedValueRollback>
#include <QTimer>

#include <limits>

using namespace HrzMessages;

namespace {

constexpr std::size_t kBankPresets = 200;

std::uint8_t ByteAt(const std::vector<std::uint8_t>& bytes, std::size_t index) {
    return index < bytes.size() ? bytes[index] : 0;
}

} // namespace

// ---- How the runs reach the unit ----

void TfrmMain::TLink::SendLong(const std::vector<std::uint8_t>& bytes) {
    window_.SendBuiltMessage(bytes);
}

void TfrmMain::TLink::SendShort(std::uint8_t status, std::uint8_t data1, std::uint8_t data2) {
    if (!window_.MidiOut)
        throw EHrzError("MIDI Out device not available");
    window_.MidiOut->SendShort(status, data1, data2);
}

bool TfrmMain::TLink::OutputOpen() const {
    return window_.MidiOut && window_.MidiOut->IsOpen();
}

std::unique_ptr<TMyMidiEvent> TfrmMain::TLink::ReadEvent() {
    if (!window_.MidiIn || window_.MidiIn->PendingEventCount() == 0)
        return nullptr;
    return window_.MidiIn->ReadEvent();
}

void TfrmMain::TLink::DiscardInput() {
    window_.DiscardPendingInput();
}

void TfrmMain::TLink::Wait(std::uint32_t ms) {
    DelayWithMessages(ms);
}

std::uint32_t TfrmMain::TLink::Now() {
    return tick::GetTickCount();
}

void TfrmMain::TLink::Later(std::function<void()> action) {
    TfrmMain* window = &window_;
    QTimer::singleShot(0, window,
                       [window, action = std::move(action)] { RunShowingErrors(action, window); });
}

// ---- Messages to the unit ----

void TfrmMain::SendBuiltMessage(std::vector<std::uint8_t> bytes) {
    LastSentMessage = std::move(bytes);
    if (!MidiOut || !MidiOut->IsOpen())
        throw EHrzError("MIDI Out device not available");
    MidiOut->SendLong(LastSentMessage.data(), static_cast<std::uint16_t>(LastSentMessage.size()));
}

void TfrmMain::RequestCurrentPreset() {
    if (!OutputReady(true))
        return;
    SendBuiltMessage(CurrentPresetRequest(DeviceChannel));
}

void TfrmMain::RequestAllPresets() {
    if (!OutputReady(true))
        return;
    // Ready before the request: the dumps may come while it is being sent.
    ExpectBulkDump();
    SendBuiltMessage(AllPresetsRequest(DeviceChannel, PreExpressMode));
    ShowStatus("All Preset Request issued");
}

void TfrmMain::RequestMptTable() {
    if (!OutputReady(true))
        return;
    SendBuiltMessage(MptRequest(DeviceChannel, PreExpressMode));
    ShowStatus("MPT Request issued");
}

void TfrmMain::RequestStatusItem(std::uint8_t item) {
    SendBuiltMessage(ItemRequest(DeviceChannel, item));
    // Counted once it is out: a request the port refused gets no answer to wait for.
    ++PendingStatusReplies;
    if (item == ItemPresetNumber)
        ++presetNumberQueriesOut_;
    DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
}

void TfrmMain::SelectBank(int bank) {
    if (!OutputReady(false))
        return;
    if (bank < 0 || bank > 3)
        return;
    SendBuiltMessage(BankItemValue(DeviceChannel, static_cast<std::uint8_t>(bank)));
    ShowStatus(QString("Bank %1 selected").arg(QString::fromStdString(BankLetter(bank))));
}

void TfrmMain::ToggleBypass() {
    miBypass->setChecked(!miBypass->isChecked());
    BypassChanged();
}

void TfrmMain::BypassChanged() {
    // The check has flipped already, whether the message goes out or not.
    if (!OutputReady(false))
        return;
    const bool on = miBypass->isChecked();
    ShowStatus(on ? "Bypass activation request sent" : "Bypass deactivation request sent");
    SendBuiltMessage(BypassItemValue(DeviceChannel, on));
}

void TfrmMain::SendStream(TStream& stream, QString& statusText) {
    const std::int64_t size = stream.Size();
    if (size > std::numeric_limits<std::uint16_t>::max())
        throw EHrzError(QString("Message too long to send (%1 bytes)").arg(size).toStdString());
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size));
    stream.SetPosition(0);
    stream.ReadBuffer(bytes.data(), bytes.size());
    if (!MidiOut || !MidiOut->IsOpen())
        throw EOutputNotOpen("MIDI Out device not available");
    MidiOut->SendLong(bytes.data(), static_cast<std::uint16_t>(bytes.size()));
    statusText = "MIDI data sent to MIDI Out";
}

void TfrmMain::DiscardPendingInput() {
    if (!MidiIn)
        return;
    for (int n = MidiIn->Capacity(); n > 0 && MidiIn->PendingEventCount() != 0; --n)
        if (!MidiIn->ReadEvent())
            break;
}

// ---- Recognisers ----

bool TfrmMain::BufferHoldsPresetDump() {
    if (!IsPresetDump(MessageBufferBytes.data(), MessageBufferCount))
        return false;
    ShowStatus("Preset loaded: " + BufferPresetTitle());
    return true;
}

bool TfrmMain::BufferHoldsMptDump() const {
    return IsMptDump(MessageBufferBytes.data(), MessageBufferCount, PreExpressMode);
}

QString TfrmMain::BufferPresetTitle() const {
    return QString::fromLatin1(PresetTitle(MessageBufferBytes.data(), MessageBufferBytes.size()));
}

// ---- Online check and status replies ----

void TfrmMain::CheckOnline() {
    if (!MidiOut || !MidiOut->IsOpen())
        return;
    // Shown again or a run started while a check waits: one check at a time,
    // or the pending count would be reset under the first one's replies.
    if (checkingOnline_)
        return;
    QScopedValueRollback checking(checkingOnline_, true);
    TBusyCursor busy;
    timPresetReq->setInterval(RequestDelay * 10);
    timPresetReq->start();
    // Forget what an earlier check left unanswered, but not the preset number
    // that a store or an editor is waiting for meanwhile: its reply would
    // otherwise be taken for one of this check's, and this check's last reply
    // would end up in the monitor.
    PendingStatusReplies = presetNumberQueriesOut_;
    RequestStatusItem(ItemBypass);
    // The user may have picked another device during the wait.
    if (!PreExpressMode && MidiOut && MidiOut->IsOpen())
        RequestStatusItem(ItemBank);
    QCoreApplication::processEvents();
}

bool TfrmMain::HandleStatusReply(const TMyMidiEvent& event) {
    if (PendingStatusReplies < 1)
        return false;
    if (!IsItemValueReply(event.Sysex.data(), event.Sysex.size()))
        return false;
    --PendingStatusReplies;
    const std::uint8_t value = ByteAt(event.Sysex, 6);
    switch (ByteAt(event.Sysex, 5)) {
    case ItemBypass:
        ShowStatus("The HRZ2000 is online!");
        if (miBypass)
            miBypass->setChecked(value == 1);
        break;
    case ItemBank:
        CurrentBank = value > 3 ? -1 : value;
        if (CurrentBank >= 0)
            ShowStatus("The HRZ2000 is online! Your currently selected bank is: " +
                       QString::fromStdString(BankLetter(CurrentBank)));
        break;
    case ItemPresetNumber:
        if (presetNumberQueriesOut_ > 0)
            --presetNumberQueriesOut_;
        UnitPresetNumber = ReportedPresetNumber(value, ByteAt(event.Sysex, 7));
        break;
    default:
        break;
    }
    if (PendingStatusReplies == 0 && !checkingOnline_)
        ShowWaitingStartNotice(); // the last reply of a check that is over
    return true;
}

int TfrmMain::QueryCurrentPresetNumber() {
    UnitPresetNumber = -1;
    RequestStatusItem(ItemPresetNumber);
    QCoreApplication::processEvents();
    if (UnitPresetNumber == -1)
        DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
    // Given up on: the next online check need not keep it counted.
    if (UnitPresetNumber == -1 && presetNumberQueriesOut_ > 0)
        --presetNumberQueriesOut_;
    return UnitPresetNumber;
}

// ---- Pre-Express ----

void TfrmMain::TogglePreExpress() {
    miPreExpress->setChecked(!miPreExpress->isChecked());
    ApplyPreExpressMode();
}

void TfrmMain::PreExpressChanged() {
    ApplyPreExpressMode();
}

void TfrmMain::ApplyPreExpressMode() {
    SetPreExpressMode(miPreExpress && miPreExpress->isChecked());
    // The built-in virtual unit answers as the model the switch names.
    if (TVirtualUnitMidiPlatform* unit = BuiltInVirtualUnit())
        unit->SetModel(PreExpressMode);
    for (QAction* item : miSelectBank)
        if (item)
            item->setEnabled(!PreExpressMode);
}

// ---- The request timer ----

void TfrmMain::timPresetReqTimer() {
    if (backup_->RunActive) {
        backup_->WatchdogFired();
        return;
    }
    if (PendingStatusReplies > 0) {
        PendingStatusReplies = 0;
        presetNumberQueriesOut_ = 0;
        ShowStatus("No response received from HRZ2000 - are you connected properly?");
        ShowWaitingStartNotice();
    }
    timPresetReq->stop();
}

// ---- Keys ----

void TfrmMain::HandleFunctionKey(int& key, Qt::KeyboardModifiers shift) {
    TfrmMIDIExplorer::HandleFunctionKey(key, shift);
    if (key == Qt::Key_F10) {
        RequestCurrentPreset();
        key = 0;
    } else if (key == Qt::Key_C && backup_->RunActive &&
               (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                         Qt::MetaModifier)) == Qt::ControlModifier) {
        backup_->AbortRun();
        key = 0;
    }
}

// ---- Input ----

void TfrmMain::MidiInputReceived(TMidiInput& sender) {
    // A notice that comes while a handler below waits is left to this loop.
    if (draining_ || backup_->ReadingInput())
        return;
    {
        QScopedValueRollback draining(draining_, true);
        // At most one ring's worth per call, so a flood cannot starve the window.
        for (int n = sender.Capacity(); n > 0 && sender.PendingEventCount() != 0; --n) {
            std::unique_ptr<TMyMidiEvent> event = sender.ReadEvent();
            if (!event)
                break;
            const bool dump =
                event->HasSysex() && IsPresetDump(event->Sysex.data(), event->Sysex.size());
            if (!backup_->RunActive && dump)
                UnitRecorder::Record(event->Sysex,
                                     store_->Capturing() ? "store check" : "from the unit");
            // A run takes every event; a store check its one dump.
            if (backup_->RunActive) {
                backup_->HandleRunEvent(std::move(event));
                continue;
            }
            if (store_->Capturing() && dump) {
                store_->TakeDump(event->Sysex);
                continue;
            }
            if (HandleStatusReply(*event))
                continue;
            TakeBulkDump(*event); // kept, and shown in the monitor all the same
            const int length = MidiEventLength(*event);
            AddEventLine(std::move(event));
            SetStatusTexts(QString("Received %1 MIDI in bytes").arg(length));
        }
    }
    // What arrived while a handler waited may have no notice of its own left.
    if (sender.PendingEventCount() != 0)
        QTimer::singleShot(0, this, [this] {
            if (MidiIn)
                MidiInputReceived(*MidiIn);
        });
}

// ---- Verified store ----

bool TfrmMain::VerifyStores() const {
    return miVerifyStore && miVerifyStore->isChecked();
}

std::vector<TRestoreResult> TfrmMain::RestoreIntoUnit(const std::vector<TRestoreItem>& items) {
    if (backup_->RunActive || backup_->Starting) {
        ShowStatus("Press Ctrl-c to abort");
        return {};
    }
    if (!OutputReady(false))
        return {};
    return store_->RestoreIntoUnit(items);
}

// ---- What the unit holds where, as far as this session saw it ----

void TfrmMain::NoteUnitTitle(int bank, int location, const QString& title) {
    unitTitles_[{PreExpressMode ? -1 : bank, location}] = title;
}

QString TfrmMain::DescribeLocation(int location) const {
    const int bank = PreExpressMode ? -1 : CurrentBank;
    QString text = LocationText(bank, location);
    // Only with the bank known: a title of another bank would name the wrong preset.
    if (bank >= 0 || PreExpressMode) {
        const auto found = unitTitles_.find({bank, location});
        if (found != unitTitles_.end())
            text += QString::fromUtf8(" \u2014 now \"") + found->second + "\"";
    }
    return text;
}

QString TfrmMain::NotOpenedText() const {
    const QString what = LoadedFileName.isEmpty() ? QString("The message buffer")
                                                  : QDir::toNativeSeparators(LoadedFileName);
    return QString("%1 was not opened in an editor: it holds %2 bytes, not a preset dump "
                   "(%3 bytes) or a program table dump (%4 bytes)")
        .arg(what)
        .arg(MessageBufferCount)
        .arg(PresetDumpLength)
        .arg(MptDumpLength(PreExpressMode));
}

void TfrmMain::EnableRunCommands(bool on) {
    for (QAction* item : {miGetSaveEach, miPrintList, miCompare})
        if (item)
            item->setEnabled(on);
}

QString TfrmMain::DescribeEvent(const TMyMidiEvent& event) const {
    if (!event.HasSysex())
        return {};
    const std::uint8_t* bytes = event.Sysex.data();
    const std::size_t count = event.Sysex.size();
    if (IsPresetDump(bytes, count)) {
        const QString title = QString::fromLatin1(PresetTitle(bytes, count)).trimmed();
        return title.isEmpty() ? QString("Preset dump (untitled)") : "Preset dump: " + title;
    }
    if (IsMptDump(bytes, count, PreExpressMode))
        return "Program table dump";
    if (IsItemValueReply(bytes, count) && count > 6) {
        switch (bytes[5]) {
        case ItemBypass:
            return bytes[6] == 1 ? "Bypass: on" : "Bypass: off";
        case ItemBank:
            return "Bank: " + QString::fromStdString(BankLetter(bytes[6]));
        case ItemPresetNumber:
            return QString("Current preset: %1")
                .arg(ReportedPresetNumber(bytes[6], count > 8 ? bytes[7] : 0));
        default:
            return QString("Item %1 value").arg(bytes[5]);
        }
    }
    return {};
}

// ---- A bulk dump kept ----

QStringList BulkDumpFileNames(const std::vector<std::vector<std::uint8_t>>& dumps) {
    QStringList names;
    for (std::size_t i = 0; i < dumps.size(); ++i) {
        QString title =
            QString::fromLatin1(PresetTitle(dumps[i].data(), dumps[i].size())).trimmed();
        if (title.isEmpty())
            title = "Untitled";
        names << QString::fromStdString(
            SafeFileName((title + QString(".hrz%1").arg(i + 1, 3, 10, QChar('0'))).toStdString()));
    }
    return names;
}

void TfrmMain::ExpectBulkDump() {
    bulkDumps_.clear();
    bulkExpected_ = true;
    // The first dump may take a while (the unit reads its memory first).
    bulkQuiet_->start(std::max(10 * RequestDelay, 5000));
}

bool TfrmMain::TakeBulkDump(const TMyMidiEvent& event) {
    if (!bulkExpected_ || !event.HasSysex() ||
        !IsPresetDump(event.Sysex.data(), event.Sysex.size()))
        return false;
    bulkDumps_.push_back(event.Sysex);
    // A whole bank ends it; a shorter dump ends when the dumps stop coming.
    if (!PreExpressMode && bulkDumps_.size() == kBankPresets) {
        bulkQuiet_->stop();
        QTimer::singleShot(0, this,
                           [this] { RunShowingErrors([this] { BulkDumpEnded(); }, this); });
    } else {
        bulkQuiet_->start(std::max(3 * RequestDelay, 2000));
    }
    return true;
}

void TfrmMain::BulkDumpEnded() {
    if (!bulkExpected_)
        return;
    bulkExpected_ = false;
    if (bulkDumps_.empty()) {
        ShowStatus("No preset dump received after the bulk dump request");
        return;
    }
    const int count = static_cast<int>(bulkDumps_.size());
    ShowStatus(QString("Received %1 preset dumps").arg(count));
    const int answer = Dialogs().MessageBox(
        this,
        QString("%1 preset dumps were received.\n\nYes saves them as one .syx file; No saves "
                "them as preset files in a folder, named as a backup names them; Cancel "
                "keeps them in the monitor only.")
            .arg(count),
        "Save bulk dump", mbYes | mbNo | mbCancel, TMsgDlgType::mtConfirmation);
    if (answer == mrYes)
        SaveBulkDumpAsSyx();
    else if (answer == mrNo)
        SaveBulkDumpAsFiles();
}

void TfrmMain::SaveBulkDumpAsSyx() {
    const QString bank = PreExpressMode || CurrentBank < 0
                             ? QString()
                             : " bank " + QString::fromStdString(BankLetter(CurrentBank));
    const QString suggested = FilePane->CurrentFolder() + "Bulk dump" + bank + ".syx";
    const QString path = Dialogs().SaveFileName(this, "Save bulk dump as", suggested,
                                                "System exclusive files (*.syx)");
    if (path.isEmpty())
        return;
    std::vector<std::uint8_t> joined;
    for (const auto& dump : bulkDumps_)
        joined.insert(joined.end(), dump.begin(), dump.end());
    WriteFileAtomically(QFile::encodeName(QDir::toNativeSeparators(path)).toStdString(),
                        joined.data(), joined.size());
    ShowStatus(QString("Saved %1 preset dumps (%2 bytes) to %3")
                   .arg(bulkDumps_.size())
                   .arg(joined.size())
                   .arg(QDir::toNativeSeparators(path)));
    FilePane->RefreshFileList();
}

void TfrmMain::SaveBulkDumpAsFiles() {
    QString folder =
        Dialogs().FolderName(this, "Folder for the preset files:", FilePane->CurrentFolder());
    if (folder.isEmpty())
        return;
    if (!PreExpressMode && CurrentBank >= 0)
        folder = QDir(folder).filePath("Bank " + QString::fromStdString(BankLetter(CurrentBank)));
    QDir().mkpath(folder);
    const QStringList names = BulkDumpFileNames(bulkDumps_);
    for (int i = 0; i < names.size(); ++i) {
        const auto& dump = bulkDumps_[static_cast<std::size_t>(i)];
        WriteFileAtomically(
            QFile::encodeName(QDir::toNativeSeparators(QDir(folder).filePath(names[i])))
                .toStdString(),
            dump.data(), dump.size());
    }
    ShowStatus(QString("Saved %1 preset files in %2")
                   .arg(names.size())
                   .arg(QDir::toNativeSeparators(folder)));
    FilePane->RefreshFileList();
}

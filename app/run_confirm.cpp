// Before a run saves a preset, the unit must be on the preset the file will be
// named after: a select that was lost (a busy MIDI service, a unit that listens
// on another channel) would otherwise give a file holding another preset. The
// run asks for the unit's current preset number after each select, selects
// again when it differs, and leaves a preset it cannot confirm unsaved.
#include "app/frm_main.h"
#include "controls/app_error_handler.h"
#include "controls/delay_with_messages.h"
#include "controls/tick_source.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/hrz_messages.h"
#include "model/mpt.h"
#include "model/stream.h"
#include "model/unit_location.h"

#include <QAction>
#include <QDir>
#include <QScopedValueRollback>
#include <QTimer>

using namespace HrzMessages;

namespace {

// Selects of one preset before the run gives up on it.
constexpr int kSelectAttempts = 3;

bool IsPresetNumberReply(const TMyMidiEvent& event) {
    return event.HasSysex() && IsItemValueReply(event.Sysex.data(), event.Sysex.size()) &&
           event.Sysex.size() > 6 && event.Sysex[5] == ItemPresetNumber;
}

} // namespace

std::unique_ptr<TMyMidiEvent>
TfrmMain::AwaitRunReply(const std::function<bool(const TMyMidiEvent&)>& wanted,
                        std::uint32_t waitMs) {
    // The input handler stays out while this reads the port itself: a run's
    // request is sent from inside that handler, which would not come again.
    QScopedValueRollback readingHere(draining_, true);
    const std::uint32_t start = tick::GetTickCount();
    for (;;) {
        while (MidiIn && MidiIn->PendingEventCount() != 0) {
            std::unique_ptr<TMyMidiEvent> event = MidiIn->ReadEvent();
            if (!event)
                break;
            if (wanted(*event))
                return event;
        }
        if (!RunActive || tick::GetTickCount() - start >= waitMs)
            return nullptr;
        DelayWithMessages(5);
    }
}

int TfrmMain::AskRunPresetNumber() {
    DiscardPendingInput();
    SendBuiltMessage(ItemRequest(DeviceChannel, ItemPresetNumber));
    const auto wait = static_cast<std::uint32_t>(std::max(RequestDelay * 2, 200));
    const auto reply = AwaitRunReply(IsPresetNumberReply, wait);
    if (!reply)
        return -1;
    return ReportedPresetNumber(reply->Sysex[6], reply->Sysex.size() > 8 ? reply->Sysex[7] : 0);
}

bool TfrmMain::FetchRunTable() {
    RunTable.reset();
    const bool preExpress = PreExpressMode;
    DiscardPendingInput();
    SendBuiltMessage(MptRequest(DeviceChannel, preExpress));
    const auto reply = AwaitRunReply(
        [preExpress](const TMyMidiEvent& e) {
            return e.HasSysex() && IsMptDump(e.Sysex.data(), e.Sysex.size(), preExpress);
        },
        static_cast<std::uint32_t>(RequestDelay) * 10);
    if (!reply)
        return false;
    TMemoryStream stream;
    stream.WriteBuffer(reply->Sysex.data(), reply->Sysex.size());
    stream.SetPosition(0);
    Tmpt table;
    table.LoadFromStream(stream, preExpress);
    RunTable = table.Entries;
    return true;
}

int TfrmMain::ExpectedRunPreset() const {
    if (RunByPresetNumber)
        return RunPresetIndex + 1;
    if (!RunTable || RunPresetIndex < 0 || RunPresetIndex >= Tmpt::MptEntryCount(PreExpressMode))
        return -1;
    return (*RunTable)[static_cast<std::size_t>(RunPresetIndex)] + 1;
}

void TfrmMain::SendRunSelect() {
    if (RunByPresetNumber) {
        SendBuiltMessage(PresetSelect(DeviceChannel, RunPresetIndex));
        return;
    }
    if (!MidiOut)
        throw EHrzError("MIDI Out device not available");
    for (const TShortMessage& m : ProgramSelect(RunPresetIndex))
        MidiOut->SendShort(m.Status, m.Data1, m.Data2);
}

bool TfrmMain::SelectRunPreset() {
    const int expected = ExpectedRunPreset();
    const int number = RunPresetIndex + 1;
    int reached = -1;
    for (int attempt = 1; attempt <= kSelectAttempts; ++attempt) {
        SendRunSelect();
        DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
        if (!RunActive)
            return false;
        reached = AskRunPresetNumber();
        if (!RunActive)
            return false;
        if (expected > 0 && reached == expected)
            return true;
        if (attempt < kSelectAttempts)
            AddLogLine(reached < 0
                           ? QString("Preset #%1: the unit did not say which preset it is on; "
                                     "selecting it again")
                                 .arg(number)
                           : QString("Preset #%1: the unit is on preset %2; selecting it again")
                                 .arg(number)
                                 .arg(reached));
    }
    SkipUnconfirmedPreset(reached);
    return false;
}

void TfrmMain::SkipUnconfirmedPreset(int reached) {
    const int number = RunPresetIndex + 1;
    QString why;
    if (reached < 0)
        why = "the unit did not say which preset it is on";
    else
        why = QString("the unit stayed on preset %1").arg(reached);
    const QString text =
        QString("Preset #%1 could not be selected (%2): not saved").arg(number).arg(why);
    AddLogLine(text);
    ShowStatus(text);
    RunUnconfirmed << LocationText(PreExpressMode ? -1 : CurrentBank, number);
    // Counts as handled for the watchdog; the run goes on with the next preset
    // once this call has returned, so that a long row of them does not nest.
    LastReceptionTick = tick::GetTickCount();
    RunReceptionSeen = true;
    const int run = runNumber_;
    QTimer::singleShot(0, this, [this, run] {
        if (RunActive && run == runNumber_)
            RunShowingErrors([this] { AdvanceRun(); }, this);
    });
}

QString TfrmMain::UnconfirmedSummary() const {
    if (RunUnconfirmed.isEmpty())
        return {};
    const int count = static_cast<int>(RunUnconfirmed.size());
    QStringList shown = RunUnconfirmed.mid(0, 20);
    if (count > shown.size())
        shown << QString("and %1 more").arg(count - shown.size());
    return QString(count == 1 ? "1 preset was" : "%1 presets were").arg(count) +
           " not saved, because the unit could not be confirmed to be on it: " + shown.join(", ") +
           ".";
}

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

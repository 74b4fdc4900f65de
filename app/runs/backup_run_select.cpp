// Before a run saves a preset, the unit must be on the preset the file will be
// named after: a select that was lost (a busy MIDI service, a unit that listens
// on another channel) would otherwise give a file holding another preset. The
// run asks for the unit's current preset number after each select, selects
// again when it differs, and leaves a preset it cannot confirm unsaved.
#include "app/runs/backup_run.h"
#include "app/window/unit_store.h"
#include "model/device_globals.h"
#include "model/hrz_messages.h"
#include "model/mpt.h"
#include "model/stream.h"

#include <QScopedValueRollback>

#include <algorithm>

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
TBackupRun::AwaitRunReply(const std::function<bool(const TMyMidiEvent&)>& wanted,
                          std::uint32_t waitMs) {
    // The owner's input handler stays out while this reads the input itself: a
    // run's request is sent from inside that handler, which would not come again.
    QScopedValueRollback readingHere(readingInput_, true);
    const std::uint32_t start = link_.Now();
    for (;;) {
        while (std::unique_ptr<TMyMidiEvent> event = link_.ReadEvent())
            if (wanted(*event))
                return event;
        if (!RunActive || link_.Now() - start >= waitMs)
            return nullptr;
        link_.Wait(5);
    }
}

int TBackupRun::AskRunPresetNumber() {
    link_.DiscardInput();
    link_.SendLong(ItemRequest(DeviceChannel, ItemPresetNumber));
    const auto wait = static_cast<std::uint32_t>(std::max(RequestDelay * 2, 200));
    const auto reply = AwaitRunReply(IsPresetNumberReply, wait);
    if (!reply)
        return -1;
    return ReportedPresetNumber(reply->Sysex[6], reply->Sysex.size() > 8 ? reply->Sysex[7] : 0);
}

bool TBackupRun::FetchRunTable() {
    RunTable.reset();
    const bool preExpress = PreExpressMode;
    link_.DiscardInput();
    link_.SendLong(MptRequest(DeviceChannel, preExpress));
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

int TBackupRun::ExpectedRunPreset() const {
    if (RunByPresetNumber)
        return RunPresetIndex + 1;
    if (!RunTable || RunPresetIndex < 0 || RunPresetIndex >= Tmpt::MptEntryCount(PreExpressMode))
        return -1;
    return (*RunTable)[static_cast<std::size_t>(RunPresetIndex)] + 1;
}

void TBackupRun::SendRunSelect() {
    if (RunByPresetNumber) {
        link_.SendLong(PresetSelect(DeviceChannel, RunPresetIndex));
        return;
    }
    for (const TShortMessage& m : ProgramSelect(RunPresetIndex))
        link_.SendShort(m.Status, m.Data1, m.Data2);
}

bool TBackupRun::SelectRunPreset() {
    const int expected = ExpectedRunPreset();
    const int number = RunPresetIndex + 1;
    int reached = -1;
    for (int attempt = 1; attempt <= kSelectAttempts; ++attempt) {
        SendRunSelect();
        link_.Wait(static_cast<std::uint32_t>(RequestDelay));
        if (!RunActive)
            return false;
        reached = AskRunPresetNumber();
        if (!RunActive)
            return false;
        if (expected > 0 && reached == expected)
            return true;
        if (attempt < kSelectAttempts)
            Tell(host_.AddLogLine,
                 reached < 0 ? QString("Preset #%1: the unit did not say which preset it is on; "
                                       "selecting it again")
                                   .arg(number)
                             : QString("Preset #%1: the unit is on preset %2; selecting it again")
                                   .arg(number)
                                   .arg(reached));
    }
    SkipUnconfirmedPreset(reached);
    return false;
}

void TBackupRun::SkipUnconfirmedPreset(int reached) {
    const int number = RunPresetIndex + 1;
    QString why;
    if (reached < 0)
        why = "the unit did not say which preset it is on";
    else
        why = QString("the unit stayed on preset %1").arg(reached);
    const QString text =
        QString("Preset #%1 could not be selected (%2): not saved").arg(number).arg(why);
    Tell(host_.AddLogLine, text);
    Tell(host_.ShowStatus, text);
    RunUnconfirmed << LocationText(PreExpressMode ? -1 : CurrentBank, number);
    // Counts as handled for the watchdog; the run goes on with the next preset
    // once this call has returned, so that a long row of them does not nest.
    LastReceptionTick = link_.Now();
    RunReceptionSeen = true;
    const int run = runNumber_;
    link_.Later([this, run] {
        if (RunActive && run == runNumber_)
            AdvanceRun();
    });
}

QString TBackupRun::UnconfirmedSummary() const {
    if (RunUnconfirmed.isEmpty())
        return {};
    const int count = static_cast<int>(RunUnconfirmed.size());
    QStringList shown = RunUnconfirmed.mid(0, 20);
    if (count > shown.size())
        shown << QString("and %1 more").arg(count - shown.size());
    return (count == 1 ? QString("1 preset was") : QString("%1 presets were").arg(count)) +
           " not saved, because the unit could not be confirmed to be on it: " + shown.join(", ") +
           ".";
}

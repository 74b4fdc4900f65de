// Pacing and time-outs of the requests to the unit, what the main window knows
// of the unit (online, bank, bypass, current preset), keys and received input.
#include "app/frm_main.h"
#include "controls/busy_cursor.h"
#include "controls/delay_with_messages.h"
#include "controls/tick_source.h"
#include "library/unit_recorder.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "model/device_globals.h"
#include "model/hrz_messages.h"
#include "model/unit_location.h"
#include "unit/virtual_unit_platform.h"

#include <QAction>
#include <QCoreApplication>
#include <QTimer>

using namespace HrzMessages;

namespace {

// Sets a flag for the lifetime of the guard, also when an exception leaves.
class TFlagGuard {
public:
    explicit TFlagGuard(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagGuard() { flag_ = false; }
    TFlagGuard(const TFlagGuard&) = delete;
    TFlagGuard& operator=(const TFlagGuard&) = delete;

private:
    bool& flag_;
};

std::uint8_t ByteAt(const std::vector<std::uint8_t>& bytes, std::size_t index) {
    return index < bytes.size() ? bytes[index] : 0;
}

} // namespace

// ---- Online check and status replies ----

void TfrmMain::CheckOnline() {
    if (!MidiOut || !MidiOut->IsOpen())
        return;
    // Shown again or a run started while a check waits: one check at a time,
    // or the pending count would be reset under the first one's replies.
    if (checkingOnline_)
        return;
    TFlagGuard checking(checkingOnline_);
    TBusyCursor busy;
    timPresetReq->setInterval(RequestDelay * 10);
    timPresetReq->start();
    PendingStatusReplies = 0;
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
    if (RunActive) {
        if (!RunReceptionSeen || tick::GetTickCount() - LastReceptionTick > kRunWatchdogMs) {
            const QString text = "Last request timed out; restarting";
            AddLogLine(text);
            ShowStatus(text);
            AddLogLine("Press Ctrl-c to abort");
            RequestPreset();
        }
        return;
    }
    if (PendingStatusReplies > 0) {
        PendingStatusReplies = 0;
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
    } else if (key == Qt::Key_C && RunActive &&
               (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier |
                         Qt::MetaModifier)) == Qt::ControlModifier) {
        AbortRun();
        key = 0;
    }
}

// ---- Input ----

void TfrmMain::MidiInputReceived(TMidiInput& sender) {
    // A notice that comes while a handler below waits is left to this loop.
    if (draining_)
        return;
    {
        TFlagGuard draining(draining_);
        // At most one ring's worth per call, so a flood cannot starve the window.
        for (int n = sender.Capacity(); n > 0 && sender.PendingEventCount() != 0; --n) {
            std::unique_ptr<TMyMidiEvent> event = sender.ReadEvent();
            if (!event)
                break;
            if (!RunActive && event->HasSysex() &&
                IsPresetDump(event->Sysex.data(), event->Sysex.size()))
                UnitRecorder::Record(event->Sysex,
                                     capturingDump_ ? "store check" : "from the unit");
            if (RunActive) {
                HandleRunEvent(std::move(event));
                continue;
            }
            if (capturingDump_ && event->HasSysex() &&
                IsPresetDump(event->Sysex.data(), event->Sysex.size())) {
                capturingDump_ = false;
                capturedDump_ = event->Sysex;
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

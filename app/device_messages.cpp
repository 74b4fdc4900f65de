// The main window's messages to the unit and the tests by which it knows
// what the unit sent back.
#include "app/frm_main.h"
#include "controls/delay_with_messages.h"
#include "midi/midi_input.h"
#include "midi/midi_output.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/hrz_messages.h"
#include "model/stream.h"
#include "model/unit_location.h"

#include <QAction>
#include <QScopedValueRollback>
#include <limits>

using namespace HrzMessages;

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

void TfrmMain::RequestPreset() {
    // The watchdog comes back during a select's waits: one select at a time.
    if (!RunActive || runSelecting_)
        return;
    {
        QScopedValueRollback selecting(runSelecting_, true);
        if (!SelectRunPreset())
            return;
    }
    // What came before the request cannot be its answer.
    DiscardPendingInput();
    SendBuiltMessage(CurrentPresetRequest(DeviceChannel));
    RunAwaitingDump = true;
    ShowStatus(QString("Requested preset #%1").arg(RunPresetIndex + 1));
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

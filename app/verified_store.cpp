// Storing a preset in the unit and reading it back: the location is selected,
// asked for and compared with what was stored, then the unit goes back to the
// preset it was on.
#include "app/frm_main.h"

#include "controls/delay_with_messages.h"
#include "controls/tick_source.h"
#include "library/unit_recorder.h"
#include "midi/midi_output.h"
#include "model/device_globals.h"
#include "model/dump_compare.h"
#include "model/hrz_messages.h"

#include <QAction>

#include <utility>

using namespace HrzMessages;

namespace {

// Two requests for one dump before the check gives up.
constexpr int kFetchAttempts = 2;

// Sets a flag for the lifetime of the guard, also when an exception leaves.
class TFlagOn {
public:
    explicit TFlagOn(bool& flag) : flag_(flag) { flag_ = true; }
    ~TFlagOn() { flag_ = false; }
    TFlagOn(const TFlagOn&) = delete;
    TFlagOn& operator=(const TFlagOn&) = delete;

private:
    bool& flag_;
};

} // namespace

bool TfrmMain::VerifyStores() const {
    return miVerifyStore && miVerifyStore->isChecked();
}

void TfrmMain::SelectPresetIndex(int index) {
    SendBuiltMessage(PresetSelect(DeviceChannel, index));
}

std::optional<std::vector<std::uint8_t>> TfrmMain::FetchPreset(int index) {
    // The reply wait follows the request delay, as the request timer does.
    const auto wait = static_cast<std::uint32_t>(RequestDelay) * 10;
    for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
        if (!MidiOut || !MidiOut->IsOpen())
            break;
        if (index >= 0) {
            SelectPresetIndex(index);
            DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
        }
        // What came before the request cannot be its answer.
        DiscardPendingInput();
        capturedDump_.reset();
        {
            TFlagOn capturing(capturingDump_);
            SendBuiltMessage(CurrentPresetRequest(DeviceChannel));
            const std::uint32_t start = tick::GetTickCount();
            while (!capturedDump_ && tick::GetTickCount() - start < wait)
                DelayWithMessages(5);
        }
        if (capturedDump_)
            return std::exchange(capturedDump_, std::nullopt);
    }
    return std::nullopt;
}

TStoreReport TfrmMain::StoreInUnit(const std::vector<std::uint8_t>& storeMessage, int location,
                                   std::vector<std::uint8_t> sent, int previous) {
    const bool checked = VerifyStores() && !RunActive && !checkingStore_;
    const int bank = PreExpressMode ? -1 : CurrentBank;
    // What the unit's edit buffer held: the dump sent first, or its own (asked
    // for by the check). The check's select replaces it, so it goes back.
    std::vector<std::uint8_t> held = sent;
    if (checked && held.empty()) {
        TFlagOn checking(checkingStore_);
        if (auto own = FetchPreset(-1))
            held = std::move(*own);
    }
    TRestoreResult result = StoreAndCheck(storeMessage, bank, location, held);
    if (!held.empty())
        NoteUnitTitle(bank, location,
                      QString::fromLatin1(PresetTitle(held.data(), held.size())).trimmed());
    if (checked && previous >= 1 && previous <= 256 && MidiOut && MidiOut->IsOpen()) {
        SelectPresetIndex(previous - 1);
        DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
        QString back = "the unit is back on " + LocationText(bank, previous);
        if (!held.empty() && MidiOut && MidiOut->IsOpen()) {
            SendBuiltMessage(held);
            back += " as it was";
        }
        if (result.Report.Verified())
            result.Report.Text += "; " + back;
        else
            result.Report.Text += "\n" + back.left(1).toUpper() + back.mid(1) + ".";
    }
    return result.Report;
}

TRestoreResult TfrmMain::StoreAndCheck(const std::vector<std::uint8_t>& storeMessage, int bank,
                                       int location, std::vector<std::uint8_t> sent) {
    using TOutcome = TStoreReport::TOutcome;
    TRestoreResult result;
    // A run's requests, or a check already waiting, would take this check's replies.
    const bool verify = VerifyStores() && !RunActive && !checkingStore_;
    if (!verify) {
        SendBuiltMessage(storeMessage);
        if (VerifyStores())
            result.Report = {TOutcome::NotChecked, "Stored; not verified while the unit is busy"};
        return result;
    }
    TFlagOn checking(checkingStore_);
    const QString where = "Location " + LocationText(bank, location);
    if (sent.empty()) {
        // The unit stores its own edit buffer: what it holds is what to expect.
        if (auto held = FetchPreset(-1))
            sent = std::move(*held);
    }
    SendBuiltMessage(storeMessage);
    DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
    result.ReadBack = FetchPreset(location - 1);
    const auto& back = result.ReadBack;
    // What the location holds now, whoever asked for the store; before the unit
    // has said which bank it is on, the location is not known.
    const bool known = PreExpressMode || bank >= 0;
    if (back)
        UnitRecorder::Record(*back, "verified store", known ? bank : -1, known ? location : 0);
    if (!back)
        result.Report = {TOutcome::NoAnswer, where + " was stored, but the unit did not send it "
                                                     "back to be checked."};
    else if (sent.empty())
        result.Report = {TOutcome::NoAnswer, where + " was stored, but the unit did not send "
                                                     "what it was about to store, so it could "
                                                     "not be checked."};
    else if (!DumpCompare::SameAsideChannel(sent, *back))
        result.Report = {TOutcome::Differs,
                         where + " was stored, but reads back with other bytes:\n" +
                             QString::fromStdString(
                                 DumpCompare::DifferenceLines(sent, *back, "stored", "read back"))};
    else
        result.Report = {TOutcome::Verified, "Stored and verified"};
    return result;
}

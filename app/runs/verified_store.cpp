#include "app/runs/verified_store.h"

#include "app/runs/backup_run.h"
#include "controls/busy_cursor.h"
#include "editor/frm_preset_editor.h"
#include "library/unit_recorder.h"
#include "model/device_globals.h"
#include "model/dump_compare.h"
#include "model/hrz_messages.h"

#include <QScopedValueRollback>

#include <algorithm>
#include <utility>

using namespace HrzMessages;

namespace {

// Two requests for one dump before the check gives up.
constexpr int kFetchAttempts = 2;

} // namespace

TVerifiedStore::TVerifiedStore(IUnitLink& link, TRunHost& host, const TBackupRun& run,
                               int& currentBank)
    : link_(link), host_(host), run_(run), currentBank_(currentBank) {}

bool TVerifiedStore::Verifying() const {
    return host_.VerifyStores && host_.VerifyStores();
}

void TVerifiedStore::SelectPresetIndex(int index) {
    link_.SendLong(PresetSelect(DeviceChannel, index));
}

void TVerifiedStore::TakeDump(const std::vector<std::uint8_t>& dump) {
    capturingDump_ = false;
    capturedDump_ = dump;
}

std::optional<std::vector<std::uint8_t>> TVerifiedStore::FetchPreset(int index) {
    // The reply wait follows the request delay, as the request timer does.
    const auto wait = static_cast<std::uint32_t>(RequestDelay) * 10;
    for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
        if (!link_.OutputOpen())
            break;
        if (index >= 0) {
            SelectPresetIndex(index);
            link_.Wait(static_cast<std::uint32_t>(RequestDelay));
        }
        // What came before the request cannot be its answer.
        link_.DiscardInput();
        capturedDump_.reset();
        {
            QScopedValueRollback capturing(capturingDump_, true);
            link_.SendLong(CurrentPresetRequest(DeviceChannel));
            const std::uint32_t start = link_.Now();
            while (!capturedDump_ && link_.Now() - start < wait)
                link_.Wait(5);
        }
        if (capturedDump_)
            return std::exchange(capturedDump_, std::nullopt);
    }
    return std::nullopt;
}

TStoreReport TVerifiedStore::StoreInUnit(const std::vector<std::uint8_t>& storeMessage,
                                         int location, std::vector<std::uint8_t> sent,
                                         int previous) {
    const bool checked = Verifying() && !run_.RunActive && !checkingStore_;
    const int bank = PreExpressMode ? -1 : currentBank_;
    // What the unit's edit buffer held: the dump sent first, or its own (asked
    // for by the check). The check's select replaces it, so it goes back.
    std::vector<std::uint8_t> held = sent;
    if (checked && held.empty()) {
        QScopedValueRollback checking(checkingStore_, true);
        if (auto own = FetchPreset(-1))
            held = std::move(*own);
    }
    TRestoreResult result = StoreAndCheck(storeMessage, bank, location, held);
    if (!held.empty())
        Tell(host_.NoteUnitTitle, bank, location,
             QString::fromLatin1(PresetTitle(held.data(), held.size())).trimmed());
    if (checked && previous >= 1 && previous <= 256 && link_.OutputOpen()) {
        SelectPresetIndex(previous - 1);
        link_.Wait(static_cast<std::uint32_t>(RequestDelay));
        QString back = "the unit is back on " + LocationText(bank, previous);
        if (!held.empty() && link_.OutputOpen()) {
            link_.SendLong(held);
            back += " as it was";
        }
        if (result.Report.Verified())
            result.Report.Text += "; " + back;
        else
            result.Report.Text += "\n" + back.left(1).toUpper() + back.mid(1) + ".";
    }
    return result.Report;
}

TRestoreResult TVerifiedStore::StoreAndCheck(const std::vector<std::uint8_t>& storeMessage,
                                             int bank, int location,
                                             std::vector<std::uint8_t> sent) {
    using TOutcome = TStoreReport::TOutcome;
    TRestoreResult result;
    // A run's requests, or a check already waiting, would take this check's replies.
    const bool verify = Verifying() && !run_.RunActive && !checkingStore_;
    if (!verify) {
        link_.SendLong(storeMessage);
        if (Verifying())
            result.Report = {TOutcome::NotChecked, "Stored; not verified while the unit is busy"};
        return result;
    }
    QScopedValueRollback checking(checkingStore_, true);
    const QString where = "Location " + LocationText(bank, location);
    if (sent.empty()) {
        // The unit stores its own edit buffer: what it holds is what to expect.
        if (auto held = FetchPreset(-1))
            sent = std::move(*held);
    }
    link_.SendLong(storeMessage);
    link_.Wait(static_cast<std::uint32_t>(RequestDelay));
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

std::vector<TRestoreResult>
TVerifiedStore::RestoreIntoUnit(const std::vector<TRestoreItem>& items) {
    TBusyCursor busy;
    const int previous = host_.QueryCurrentPresetNumber ? host_.QueryCurrentPresetNumber() : -1;
    const int bankBefore = currentBank_;
    int bankNow = bankBefore;
    // Bank by bank: each bank is selected once.
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return items[a].Bank < items[b].Bank; });

    std::vector<TRestoreResult> results(items.size());
    for (std::size_t i : order) {
        const TRestoreItem& item = items[i];
        if (!link_.OutputOpen())
            break;
        if (!PreExpressMode && item.Bank >= 0 && item.Bank != bankNow) {
            Tell(host_.SelectBank, item.Bank);
            bankNow = item.Bank;
            link_.Wait(static_cast<std::uint32_t>(RequestDelay));
        }
        // The file's preset goes into the edit buffer on the unit's channel, then
        // the editor's store message puts it at its location.
        std::vector<std::uint8_t> dump = item.Dump;
        if (dump.size() > 2)
            dump[2] = DeviceChannel;
        link_.SendLong(dump);
        link_.Wait(static_cast<std::uint32_t>(RequestDelay));
        results[i] = StoreAndCheck(TfrmPresetEditor::StoreMessage(item.Number), item.Bank,
                                   item.Number, dump);
    }
    if (link_.OutputOpen()) {
        if (!PreExpressMode && bankBefore >= 0 && bankNow != bankBefore) {
            Tell(host_.SelectBank, bankBefore);
            link_.Wait(static_cast<std::uint32_t>(RequestDelay));
        }
        if (previous >= 1) {
            SelectPresetIndex(previous - 1);
            link_.Wait(static_cast<std::uint32_t>(RequestDelay));
        }
    }
    return results;
}

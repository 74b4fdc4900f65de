#pragma once
// Storing a preset in the unit and reading it back: the location is selected,
// asked for and compared with what was stored, then the unit goes back to the
// preset it was on. The owner hands the one dump a check waits for to
// TakeDump while Capturing() says so.
#include "app/runs/run_host.h"
#include "app/runs/unit_link.h"
#include "app/window/unit_store.h"

#include <cstdint>
#include <optional>
#include <vector>

class TBackupRun;

class TVerifiedStore {
public:
    // A run's requests would take a check's replies: with run active it stores unchecked.
    TVerifiedStore(IUnitLink& link, TRunHost& host, const TBackupRun& run, int& currentBank);

    // Sends the store message for location 1..200 of the unit's current bank; with
    // verification on, reads the location back, compares it with sent (empty: the
    // unit's edit buffer, asked for first) and selects previous (1..256) again.
    TStoreReport StoreInUnit(const std::vector<std::uint8_t>& storeMessage, int location,
                             std::vector<std::uint8_t> sent, int previous);
    // The store and its check alone, for location of bank (text only), with what
    // the unit sent back; the unit stays on the stored location.
    TRestoreResult StoreAndCheck(const std::vector<std::uint8_t>& storeMessage, int bank,
                                 int location, std::vector<std::uint8_t> sent);
    // Each dump into the edit buffer and stored at its location (bank by bank),
    // checked; then the unit's bank and preset from before. The output must be open.
    std::vector<TRestoreResult> RestoreIntoUnit(const std::vector<TRestoreItem>& items);
    // Selects the 0-based preset index (-1: stays on the current one), asks for it
    // and waits; nothing when two requests got no dump.
    std::optional<std::vector<std::uint8_t>> FetchPreset(int index);
    void SelectPresetIndex(int index);

    // A check waits for a preset dump from the unit.
    bool Capturing() const { return capturingDump_; }
    void TakeDump(const std::vector<std::uint8_t>& dump);

private:
    bool Verifying() const;

    IUnitLink& link_;
    TRunHost& host_;
    const TBackupRun& run_;
    int& currentBank_;
    bool capturingDump_ = false;
    bool checkingStore_ = false;
    std::optional<std::vector<std::uint8_t>> capturedDump_;
};

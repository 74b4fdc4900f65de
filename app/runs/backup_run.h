#pragma once
// The run that walks the unit's presets: each preset is selected, confirmed,
// asked for, and saved, printed in the preset list or kept for a comparison;
// the request timer repeats a request that got no answer. It reaches the unit
// through an IUnitLink and tells its owner what happens through a TRunHost.
#include "app/runs/compare_run.h"
#include "app/runs/run_choices.h"
#include "app/runs/run_host.h"
#include "app/runs/unit_link.h"
#include "model/backup_journal.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TBackupRun {
public:
    // A run's request that got no preset for this long is sent again.
    static constexpr std::uint32_t kRunWatchdogMs = 10000;

    // currentBank is the owner's knowledge of the unit's bank, which the run moves.
    TBackupRun(IUnitLink& link, TRunHost& host, int& currentBank);

    // Everything after the dialog: folders, the journal's offer to continue,
    // the banks, the program table; then the first request. compare keeps the
    // presets for a comparison with the choices' folder instead.
    void Start(const TRunChoices& choices, bool compare);
    // An event the owner received while the run is active.
    void HandleRunEvent(std::unique_ptr<TMyMidiEvent> event);
    // Selects the run's current preset, waits, then asks for it.
    void RequestPreset();
    // The request timer fired during the run.
    void WatchdogFired();
    void HandleRunPreset();
    // After a preset is handled: the next one, the next bank, or the end.
    void AdvanceRun();
    void NextSelectedBank();
    void EndRun();
    void AbortRun();
    // Closing during a run: whether the user agrees to stop it.
    bool AskToStop();
    // The ports close: nothing may reach for them, the list printed so far is kept.
    void CloseDevices();
    // Opens (true) or ends (false) the preset list's print job.
    void SetPrintActive(bool flag);
    // The run reads the input itself now; the owner leaves it alone.
    bool ReadingInput() const { return readingInput_; }
    bool Comparing() const { return compare_.Active; }
    // The 1-based preset the run's current step must find the unit on; -1 unknown.
    int ExpectedRunPreset() const;
    // What the closing message says of the presets left unsaved; empty for none.
    QString UnconfirmedSummary() const;

    // ---- State ----
    // Set by the owner while it prepares a run (the dialog, the online check).
    bool Starting = false;
    bool RunActive = false;
    bool RunSaveFiles = false;
    bool PrintActive = false;
    bool RunByPresetNumber = true;
    std::array<bool, 4> RunBanks{};
    int RunPresetIndex = 0;
    int RunLastIndex = 0;
    int OriginalBank = -1;
    int& CurrentBank;
    QString OutputDirectory;
    QString UntitledName;
    // Tick of the last preset a run handled; none yet counts as long ago.
    std::uint32_t LastReceptionTick = 0;
    bool RunReceptionSeen = false;
    // The run's request is out and its dump not yet taken: one dump per request.
    bool RunAwaitingDump = false;
    // For the progress shown in the status bar.
    int RunPresetsDone = 0;
    int RunPresetsTotal = 0;
    // Locations ("A 016") the run left unsaved: the unit could not be confirmed on them.
    QStringList RunUnconfirmed;
    // A run by program change: the unit's table, read when the run starts.
    std::optional<std::array<std::int32_t, 200>> RunTable;

private:
    void Message(const QString& text, const QString& caption);
    void StopRun();
    void TouchFolder(const QString& path, const QString& bank);
    QString BankFolder(int bank) const;
    void SavePresetFile(const QString& name);
    void PrintPresetLine(const QString& title);
    void BeginPresetList();
    void PrintListColumnHeads();
    void ShowRunProgress();
    // A saving run's journal: offers to continue an earlier run with the same
    // choices (false: the user cancelled), then notes every preset handled.
    bool OfferToContinue(int first, int last, std::optional<TRunPosition>& resume);
    void NoteInJournal();
    std::string JournalFolder() const;
    void ShowComparison();

    // ---- Confirming the run's presets (backup_run_select.cpp) ----
    // Selects the run's preset until the unit reports being on it; false when
    // it could not be confirmed (then it is logged, counted and skipped) or the
    // run stopped.
    bool SelectRunPreset();
    void SendRunSelect();
    // The unit's current preset number, read during a run; -1 without an answer.
    int AskRunPresetNumber();
    // The unit's program table, for a run by program change; false without one.
    bool FetchRunTable();
    void SkipUnconfirmedPreset(int reached);
    // Reads the input until an event passes wanted, or waitMs pass.
    std::unique_ptr<TMyMidiEvent>
    AwaitRunReply(const std::function<bool(const TMyMidiEvent&)>& wanted, std::uint32_t waitMs);

    IUnitLink& link_;
    TRunHost& host_;
    std::vector<std::uint8_t> dump_; // the preset being handled
    int runNumber_ = 0;
    bool runSelecting_ = false;
    bool readingInput_ = false;
    TBackupJournal runJournal_;
    bool journalActive_ = false;
    TCompareRun compare_;
};

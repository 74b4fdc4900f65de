#pragma once
// The small journal a backup run keeps in its output folder: the run's choices
// and the last preset it handled. A run that ended early (aborted, the unit
// silent, the program closed or killed) can then continue where it stopped; a
// finished run removes it.
#include <array>
#include <optional>
#include <string>

struct TBackupChoices {
    std::array<bool, 4> Banks{}; // A..D; Pre-Express has one bank, kept as A
    int First = 1;               // 1-based range; further banks start at 1
    int Last = 200;
    bool ByPresetNumber = true;
    std::string UntitledName; // empty: untitled presets are skipped
    bool PreExpress = false;

    bool operator==(const TBackupChoices&) const = default;
};

struct TBackupJournal {
    TBackupChoices Choices;
    // The last preset handled (saved, or skipped as untitled): bank 0..3 and
    // 1-based number; bank -1 while none is.
    int LastBank = -1;
    int LastNumber = 0;
};

// Where a run goes on: bank 0..3 and 0-based preset index.
struct TRunPosition {
    int Bank = 0;
    int Index = 0;
    bool operator==(const TRunPosition&) const = default;
};

inline constexpr const char* BackupJournalFileName = "HRZ2000e backup journal.txt";

std::string FormatBackupJournal(const TBackupJournal& journal);
// Nothing when the text is not a journal or is damaged.
std::optional<TBackupJournal> ParseBackupJournal(const std::string& text);

// folder ends with a separator or not. Reading a missing or damaged journal gives
// nothing; writing is atomic and throws EFCreateError; removing a missing one is fine.
std::optional<TBackupJournal> ReadBackupJournal(const std::string& folder);
void WriteBackupJournal(const std::string& folder, const TBackupJournal& journal);
void RemoveBackupJournal(const std::string& folder);

// The preset after the journal's last one, in the run's order (the first bank from
// First, further chosen banks from 1). Nothing when none was handled yet or the
// last one was the run's end.
std::optional<TRunPosition> ResumePosition(const TBackupJournal& journal);
// Presets of the run before position, for its progress.
int PresetsBefore(const TBackupChoices& choices, const TRunPosition& position);

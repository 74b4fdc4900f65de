#pragma once
// The library: every distinct preset the user has ever had, the files and offsets
// that hold each one, and the history of the unit's memory. One SQLite file in the
// user's data folder; every change is one transaction, so a killed program leaves
// the library as it was after the last completed change.
#include "library/preset_facts.h"
#include "library/sqlite_db.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct TLibraryRow {
    std::int64_t Id = 0;
    std::string Title; // UTF-8
    int Group = -1;
    std::uint32_t AnalogMask = 0;
    std::uint32_t DigitalMask = 0;
    std::string Effects;       // "Compressor, Distortion, Reverb 1"
    std::string Locations;     // "A-042, B-007; 3 files"
    std::int64_t LastSeen = 0; // seconds since 1970 (UTC)
};

// One place a preset was found: a file (with the offset of its dump) or the unit.
struct TPresetLocation {
    bool FromUnit = false;
    std::string Path;        // file
    std::int64_t Offset = 0; // of the dump in the file
    std::string State;       // "ok", "vanished", "changed" (files)
    int Bank = -1;           // 0..3, -1 none or single-bank unit
    int Number = 0;          // 1..200, 0 unknown
    std::int64_t Time = 0;   // unit: when it came; file: when last added
    std::string Source;      // unit: "backup run", "current preset", ...
};

struct TSkippedFile {
    std::string Path;
    std::string Reason;
};

struct TAddReport {
    int Files = 0;                     // preset files looked at
    int Read = 0;                      // of which read (new or changed)
    int Unchanged = 0;                 // known and not changed since the last add
    int Presets = 0;                   // dumps found in the files read
    int NewPresets = 0;                // of which not in the library before
    std::vector<TSkippedFile> Skipped; // damaged or not preset files, with the reason
    std::vector<std::string> Changed;  // known files whose content changed
    std::vector<std::string> Vanished; // known files that are gone
    bool Cancelled = false;
};

struct TAddProgress {
    int Done = 0;
    int Total = 0;
    std::string Path;
};

struct THistoryEntry {
    std::int64_t Time = 0;
    std::int64_t PresetId = 0;
    std::string Title;
    std::string Source;
};

// One location of a bank that a restore would change.
struct TRestoreStep {
    int Number = 0;            // 1..200
    std::int64_t PresetId = 0; // what it held at the date
    std::string Title;
    std::string CurrentTitle;       // what the library last saw there ("" unknown)
    std::vector<std::uint8_t> Dump; // to store
};

struct TDuplicateGroup {
    std::vector<TLibraryRow> Presets; // the same sound under different titles
};

class TPresetLibrary {
public:
    static constexpr int SchemaVersion = 2;

    // Opens the library at path, creating it and its folder when missing. A file
    // that fails its integrity check is moved aside (never deleted) and a new
    // library is started; *notice then says so, naming both files.
    explicit TPresetLibrary(const std::string& path, std::string* notice = nullptr);
    ~TPresetLibrary();

    const std::string& Path() const { return path_; }
    // The clock (seconds since 1970) used for new records; tests set their own.
    void SetClock(std::function<std::int64_t()> clock) { clock_ = std::move(clock); }

    // Adds files and folders (recursively: .hrz, .hrzNNN, .syx). Files known from an
    // earlier add are read again only when their size or time changed; known files
    // that are gone are reported and their holdings dropped. progress may set
    // cancel; what was added before stays (each batch of files is one transaction).
    TAddReport Add(const std::vector<std::string>& paths,
                   const std::function<void(const TAddProgress&)>& progress = {},
                   const std::atomic<bool>* cancel = nullptr);

    // Records a preset that came from the unit. bank -1 for the single-bank model,
    // number 0 when the location is not known. Returns the preset's id.
    std::int64_t RecordFromUnit(std::span<const std::uint8_t> dump, std::string_view source,
                                int bank, int number);

    // The ids of the presets a query finds, in the order they came into the library.
    // Throws ELibraryQueryError for a query that cannot be read.
    std::vector<std::int64_t> Search(std::string_view query);
    std::vector<TLibraryRow> Rows(std::span<const std::int64_t> ids);
    std::vector<std::uint8_t> Dump(std::int64_t id);
    std::vector<TPresetLocation> Locations(std::int64_t id);
    std::int64_t PresetCount();

    // What a location of the unit held over time, oldest first.
    std::vector<THistoryEntry> History(int bank, int number);
    // The presets bank held on the given date (the last record of each location at
    // or before it) where they differ from what the library last saw there.
    std::vector<TRestoreStep> RestorePlan(int bank, std::int64_t time);

    std::vector<TDuplicateGroup> Duplicates();

    // "ok", or what SQLite's full integrity check found.
    std::string IntegrityCheck();

    TSqliteDb& Db() { return *db_; }

private:
    struct TStatements;
    std::int64_t UpsertPreset(const TPresetFacts& facts, std::int64_t now,
                              bool* inserted = nullptr);
    void OpenChecked(std::string* notice);
    void Migrate();

    std::string path_;
    std::unique_ptr<TSqliteDb> db_;
    std::unique_ptr<TStatements> st_;
    std::function<std::int64_t()> clock_;
};

// "A-042" (bank 0..3) or "042" (single bank).
std::string UnitLocationText(int bank, int number);
// Reads "A-042", "a42", "B 7", "042" (single bank: bank -1); false when it is not one.
bool ParseUnitLocation(std::string_view text, int& bank, int& number);
// Where the library lives: the user's data folder, beside the virtual unit's memory.
std::string DefaultLibraryPath();

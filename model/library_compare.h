#pragma once
// Two collections of presets side by side, location by location: the unit and
// a backup folder (the comparison window), or two backup folders (hrzctl diff).
// Standard library only.
#include "model/backup_folder.h"
#include "model/preset_diff.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

enum class TCompareState {
    Same,    // equal dumps (the channel byte aside), or neither side holds one
    Differs, // both hold a preset, and they differ
    OnlyInA, // "only on the unit" in the window
    OnlyInB, // "only in the folder" in the window
};

struct TCompareSide {
    bool Present = false;
    std::vector<std::uint8_t> Dump; // also kept when not Present (an untitled preset)
    std::string Title;              // Latin-1, as the dump holds it
    std::string Path;               // file path (folder sides)
    std::string Name;               // file name (folder sides)
    std::string Problem;            // a file that is not a preset dump
};

struct TCompareRow {
    int Bank = -1;  // 0..3; -1 for a Pre-Express unit's single bank
    int Number = 0; // 1..200
    TCompareSide A;
    TCompareSide B;
    TCompareState State = TCompareState::Same;
};

// The unit's side of a location: it counts as present when the backup run would
// save it (a title, or a name for untitled presets).
TCompareSide UnitSide(std::vector<std::uint8_t> dump, const std::string& untitledName);
TCompareSide FolderSide(const TFolderPreset& file);

TCompareState CompareSides(const TCompareSide& a, const TCompareSide& b);

// "same", "differs", then the two "only ..." texts with the names given.
std::string CompareStateText(TCompareState state, const std::string& onlyInA,
                             const std::string& onlyInB);

// What differs in a row that differs, A's text first, in the editor's value texts
// (as hrzctl diff gives them), the channel byte left out; a file that holds no
// preset dump is one item saying so.
std::vector<TDiffItem> RowDifferences(const TCompareRow& row);

struct TCompareCounts {
    std::array<int, 4> ByState{}; // indexed by TCompareState
    int Total() const { return ByState[0] + ByState[1] + ByState[2] + ByState[3]; }
    int NotSame() const { return Total() - ByState[0]; }
};
TCompareCounts CountStates(const std::vector<TCompareRow>& rows);

// Two backup folders, every location either of them holds a preset file for: the
// bank subfolders "Bank A".."Bank D", or the folders themselves when neither has a
// bank subfolder (a Pre-Express backup).
std::vector<TCompareRow> CompareBackupFolders(const std::string& folderA,
                                              const std::string& folderB);

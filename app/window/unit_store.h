#pragma once
// Presets put back into the unit from a backup folder, and what came of each.
#include "editor/editor_operations.h"

#include <cstdint>
#include <optional>
#include <vector>

// "A 005"; "005" for the single bank of a Pre-Express unit (bank -1) or an unknown one.
QString LocationText(int bank, int number);

struct TRestoreItem {
    int Bank = -1;  // 0..3; -1 for a Pre-Express unit
    int Number = 0; // 1..200
    std::vector<std::uint8_t> Dump;
};

struct TRestoreResult {
    TStoreReport Report;
    // What the unit sent back when the store was checked.
    std::optional<std::vector<std::uint8_t>> ReadBack;
};

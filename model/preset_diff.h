#pragma once
// What differs between two presets, item by item, in the texts the editor shows.
#include "model/preset.h"

#include <string>
#include <vector>

struct TDiffItem {
    std::string Section; // "title", "mix", "analog", "digital", "fb7", "performance", "dump"
    std::string Label;   // "Compressor Drive:", "Digital group", ...
    std::string A;       // text in the first preset (UTF-8)
    std::string B;
};

// Empty when the presets are equal. Parameters of digital effects are compared where
// both groups hold the effect; a change of group is one item of its own. When nothing
// a user would see differs but the dumps do, one "dump" item lists the offsets.
std::vector<TDiffItem> DiffPresets(const TPreset& a, const TPreset& b);

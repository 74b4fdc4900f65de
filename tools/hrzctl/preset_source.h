#pragma once
// The presets of a file given on the command line, with where they sit in it.
#include "model/preset.h"
#include "tools/hrzctl/input_file.h"

#include <string>
#include <vector>

struct TPresetItem {
    int Ordinal = 1;     // 1-based among the file's preset dumps
    int CountInFile = 1; // preset dumps in the file
    std::size_t Offset = 0;
    TPreset Preset;
};

// All preset dumps of the file, in file order. Messages that are not preset dumps
// and framing problems become warnings. Throws EHrzError naming the file when it
// holds no preset dump at all.
std::vector<TPresetItem> PresetsOf(const TInputFile& file, bool preExpress,
                                   std::vector<std::string>& warnings);

// "FILE" for a file of one preset, "FILE, preset 3 of 200" otherwise.
std::string PresetName(const std::string& path, const TPresetItem& item);

#pragma once
// The presets a virtual unit ships with: deterministic, varied and valid, so
// that every editor page, title rule and file name rule gets exercised.
#include "model/preset.h"

#include <array>
#include <cstdint>
#include <string>

// The factory dump of a location (bank 0..3, index 0..199) of the given model.
std::array<std::uint8_t, TPreset::DumpSize> FactoryPresetDump(int bank, int index, bool preExpress);
// Its title ("" for the untitled ones).
std::string FactoryPresetTitle(int bank, int index);

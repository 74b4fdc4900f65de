#pragma once
// What the library knows of a preset dump without building a TPreset: its
// identity (the dump with the channel byte cleared), its sound (identity without
// the title), and the facts search looks at. Reads the bytes directly, because
// an add of a hundred thousand files and every search go through here.
#include "model/preset.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

using TDumpBytes = std::array<std::uint8_t, TPreset::DumpSize>;

struct TPresetFacts {
    TDumpBytes Dump{};             // byte 2 (the channel) set to 0
    std::uint64_t Key = 0;         // hash of Dump
    std::uint64_t SoundKey = 0;    // hash of Dump without the title
    std::string Title;             // UTF-8, trimmed as the editor reads it
    int Group = -1;                // as stored; not checked
    std::uint32_t AnalogMask = 0;  // bit i: analog effect i switched on
    std::uint32_t DigitalMask = 0; // bit e: digital effect e of the group switched on
    std::vector<int> Controllers;  // controllers of the performance entries in use
};

// A 252-byte preset dump (header bytes checked as TPreset::ReadDump does).
bool IsPresetDumpBytes(std::span<const std::uint8_t> bytes);
// Throws EInvalidData "Not a valid preset file" when the bytes are not a dump.
TPresetFacts FactsOfDump(std::span<const std::uint8_t> bytes);

std::uint64_t HashBytes(std::span<const std::uint8_t> bytes);

namespace DumpFields {
// The value of slot P0..P51 (low byte + 128 × high byte, as the dump holds them).
int Slot(std::span<const std::uint8_t> dump, int slot);
int Group(std::span<const std::uint8_t> dump);
bool AnalogOn(std::span<const std::uint8_t> dump, int analogEffect);
bool DigitalActive(std::span<const std::uint8_t> dump, int position);
// The raw value of catalogue parameter 1..163 when its effect is switched on in
// this preset (mix parameters always), nothing otherwise.
std::optional<int> ActiveParam(std::span<const std::uint8_t> dump, int number);
} // namespace DumpFields

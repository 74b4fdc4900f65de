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

// The stored form of a dump: 141 bytes and one for each pair whose high byte is
// not 0, instead of 252 (most high bytes and every other title byte are 0). Only
// dumps with a right header are packed; bytes 0, 1, 3 and 4 are implied.
std::vector<std::uint8_t> PackDump(std::span<const std::uint8_t> dump);
// False when the bytes are not a packed dump.
bool UnpackDump(std::span<const std::uint8_t> packed, TDumpBytes& dump);

// Byte access to a packed dump without unpacking it (search reads a few bytes of
// every preset).
class TPackedDump {
public:
    static constexpr int PairCount = 123; // bytes 5..250
    static constexpr int FixedSize = 2 + 16 + PairCount;
    explicit TPackedDump(std::span<const std::uint8_t> packed);
    bool Valid() const { return valid_; }
    std::uint8_t operator[](int offset) const;

private:
    std::span<const std::uint8_t> p_;
    bool valid_ = false;
};

namespace DumpFields {

template <typename D> int Pair(const D& d, int offset) {
    return d[offset] + 128 * d[offset + 1];
}
// The value of slot P0..P51 (low byte + 128 x high byte, as the dump holds them).
template <typename D> int Slot(const D& d, int slot) {
    return Pair(d, TPreset::OffsetParams + 2 * slot);
}
template <typename D> int Group(const D& d) {
    return Pair(d, 13);
}
template <typename D> bool AnalogOn(const D& d, int i) {
    if (i < 7)
        return (d[9] >> i) & 1;
    if (i == 7)
        return d[10] & 1;
    return (d[11] >> (i - 8)) & 1;
}
template <typename D> bool DigitalActive(const D& d, int j) {
    return (d[15] >> j) & 1;
}

// Where catalogue parameter 1..163 lives in a preset of group g: its slot, or -1
// when the group does not hold its effect; *position is the effect's position in
// the group's row. Mix and analog parameters have fixed slots.
int SlotOf(int number, int group, int* position);

// The raw value of catalogue parameter 1..163 when its effect is switched on in
// this preset (mix parameters always), nothing otherwise.
template <typename D> std::optional<int> ActiveParam(const D& d, int number, int analogEffect) {
    int position = -1;
    const int slot = SlotOf(number, Group(d), &position);
    if (slot < 0)
        return std::nullopt;
    if (analogEffect >= 0 && !AnalogOn(d, analogEffect))
        return std::nullopt;
    if (position >= 0 && !DigitalActive(d, position))
        return std::nullopt;
    return Slot(d, slot);
}
std::optional<int> ActiveParam(std::span<const std::uint8_t> dump, int number);

} // namespace DumpFields

#include "library/preset_facts.h"

#include "model/catalogue.h"
#include "model/digital_groups.h"
#include "model/errors.h"
#include "model/latin1_text.h"

namespace {

int Pair(std::span<const std::uint8_t> d, int offset) {
    return d[offset] + 128 * d[offset + 1];
}

bool Bit(std::uint8_t byte, int bit) {
    return (byte >> bit) & 1;
}

} // namespace

std::uint64_t HashBytes(std::span<const std::uint8_t> bytes) {
    // FNV-1a: identity is decided by comparing the bytes, the hash only finds candidates.
    std::uint64_t h = 14695981039346656037ull;
    for (const auto b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

bool IsPresetDumpBytes(std::span<const std::uint8_t> bytes) {
    return TPreset::IsPresetDump(bytes.data(), bytes.size());
}

namespace DumpFields {

int Slot(std::span<const std::uint8_t> dump, int slot) {
    return Pair(dump, TPreset::OffsetParams + 2 * slot);
}

int Group(std::span<const std::uint8_t> dump) {
    return Pair(dump, 13);
}

bool AnalogOn(std::span<const std::uint8_t> dump, int i) {
    if (i < 7)
        return Bit(dump[9], i);
    if (i == 7)
        return Bit(dump[10], 0);
    return Bit(dump[11], i - 8);
}

bool DigitalActive(std::span<const std::uint8_t> dump, int j) {
    return Bit(dump[15], j);
}

std::optional<int> ActiveParam(std::span<const std::uint8_t> dump, int number) {
    const TParamInfo* info = Catalogue::FindByNumber(number);
    if (!info)
        return std::nullopt;
    if (info->Section == TParamSection::Mix)
        return Slot(dump, info->Slot);
    if (info->Section == TParamSection::Analog) {
        if (!AnalogOn(dump, info->Effect))
            return std::nullopt;
        return Slot(dump, info->Slot);
    }
    const int g = Group(dump);
    if (g < 0 || g >= DigitalGroups::RowCount)
        return std::nullopt;
    const auto& row = DigitalGroups::Row(g);
    for (int j = 0; j < DigitalGroups::RowLength; ++j) {
        if (row[j] != info->Effect)
            continue;
        if (!DigitalActive(dump, j))
            return std::nullopt;
        const int offset = DigitalGroups::SlotOffset(g, info->Effect);
        return Slot(dump, TPreset::FirstDigitalSlot + offset + info->IndexInEffect);
    }
    return std::nullopt;
}

} // namespace DumpFields

TPresetFacts FactsOfDump(std::span<const std::uint8_t> bytes) {
    if (!IsPresetDumpBytes(bytes))
        throw EInvalidData("Not a valid preset file");
    TPresetFacts facts;
    std::copy(bytes.begin(), bytes.begin() + TPreset::DumpSize, facts.Dump.begin());
    facts.Dump[2] = 0;
    const std::span<const std::uint8_t> d(facts.Dump);
    facts.Key = HashBytes(d);
    TDumpBytes sound = facts.Dump;
    std::fill(sound.begin() + TPreset::OffsetTitle, sound.begin() + TPreset::OffsetPerfEnabled, 0);
    facts.SoundKey = HashBytes(sound);
    facts.Title = Latin1ToUtf8(PresetTitle(facts.Dump.data(), facts.Dump.size()));

    facts.Group = DumpFields::Group(d);
    for (int i = 0; i < TPreset::AnalogCount; ++i)
        if (DumpFields::AnalogOn(d, i))
            facts.AnalogMask |= 1u << i;
    if (facts.Group >= 0 && facts.Group < DigitalGroups::RowCount) {
        const auto& row = DigitalGroups::Row(facts.Group);
        for (int j = 0; j < DigitalGroups::RowLength; ++j)
            if (row[j] >= 0 && DumpFields::DigitalActive(d, j))
                facts.DigitalMask |= 1u << row[j];
    }
    for (int k = 0; k < TPreset::PerfCount; ++k) {
        const bool used = k < 7 ? Bit(d[TPreset::OffsetPerfEnabled], k)
                                : Bit(d[TPreset::OffsetPerfEnabled + 1], 0);
        if (used)
            facts.Controllers.push_back(
                Pair(d, TPreset::OffsetPerfEntries + TPreset::PerfEntrySize * k));
    }
    return facts;
}

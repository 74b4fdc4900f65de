#include "library/preset_facts.h"

#include "model/catalogue.h"
#include "model/digital_groups.h"
#include "model/errors.h"
#include "model/latin1_text.h"

#include <array>
#include <bit>

namespace {

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

namespace {

int ComputeSlotOf(int number, int group, int* position) {
    *position = -1;
    const TParamInfo* info = Catalogue::FindByNumber(number);
    if (!info)
        return -1;
    if (info->Section != TParamSection::Digital)
        return info->Slot;
    if (group < 0 || group >= DigitalGroups::RowCount)
        return -1;
    const auto& row = DigitalGroups::Row(group);
    for (int j = 0; j < DigitalGroups::RowLength; ++j)
        if (row[j] == info->Effect) {
            *position = j;
            return TPreset::FirstDigitalSlot + DigitalGroups::SlotOffset(group, info->Effect) +
                   info->IndexInEffect;
        }
    return -1;
}

// Looked up for every preset a search reads: worked out once.
struct TSlotTable {
    std::array<std::array<std::int8_t, DigitalGroups::RowCount>, Catalogue::ParamCount + 1> Slot{};
    std::array<std::array<std::int8_t, DigitalGroups::RowCount>, Catalogue::ParamCount + 1>
        Position{};
};

const TSlotTable& SlotTable() {
    static const TSlotTable table = [] {
        TSlotTable t;
        for (int n = 0; n <= Catalogue::ParamCount; ++n)
            for (int g = 0; g < DigitalGroups::RowCount; ++g) {
                int position = -1;
                t.Slot[n][g] = static_cast<std::int8_t>(ComputeSlotOf(n, g, &position));
                t.Position[n][g] = static_cast<std::int8_t>(position);
            }
        return t;
    }();
    return table;
}

} // namespace

int SlotOf(int number, int group, int* position) {
    if (number < 1 || number > Catalogue::ParamCount) {
        *position = -1;
        return -1;
    }
    if (group < 0 || group >= DigitalGroups::RowCount)
        return ComputeSlotOf(number, group, position);
    const auto& t = SlotTable();
    *position = t.Position[number][group];
    return t.Slot[number][group];
}

std::optional<int> ActiveParam(std::span<const std::uint8_t> dump, int number) {
    const TParamInfo* info = Catalogue::FindByNumber(number);
    if (!info)
        return std::nullopt;
    return ActiveParam(dump, number, info->Section == TParamSection::Analog ? info->Effect : -1);
}

} // namespace DumpFields

std::vector<std::uint8_t> PackDump(std::span<const std::uint8_t> dump) {
    std::vector<std::uint8_t> p(TPackedDump::FixedSize, 0);
    p[0] = dump[2];
    p[1] = dump[251];
    for (int i = 0; i < TPackedDump::PairCount; ++i) {
        p[static_cast<std::size_t>(18 + i)] = dump[static_cast<std::size_t>(5 + 2 * i)];
        const std::uint8_t high = dump[static_cast<std::size_t>(6 + 2 * i)];
        if (high) {
            p[static_cast<std::size_t>(2 + i / 8)] |= static_cast<std::uint8_t>(1u << (i % 8));
            p.push_back(high);
        }
    }
    return p;
}

TPackedDump::TPackedDump(std::span<const std::uint8_t> packed) : p_(packed) {
    if (p_.size() < FixedSize)
        return;
    std::size_t highs = 0;
    for (int i = 0; i < 16; ++i)
        highs += static_cast<std::size_t>(std::popcount(p_[static_cast<std::size_t>(2 + i)]));
    valid_ = p_.size() == FixedSize + highs;
}

std::uint8_t TPackedDump::operator[](int offset) const {
    static constexpr std::uint8_t header[] = {TPreset::SysexStart, TPreset::MakerId, 0,
                                              TPreset::ModelId, TPreset::PresetDumpCommand};
    if (offset == 2)
        return p_[0];
    if (offset < 5)
        return header[offset];
    if (offset == TPreset::DumpSize - 1)
        return p_[1];
    const int pair = (offset - 5) / 2;
    if ((offset - 5) % 2 == 0)
        return p_[static_cast<std::size_t>(18 + pair)];
    const auto bitmap = p_.subspan(2, 16);
    if (!((bitmap[static_cast<std::size_t>(pair / 8)] >> (pair % 8)) & 1))
        return 0;
    std::size_t before = 0;
    for (int i = 0; i < pair / 8; ++i)
        before += static_cast<std::size_t>(std::popcount(bitmap[static_cast<std::size_t>(i)]));
    before += static_cast<std::size_t>(std::popcount(static_cast<std::uint8_t>(
        bitmap[static_cast<std::size_t>(pair / 8)] & ((1u << (pair % 8)) - 1))));
    return p_[FixedSize + before];
}

bool UnpackDump(std::span<const std::uint8_t> packed, TDumpBytes& dump) {
    const TPackedDump view(packed);
    if (!view.Valid())
        return false;
    for (int i = 0; i < TPreset::DumpSize; ++i)
        dump[static_cast<std::size_t>(i)] = view[i];
    return true;
}

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
                DumpFields::Pair(d, TPreset::OffsetPerfEntries + TPreset::PerfEntrySize * k));
    }
    return facts;
}

#include "unit/factory_presets.h"

#include "model/catalogue.h"
#include "model/digital_groups.h"
#include "model/unit_location.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace {

// Small deterministic generator (64-bit LCG, high bits out): the same location
// always gets the same preset on every platform.
class TFactoryRandom {
public:
    explicit TFactoryRandom(std::uint64_t seed) : state_(seed * 6364136223846793005ull + 1) {}
    std::uint32_t Next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::uint32_t>(state_ >> 33);
    }
    int Between(int low, int high) { // inclusive
        if (high <= low)
            return low;
        return low + static_cast<int>(Next() % static_cast<std::uint32_t>(high - low + 1));
    }
    bool Chance(int percent) { return Between(0, 99) < percent; }

private:
    std::uint64_t state_;
};

constexpr std::string_view kStyles[] = {"Clean",  "Crunch", "Lead",  "Warm",   "Dark",
                                        "Bright", "Fat",    "Glass", "Heavy",  "Vintage",
                                        "Modern", "Smooth", "Wild",  "Liquid", "Dry"};
constexpr std::string_view kSounds[] = {"Rhythm", "Solo",  "Hall",    "Room",  "Echo",
                                        "Stack",  "Swell", "Shimmer", "Chime", "Drive",
                                        "Plate",  "Slap",  "Sweep",   "Wah",   "Octave"};
// Titles that file names and menus have to survive.
constexpr std::string_view kAwkwardTitles[] = {
    "Verse/Chorus",  "Lead: Hall", "A/B Test",    "Intro: Clean", "1/8 Dot Delay",
    "Amp:Stack/Cab", "50/50 Mix",  "Solo 2: Wet", "AC/DC Crunch", "Time: 3/4"};

// A value near the parameter's default, sometimes anywhere in its range.
int PlausibleValue(const TParamInfo& p, TFactoryRandom& rnd) {
    if (p.Max <= p.Min)
        return p.Min;
    if (rnd.Chance(30))
        return rnd.Between(p.Min, p.Max);
    const int spread = std::max(1, (p.Max - p.Min) / 4);
    return std::clamp(p.Default + rnd.Between(-spread, spread), p.Min, p.Max);
}

// Picks a row, switches on a subset of its effects and packs the slots the way
// the editor would: the group is the lowest row holding the selection.
void MakeDigitalSection(TPreset& preset, bool preExpress, TFactoryRandom& rnd) {
    const auto& chosen =
        DigitalGroups::Row(rnd.Between(0, DigitalGroups::GroupCount(preExpress) - 1));
    std::vector<int> selected;
    for (int e : chosen)
        if (e >= 0 && rnd.Chance(e == 0 ? 40 : 75))
            selected.push_back(e);
    int group = 0;
    if (!selected.empty()) {
        for (int g = 0; g < DigitalGroups::GroupCount(preExpress); ++g) {
            if (std::all_of(selected.begin(), selected.end(),
                            [g](int e) { return DigitalGroups::RowContains(g, e); })) {
                group = g;
                break;
            }
        }
    }
    preset.SetDigitalGroup(group);
    const auto slots = DigitalGroups::RepackSlots(group, -1, {});
    const auto& row = DigitalGroups::Row(group);
    for (int j = 0; j < DigitalGroups::RowLength; ++j)
        preset.SetDigitalActive(j,
                                row[static_cast<std::size_t>(j)] >= 0 &&
                                    std::find(selected.begin(), selected.end(),
                                              row[static_cast<std::size_t>(j)]) != selected.end());
    for (int s = 0; s < TPreset::DigitalSlotCount; ++s) {
        const int slot = TPreset::FirstDigitalSlot + s;
        int value = slots[static_cast<std::size_t>(s)];
        if (const auto* p =
                Catalogue::FindByNumber(DigitalGroups::CatalogueNumberAtSlot(group, slot));
            p && rnd.Chance(60))
            value = PlausibleValue(*p, rnd);
        preset.Params[static_cast<std::size_t>(slot)] = value;
    }
}

// Analog effect indexes whose foot-controller family follows them directly
// (checkbox order: Exciter, Compressor, Distortion, Equalizer, Expander/Noise gate).
void MakeFootControllerStates(TPreset& preset) {
    preset.SetFB7State(0, preset.AnalogSelect(4));
    preset.SetFB7State(1, preset.AnalogSelect(1));
    preset.SetFB7State(2, preset.AnalogSelect(3));
    preset.SetFB7State(3, preset.AnalogSelect(7));
    preset.SetFB7State(4, preset.AnalogSelect(2) || preset.AnalogSelect(6));
}

void MakePerformanceEntries(TPreset& preset, TFactoryRandom& rnd) {
    const int count = rnd.Between(0, 3);
    const int digitalSlots = DigitalGroups::SlotsUsed(preset.DigitalGroup());
    for (int k = 0; k < count; ++k) {
        auto& entry = preset.PerfMIDI[static_cast<std::size_t>(k)];
        // Mix, analog or one of the group's digital slots.
        const int slot = rnd.Between(0, TPreset::FirstDigitalSlot + digitalSlots - 1);
        const TParamInfo* p = slot < TPreset::FirstDigitalSlot
                                  ? Catalogue::FindBySlot(slot)
                                  : Catalogue::FindByNumber(DigitalGroups::CatalogueNumberAtSlot(
                                        preset.DigitalGroup(), slot));
        if (!p)
            continue;
        static constexpr int kControllers[] = {1, 4, 7, 11, 12, 64, 128};
        entry.Controller = kControllers[rnd.Between(0, 6)];
        entry.LowValue = p->Min;
        entry.HighValue = p->Max;
        if (rnd.Chance(20))
            std::swap(entry.LowValue, entry.HighValue);
        entry.ParamNumber = slot + 1;
        entry.ExtraValue = 255;
        entry.Enabled = true;
        preset.PerfEnabled[static_cast<std::size_t>(k)] = true;
    }
}

} // namespace

std::string FactoryPresetTitle(int bank, int index) {
    const int n = bank * 200 + index;
    if (n % 23 == 22)
        return {};
    if (n % 11 == 5)
        return std::string(
            kAwkwardTitles[static_cast<std::size_t>(n / 11) % std::size(kAwkwardTitles)]);
    TFactoryRandom rnd(static_cast<std::uint64_t>(n) + 7919);
    std::string title(kStyles[rnd.Next() % std::size(kStyles)]);
    title += ' ';
    title += kSounds[rnd.Next() % std::size(kSounds)];
    if (title.size() < 13)
        title += ' ' + BankLetter(bank) + std::to_string(index + 1);
    return title.substr(0, TPreset::TitleLength);
}

std::array<std::uint8_t, TPreset::DumpSize> FactoryPresetDump(int bank, int index,
                                                              bool preExpress) {
    TFactoryRandom rnd(static_cast<std::uint64_t>(bank) * 1000 + static_cast<std::uint64_t>(index));
    TPreset preset;
    preset.Header[2] = 0;
    preset.Title = FactoryPresetTitle(bank, index);

    for (const auto& p : Catalogue::MixParams())
        preset.Params[static_cast<std::size_t>(p.Slot)] = PlausibleValue(p, rnd);
    for (int a = 0; a < Catalogue::AnalogEffectCount; ++a) {
        const bool on = rnd.Chance(a == 0 || a == 10 ? 90 : 45);
        preset.SetAnalogSelect(a, on);
        for (const auto& p : Catalogue::AnalogEffectParams(a))
            preset.Params[static_cast<std::size_t>(p.Slot)] =
                on ? PlausibleValue(p, rnd) : p.Default;
    }
    MakeDigitalSection(preset, preExpress, rnd);
    MakeFootControllerStates(preset);
    MakePerformanceEntries(preset, rnd);
    return preset.DumpBytes();
}

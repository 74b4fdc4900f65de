#include "unit/factory_presets.h"
#include "unit/unit_memory.h"

#include "model/catalogue.h"
#include "model/digital_groups.h"
#include "model/preset_view.h"
#include "model/stream.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TPreset Read(const TPresetDumpBytes& dump) {
    TPreset preset;
    TMemoryStream stream(std::vector<std::uint8_t>(dump.begin(), dump.end()));
    preset.ReadDump(stream);
    return preset;
}

// Every factory preset must load in the editor as it is: a valid frame, a group
// of its model, packing the editor reproduces, titles that need no repair.
TEST(FactoryPresets, EveryLocationHoldsAValidPresetOfItsModel) {
    for (bool preExpress : {false, true}) {
        const THrzUnitMemory memory(preExpress);
        std::set<int> groups;
        std::set<std::string> titles;
        int untitled = 0, awkward = 0, digitalDriven = 0;
        for (int bank = 0; bank < memory.BankCount(); ++bank) {
            for (int i = 0; i < THrzUnitMemory::PresetsPerBank; ++i) {
                const auto& dump = memory.Preset(bank, i);
                for (std::size_t k = 1; k + 1 < dump.size(); ++k)
                    ASSERT_LT(dump[k], 0x80) << "data byte " << k << " of " << bank << "/" << i;
                const TPreset preset = Read(dump);
                EXPECT_FALSE(preset.IsChanged()) << "not a normal form at " << bank << "/" << i;
                const TPresetView view = BuildPresetView(preset, preExpress);
                std::vector<const TParamValue*> values;
                for (const auto& v : view.Mix)
                    values.push_back(&v);
                for (const auto* effects : {&view.Analog, &view.Digital})
                    for (const auto& effect : *effects)
                        for (const auto& v : effect.Params)
                            values.push_back(&v);
                // In range, or the default the unit keeps (a few lie below the range).
                for (const auto* v : values)
                    ASSERT_TRUE((v->Raw >= v->Info->Min && v->Raw <= v->Info->Max) ||
                                v->Raw == v->Info->Default)
                        << v->Info->Caption << " = " << v->Raw << " at " << bank << "/" << i;
                const int g = preset.DigitalGroup();
                ASSERT_GE(g, 0);
                ASSERT_LT(g,
                          preExpress ? DigitalGroups::PreExpressRowCount : DigitalGroups::RowCount);
                groups.insert(g);
                for (int k = 0; k < TPreset::PerfCount; ++k) {
                    const auto& e = preset.PerfMIDI[static_cast<std::size_t>(k)];
                    if (preset.PerfEnabled[static_cast<std::size_t>(k)]) {
                        EXPECT_LE(e.ParamNumber, 34 + DigitalGroups::SlotsUsed(g));
                        digitalDriven += e.ParamNumber > 34;
                    }
                }
                EXPECT_LE(preset.Title.size(), 16u);
                untitled += preset.Title.empty();
                awkward += preset.Title.find_first_of("/:") != std::string::npos;
                titles.insert(preset.Title);
            }
        }
        EXPECT_GE(groups.size(), preExpress ? 30u : 40u) << "a spread of digital groups";
        EXPECT_GT(untitled, 0);
        EXPECT_GT(digitalDriven, 0) << "entries drive digital slots too";
        EXPECT_GT(awkward, 0);
        EXPECT_GT(titles.size(), 60u);
    }
}

TEST(FactoryPresets, ActiveFlagsMatchTheGroupSearch) {
    // The group is the lowest row holding the switched-on effects, as the editor finds it.
    int firstEffectOn = 0; // effect 0 is as much an effect as the others
    int someOff = 0;       // a group's effects are not all on in every preset
    for (int i = 0; i < 200; ++i) {
        const TPreset preset = Read(FactoryPresetDump(1, i, false));
        const auto& row = DigitalGroups::Row(preset.DigitalGroup());
        std::vector<int> active;
        for (int j = 0; j < DigitalGroups::RowLength; ++j) {
            someOff += row[static_cast<std::size_t>(j)] >= 0 && !preset.DigitalActive(j);
            if (preset.DigitalActive(j)) {
                ASSERT_GE(row[static_cast<std::size_t>(j)], 0);
                active.push_back(row[static_cast<std::size_t>(j)]);
                firstEffectOn += row[static_cast<std::size_t>(j)] == 0;
            }
        }
        for (int g = 0; g < preset.DigitalGroup(); ++g) {
            bool holdsAll = !active.empty();
            for (int e : active)
                holdsAll = holdsAll && DigitalGroups::RowContains(g, e);
            EXPECT_FALSE(holdsAll) << "preset " << i << " could use lower group " << g;
        }
    }
    EXPECT_GT(firstEffectOn, 0);
    EXPECT_GT(someOff, 20);
}

// A factory sound nearly always has the first and the last analog effect on;
// each of the others is on in about half of them.
TEST(FactoryPresets, AnalogEffectsAreOnAsOftenAsOnARealUnit) {
    int on[Catalogue::AnalogEffectCount] = {};
    for (int i = 0; i < 200; ++i) {
        const TPreset preset = Read(FactoryPresetDump(0, i, false));
        for (int a = 0; a < Catalogue::AnalogEffectCount; ++a)
            on[a] += preset.AnalogSelect(a);
    }
    for (int a = 0; a < Catalogue::AnalogEffectCount; ++a) {
        if (a == 0 || a == Catalogue::AnalogEffectCount - 1)
            EXPECT_GT(on[a], 160) << a;
        else
            EXPECT_TRUE(on[a] > 50 && on[a] < 130) << a << ": " << on[a];
    }
}

TEST(FactoryPresets, SameLocationSamePreset) {
    EXPECT_EQ(FactoryPresetDump(2, 77, false), FactoryPresetDump(2, 77, false));
    EXPECT_NE(FactoryPresetDump(2, 77, false), FactoryPresetDump(2, 78, false));
    EXPECT_NE(FactoryPresetTitle(0, 0), FactoryPresetTitle(1, 0));
    // A short title ends with its location, numbered from 1; only a title of
    // fewer than 13 letters gets it.
    EXPECT_EQ(FactoryPresetTitle(0, 0), "Wild Solo A1");
    for (int i = 0; i < 9; ++i) {
        const std::string title = FactoryPresetTitle(0, i);
        const std::string location = " A" + std::to_string(i + 1);
        if (title.size() > location.size() &&
            title.compare(title.size() - location.size(), location.size(), location) == 0)
            EXPECT_LT(title.size() - location.size(), 13u) << title;
    }
}

} // namespace

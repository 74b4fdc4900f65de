#include "model/catalogue.h"
#include "model/digital_groups.h"
#include "model/preset_diff.h"
#include "model/preset_view.h"

#include <gtest/gtest.h>

#include <algorithm>

TEST(PresetView, DigitalSlotsAndTheEffectEachPerformanceEntryDrives) {
    TPreset p;
    p.Params[35] = 9; // group -1 is invalid: the digital slots are shown raw
    const auto raw = BuildPresetView(p);
    EXPECT_FALSE(raw.GroupValid);
    EXPECT_EQ(raw.DigitalSlots[0], 0);
    EXPECT_EQ(raw.DigitalSlots[1], 9);
    TPreset q = p;
    q.Params[35] = 10;
    const auto items = DiffPresets(p, q);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Label, "P35");

    int g = 0;
    while (DigitalGroups::Row(g)[1] < 0)
        ++g;
    p.SetDigitalGroup(g);
    p.SetDigitalActive(1, true);
    p.SetAnalogSelect(0, true);
    const auto first = Catalogue::DigitalEffectParams(DigitalGroups::Row(g)[0]).size();
    // Entries 0..3 drive: the first digital effect (off), the second (on), analog 0 (on), 1 (off).
    const int numbers[] = {TPreset::FirstDigitalSlot + 1,
                           TPreset::FirstDigitalSlot + 1 + static_cast<int>(first), 1 + 3, 1 + 6};
    for (int k = 0; k < 4; ++k) {
        p.PerfEnabled[static_cast<std::size_t>(k)] = true;
        p.PerfMIDI[static_cast<std::size_t>(k)].ParamNumber = numbers[k];
    }
    const auto view = BuildPresetView(p);
    ASSERT_EQ(view.Perf.size(), 4u);
    EXPECT_GE(view.Digital.size(), 2u);
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(view.Perf[static_cast<std::size_t>(k)].EffectActive, k == 1 || k == 2) << k;
}

// Bytes the editor does not show are listed by offset, the first 16 only.
TEST(PresetDiff, HiddenBytesAreListedByOffsetUpToSixteen) {
    const struct {
        int changed;
        const char* label;
    } cases[] = {
        {1, "Dump bytes at offsets 0"},
        {16, "Dump bytes at offsets 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15"},
        {17,
         "Dump bytes at offsets 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 and 1 more"},
    };
    const TPreset p;
    for (const auto& c : cases) {
        TPreset q = p;
        q.HasLoadedDump = true;
        q.LoadedDump = p.DumpBytes();
        for (int i = 0; i < c.changed; ++i)
            q.LoadedDump[static_cast<std::size_t>(i)] = 0xA0;
        const auto items = DiffPresets(p, q);
        ASSERT_EQ(items.size(), 1u) << c.changed;
        EXPECT_EQ(items[0].Section, "dump");
        EXPECT_EQ(items[0].Label, c.label);
        std::string b = "0xA0";
        for (int i = 1; i < std::min(c.changed, 16); ++i)
            b += " 0xA0";
        EXPECT_EQ(items[0].B, b);
        EXPECT_EQ(items[0].A.substr(0, 5), c.changed > 1 ? "0xF0 " : "0xF0");
    }
}

TEST(PresetDiff, APerformanceEntryIsComparedWithTheSameEntry) {
    const TPreset a;
    TPreset b = a;
    b.PerfEnabled[2] = true;
    b.PerfMIDI[2].ParamNumber = 2;
    b.PerfMIDI[2].HighValue = 31;
    const auto items = DiffPresets(a, b);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].Label, "Controller #3");
    EXPECT_EQ(items[0].A, "not in use");
    EXPECT_EQ(items[0].B, "4 (Foot controller) -> Mix Digital : from 0% to 100%");
}

TEST(PresetDiff, TheLastParameterOfASectionIsComparedToo) {
    const TPreset a;
    TPreset b = a;
    const auto mix = Catalogue::MixParams();
    const auto compressor = Catalogue::AnalogEffectParams(1);
    b.Params[static_cast<std::size_t>(mix.back().Slot)] = 5;
    b.Params[static_cast<std::size_t>(compressor.back().Slot)] = 5;
    std::vector<std::string> listed;
    for (const auto& item : DiffPresets(a, b))
        listed.push_back(item.Section + ": " + item.Label + " " + item.A + " -> " + item.B);
    EXPECT_EQ(listed, (std::vector<std::string>{"mix: Mix Analog: 100% -> 18%",
                                                "analog: Compressor Output: 94% -> 10%"}));
}

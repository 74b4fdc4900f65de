#include "model/catalogue.h"
#include "model/device_globals.h"
#include "model/digital_groups.h"
#include "model/errors.h"
#include "model/preset.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <set>
#include <tuple>

using namespace DigitalGroups;

namespace {

// Every test starts in Express mode and leaves the mode as it found it.
class DigitalGroupsTest : public ::testing::Test {
protected:
    TPreExpressScope mode_{false};
};

std::set<int> RowSet(int g) {
    std::set<int> s;
    for (int e : Row(g))
        if (e >= 0)
            s.insert(e);
    return s;
}

std::vector<int> DigitalSlots(const TPreset& p) {
    return {p.Params.begin() + TPreset::FirstDigitalSlot, p.Params.end()};
}

// A preset whose group g is shown with all of the group's effects selected.
TPreset PresetOnGroup(int g) {
    TPreset p;
    TDigitalSelection sel(p);
    sel.LoadFromPreset();
    sel.PickGroup(g);
    return p;
}

} // namespace

using DigitalGroupTable = DigitalGroupsTest;

TEST_F(DigitalGroupTable, RowsAreDistinctAndNoneIsASubsetOfALowerRow) {
    for (int g = 0; g < RowCount; ++g) {
        EXPECT_EQ(Row(g)[0], 0) << "row " << g << " starts with Low Pass";
        for (int h = 0; h < g; ++h) {
            const auto a = RowSet(g), b = RowSet(h);
            EXPECT_FALSE(std::includes(b.begin(), b.end(), a.begin(), a.end()))
                << "row " << g << " is within row " << h;
        }
    }
    EXPECT_THROW(Row(54), std::out_of_range);
    EXPECT_FALSE(RowContains(54, 0));
    EXPECT_FALSE(RowContains(-1, 0));
    EXPECT_FALSE(RowContains(25, -1));
}

TEST_F(DigitalGroupTable, SlotsUsedMatchTheUnitsTableAndFitEighteen) {
    const int used[RowCount] = {15, 15, 15, 15, 15, 15, 14, 14, 14, 18, 18, 17, 18, 18,
                                17, 18, 18, 17, 18, 18, 17, 15, 15, 15, 15, 11, 11, 12,
                                10, 12, 12, 12, 13, 13, 13, 12, 12, 12, 11, 11, 11, 13,
                                13, 7,  10, 17, 5,  15, 15, 15, 15, 14, 14, 17};
    for (int g = 0; g < RowCount; ++g)
        EXPECT_EQ(SlotsUsed(g), used[g]) << "row " << g;
    EXPECT_EQ(SlotOffset(9, 1), 11); // Flanger after Low Pass, Regen DDL S, Reverb 2
    EXPECT_EQ(SlotOffset(9, 2), -1);
    EXPECT_EQ(CatalogueNumberAtSlot(0, 34), 35);
    EXPECT_EQ(CatalogueNumberAtSlot(0, 35), Catalogue::DigitalParamNumber(18, 1));
    EXPECT_EQ(CatalogueNumberAtSlot(0, 48), Catalogue::DigitalParamNumber(4, 2));
    EXPECT_EQ(CatalogueNumberAtSlot(0, 49), 0);
}

TEST_F(DigitalGroupTable, NamesAndPickListLines) {
    EXPECT_EQ(EffectIndex("Low Pass"), 0);
    EXPECT_EQ(EffectIndex("Dual PTr"), 24);
    try {
        EffectIndex("low pass");
        FAIL();
    } catch (const EHrzError& e) {
        EXPECT_STREQ(e.what(), "Unknown effect low pass");
    }
    auto lines = PickListLines();
    ASSERT_EQ(lines.size(), 54u);
    EXPECT_EQ(lines[46], "46. Low Pass, Tuner");
    EXPECT_EQ(lines[0], "0. Low Pass, Stereo DDL L, Flanger, Panner");
    EXPECT_EQ(GroupLabel(9), "Group #9");

    SetPreExpressMode(true);
    EXPECT_EQ(PickListLines().size(), 47u);
    EXPECT_THROW(EffectIndex("Phaser"), EHrzError);
}

TEST_F(DigitalGroupTable, RepackingToAnyRowAndBackKeepsSharedEffects) {
    for (int from = 0; from < RowCount; ++from) {
        std::array<int, 18> original{};
        for (std::size_t i = 0; i < original.size(); ++i)
            original[i] =
                static_cast<int>(i < static_cast<std::size_t>(SlotsUsed(from)) ? 200 + i : 0);
        for (int to = 0; to < RowCount; ++to) {
            const auto there = RepackSlots(to, from, original);
            const auto back = RepackSlots(from, to, there);
            for (int e : Row(from)) {
                if (e < 0 || !RowContains(to, e))
                    continue;
                const int at = SlotOffset(from, e);
                for (int i = 0;
                     i < Catalogue::DigitalEffects()[static_cast<std::size_t>(e)].ParamCount; ++i)
                    ASSERT_EQ(back[static_cast<std::size_t>(at + i)],
                              original[static_cast<std::size_t>(at + i)])
                        << from << "->" << to << " effect " << e;
            }
            for (int i = SlotsUsed(to); i < 18; ++i)
                ASSERT_EQ(there[static_cast<std::size_t>(i)], 0);
        }
    }
}

using DigitalSelection = DigitalGroupsTest;

TEST_F(DigitalSelection, NewPresetGetsGroupZeroDefaults) {
    TPreset p;
    TDigitalSelection sel(p);
    EXPECT_FALSE(sel.LoadFromPreset());
    EXPECT_EQ(p.DigitalGroup(), 0);
    EXPECT_EQ(DigitalSlots(p),
              (std::vector<int>{30, 50, 0, 25, 0, 28, 0, 63, 4, 22, 20, 48, 63, 31, 40, 0, 0, 0}));
    for (int j = 0; j < 5; ++j)
        EXPECT_FALSE(p.DigitalActive(j));
    EXPECT_TRUE(sel.Selected().empty());
    EXPECT_EQ(sel.Available().size(), 25u);
    EXPECT_TRUE(std::is_sorted(sel.Available().begin(), sel.Available().end()));
}

TEST_F(DigitalSelection, SingleEffectsFindTheirLowestGroup) {
    const std::pair<const char*, int> cases[] = {
        {"Tuner", 46}, {"Phaser", 47}, {"Reverb 3", 27}, {"Sampler L", 43}, {"Low Pass", 0}};
    for (const auto& [name, group] : cases) {
        TPreset p;
        TDigitalSelection sel(p);
        sel.LoadFromPreset();
        ASSERT_TRUE(sel.Add(name));
        EXPECT_EQ(p.DigitalGroup(), group) << name;
        const int pos =
            static_cast<int>(std::find(Row(group).begin(), Row(group).end(), EffectIndex(name)) -
                             Row(group).begin());
        for (int j = 0; j < 5; ++j)
            EXPECT_EQ(p.DigitalActive(j), j == pos) << name << " flag " << j;
    }
}

TEST_F(DigitalSelection, AddingMovesValuesAndPerformanceEntries) {
    TPreset p;
    TDigitalSelection sel(p);
    sel.LoadFromPreset();
    sel.Add("Flanger");
    ASSERT_EQ(p.DigitalGroup(), 0);
    p.Params[34] = 7;               // Low Pass
    p.Params[43] = 11;              // Flanger width
    p.Params[45] = 33;              // Flanger regen
    p.Params[47] = 5;               // Panner mod
    p.PerfMIDI[0].ParamNumber = 46; // Flanger regen in group 0
    p.PerfEnabled[0] = true;
    p.PerfMIDI[1].ParamNumber = 36; // Stereo DDL L left delay: leaves the group
    p.PerfEnabled[1] = true;
    p.PerfMIDI[2].ParamNumber = 2; // mix: never moves
    p.PerfEnabled[2] = true;
    p.PerfMIDI[3].ParamNumber = 34; // the last before the digital slots: never moves
    p.PerfEnabled[3] = true;
    p.PerfMIDI[4].ParamNumber = 35; // Low Pass: the first slot in either group
    p.PerfEnabled[4] = true;
    EXPECT_EQ(p.ResolvePerfParam(0), Catalogue::DigitalParamNumber(1, 4));
    EXPECT_EQ(p.ResolvePerfParam(3), 34);

    sel.Add("Reverb 2");
    EXPECT_EQ(p.DigitalGroup(), 9);
    EXPECT_EQ(p.Params[34], 7);
    EXPECT_EQ((std::vector<int>(p.Params.begin() + 35, p.Params.begin() + 45)),
              (std::vector<int>{20, 0, 48, 63, 5, 0, 17, 2, 5, 63})); // Regen DDL S, Reverb 2
    EXPECT_EQ(p.Params[46], 11);
    EXPECT_EQ(p.Params[48], 33);
    EXPECT_EQ(p.Params[50], 5);
    EXPECT_EQ(p.PerfMIDI[0].ParamNumber, 49);
    EXPECT_TRUE(p.PerfEnabled[0]);
    EXPECT_EQ(p.PerfMIDI[1], TPerfMIDI());
    EXPECT_FALSE(p.PerfEnabled[1]);
    EXPECT_EQ(p.PerfMIDI[2].ParamNumber, 2);
    EXPECT_EQ(p.PerfMIDI[3].ParamNumber, 34);
    EXPECT_EQ(p.PerfMIDI[4].ParamNumber, 35);
    EXPECT_TRUE(p.PerfEnabled[3] && p.PerfEnabled[4]);
    EXPECT_EQ(sel.Selected(), (std::vector<std::string>{"Flanger", "Reverb 2"}));
    EXPECT_TRUE(p.DigitalActive(2));
    EXPECT_TRUE(p.DigitalActive(3));
    EXPECT_FALSE(p.DigitalActive(1));

    // Removing Reverb 2 goes back to group 0; the Flanger and its entry move back.
    EXPECT_TRUE(sel.Remove("Reverb 2"));
    EXPECT_EQ(p.DigitalGroup(), 0);
    EXPECT_EQ(p.Params[45], 33);
    EXPECT_EQ(p.PerfMIDI[0].ParamNumber, 46);
    EXPECT_EQ(p.Params[35], 50); // Stereo DDL L came back with its defaults
    EXPECT_FALSE(sel.Remove("Reverb 2"));
    EXPECT_TRUE(sel.Remove("Flanger"));
    EXPECT_EQ(p.DigitalGroup(), 0);
    EXPECT_EQ(p.Params[45], 33); // same group: nothing re-packed
    EXPECT_TRUE(sel.Selected().empty());
}

TEST_F(DigitalSelection, ImpossibleSelectionsChangeNothing) {
    TPreset p;
    TDigitalSelection sel(p);
    sel.LoadFromPreset();
    sel.Add("Tuner");
    const TPreset before = p;
    try {
        sel.Add("Flanger");
        FAIL();
    } catch (const EHrzError& e) {
        EXPECT_STREQ(e.what(), "Cannot determine digital group");
    }
    EXPECT_EQ(p.Params, before.Params);
    EXPECT_EQ(p.DigitalGroup(), 46);
    EXPECT_EQ(sel.Selected(), std::vector<std::string>{"Tuner"});
    EXPECT_THROW(sel.Add("Fuzz"), EHrzError);
    EXPECT_FALSE(sel.Add("Tuner"));
    EXPECT_EQ(sel.Available(), std::vector<std::string>{"Low Pass"});
}

TEST_F(DigitalSelection, EveryEffectIsReachableAndAvailableListsAreHonest) {
    for (bool pre : {false, true}) {
        SetPreExpressMode(pre);
        TPreset p;
        TDigitalSelection sel(p);
        sel.LoadFromPreset();
        EXPECT_EQ(static_cast<int>(sel.Available().size()), ActiveEffectCount());
        for (const auto& name : std::vector<std::string>(sel.Available())) {
            TPreset q;
            TDigitalSelection one(q);
            one.LoadFromPreset();
            ASSERT_NO_THROW(one.Add(name)) << name;
            // Everything offered next can really be added.
            for (const auto& next : std::vector<std::string>(one.Available())) {
                TPreset r = q;
                TDigitalSelection two(r);
                two.LoadFromPreset();
                EXPECT_NO_THROW(two.Add(next)) << name << " + " << next;
                if (pre) {
                    EXPECT_TRUE(next != "Phaser" && next != "Dual PTr");
                }
            }
        }
    }
}

TEST_F(DigitalSelection, PickGroupReachesEveryRowInOrder) {
    for (int from : {0, 27, 46, 53}) {
        for (int k = 0; k < RowCount; ++k) {
            TPreset p = PresetOnGroup(from);
            TDigitalSelection sel(p);
            sel.LoadFromPreset();
            ASSERT_EQ(p.DigitalGroup(), from);
            const auto steps = sel.PickGroupSteps(k);
            // Removals first, then additions.
            const auto firstAdd = std::find_if(steps.begin(), steps.end(),
                                               [](const auto& s) { return s.IsAddition; });
            EXPECT_TRUE(
                std::all_of(firstAdd, steps.end(), [](const auto& s) { return s.IsAddition; }));
            sel.PickGroup(k);
            EXPECT_EQ(p.DigitalGroup(), k) << from << " -> " << k;
            EXPECT_EQ(sel.Selected().size(), RowSet(k).size());
        }
    }
    TPreset p = PresetOnGroup(0);
    TDigitalSelection sel(p);
    sel.LoadFromPreset();
    EXPECT_EQ(sel.Selected(),
              (std::vector<std::string>{"Low Pass", "Stereo DDL L", "Flanger", "Panner"}));
    const auto steps = sel.PickGroupSteps(46);
    const std::vector<TDigitalSelection::TStep> expected = {
        {false, "Panner"}, {false, "Flanger"}, {false, "Stereo DDL L"}, {true, "Tuner"}};
    EXPECT_EQ(steps, expected);
    EXPECT_TRUE(sel.PickGroupSteps(54).empty());
}

TEST_F(DigitalSelection, LoadedGroupCheck) {
    TPreset p;
    p.SetDigitalGroup(54);
    p.SetDigitalActive(0, true);
    p.Params[40] = 77;
    TDigitalSelection sel(p);
    EXPECT_TRUE(sel.LoadFromPreset());
    EXPECT_EQ(p.DigitalGroup(), 0);
    for (int j = 0; j < 5; ++j)
        EXPECT_FALSE(p.DigitalActive(j));
    EXPECT_EQ(p.Params[40], 77); // slots left as they were
    EXPECT_TRUE(sel.Selected().empty());

    TPreset phaser = PresetOnGroup(47);
    EXPECT_FALSE(TDigitalSelection(phaser).LoadFromPreset());
    SetPreExpressMode(true);
    TDigitalSelection old(phaser);
    EXPECT_TRUE(old.LoadFromPreset());
    EXPECT_EQ(phaser.DigitalGroup(), 0);

    // A valid group shows the active effects in row order.
    SetPreExpressMode(false);
    TPreset shown;
    shown.SetDigitalGroup(9);
    shown.SetDigitalActive(3, true);
    shown.SetDigitalActive(1, true);
    TDigitalSelection view(shown);
    EXPECT_FALSE(view.LoadFromPreset());
    EXPECT_EQ(view.Selected(), (std::vector<std::string>{"Regen DDL S", "Flanger"}));
}

TEST_F(DigitalSelection, PerformanceEntriesPointingNowhereAreDropped) {
    TPreset p = PresetOnGroup(46);  // Low Pass + Tuner: 5 slots
    p.PerfMIDI[3].ParamNumber = 45; // beyond the slots in use
    p.PerfEnabled[3] = true;
    EXPECT_EQ(p.ResolvePerfParam(3), 0);
    TDigitalSelection sel(p);
    sel.LoadFromPreset();
    sel.PickGroup(27);
    EXPECT_EQ(p.PerfMIDI[3], TPerfMIDI());
    EXPECT_FALSE(p.PerfEnabled[3]);
}

TEST_F(DigitalSelection, EffectsEnterAGroupWithTheirDefaults) {
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"Regen DDL L", {40, 0, 31, 63}},
        {"Reverb 2", {5, 0, 17, 2, 5, 63}},
        {"Reverb 3", {1, 0, 17, 2, 4, 3, 63}},
        {"Tapped DDL L", {0, 2, 48, 0, 48, 63}},
        {"Sampler L", {0, 0, 0, 127, 5, 63}},
        {"Sampler+PTr", {0, 0, 0, 100, 5, 12, 63, 0, 63}},
        {"Tuner", {1, 0, 50, 0}},
        {"Phaser", {1, 20, 20, 31, 63}},
        {"Dual PTr", {3, 12, 63, 12, 63, 0, 63, 31, 31}},
        {"MIDI-Pan", {64}},
        {"Pitch-Trans", {3, 12, 63, 0, 0, 63}},
        {"Gate Verb 1", {0, 0, 4, 3, 63}},
        {"Gate Verb 3", {0, 0, 7, 3, 63}},
    };
    for (const auto& [name, defaults] : cases) {
        TPreset p;
        TDigitalSelection sel(p);
        sel.LoadFromPreset();
        sel.Add(name);
        const int e = EffectIndex(name);
        const int at = TPreset::FirstDigitalSlot + SlotOffset(p.DigitalGroup(), e);
        EXPECT_EQ(std::vector<int>(p.Params.begin() + at,
                                   p.Params.begin() + at + static_cast<int>(defaults.size())),
                  defaults)
            << name;
    }
}

TEST(DeviceMode, FlagAndActiveCountsMoveTogetherAndScopesNest) {
    const auto state = [] {
        return std::tuple(PreExpressMode, ActiveGroupCount(), ActiveEffectCount());
    };
    ASSERT_EQ(state(), std::tuple(false, 54, 25));
    {
        TPreExpressScope older(true);
        EXPECT_EQ(state(), std::tuple(true, 47, 23));
        {
            TPreExpressScope express(false);
            EXPECT_EQ(state(), std::tuple(false, 54, 25));
        }
        EXPECT_EQ(state(), std::tuple(true, 47, 23));
    }
    EXPECT_EQ(state(), std::tuple(false, 54, 25));
}

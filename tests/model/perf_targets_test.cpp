#include "model/perf_targets.h"
#include "model/preset.h"

#include <gtest/gtest.h>

namespace {

// Group g with the analog effects and the row positions given switched on.
TPreset On(int g, std::initializer_list<int> analog, std::initializer_list<int> digital) {
    TPreset p;
    p.SetDigitalGroup(g);
    for (int a : analog)
        p.SetAnalogSelect(a, true);
    for (int j : digital)
        p.SetDigitalActive(j, true);
    return p;
}

} // namespace

TEST(PerfTargets, EveryEffectInPageOrderTheOnesOffKeptAndMarked) {
    // Group 0 is Low Pass, Stereo DDL L, Flanger, Panner: Low Pass and Flanger on.
    const TPerfTargets targets(On(0, {1}, {0, 2}));
    std::vector<std::string> listed;
    for (const auto& e : targets.Effects())
        listed.push_back(e.Caption + (e.Active ? "" : " -") + " " +
                         std::to_string(e.FirstParamNumber) + "+" +
                         std::to_string(e.Params.size()));
    EXPECT_EQ(listed, (std::vector<std::string>{
                          "MIDI Monitor 0+1", "Mix 1+3", "Patch Bay - 4+3", "Compressor 7+5",
                          "Expander - 12+2", "Distortion - 14+4", "Exciter - 18+1",
                          "Envelope Filter - 19+4", "NoiseGate - 23+1", "Equalizer - 24+7",
                          "AES - 31+1", "Dig Contour - 32+2", "Prog Level - 34+1", "Low Pass 35+1",
                          "Flanger 43+5", "Panner - 48+2", "Stereo DDL - 36+7"}));
    EXPECT_EQ(targets.ActiveEffect("Flanger")->FirstParamNumber, 43);
    EXPECT_EQ(targets.ActiveEffect("Panner"), nullptr);
    EXPECT_EQ(targets.ParamNumberAt("Panner", 1), 49);
    EXPECT_EQ(targets.ParamNumberAt("MIDI Monitor", 0), 0);
    EXPECT_EQ(targets.ParamNumberAt("Tuner", 0), -1);

    // Entries on the mix and the monitor are always in force; the others go
    // with their effect, and a number past the group's slots has none.
    TPreset p = On(0, {1}, {0, 2});
    const std::vector<std::pair<int, bool>> entries{
        {0, true},  {3, true},   {6, false}, {7, true},   {34, false},
        {35, true}, {36, false}, {47, true}, {49, false}, {50, false}};
    for (const auto& [number, active] : entries) {
        p.PerfMIDI[0].ParamNumber = number;
        EXPECT_EQ(targets.EntryActive(p, 0), active) << number;
    }
    EXPECT_EQ(targets.Locate(50).Effect, nullptr);
    EXPECT_EQ(targets.Locate(50).Target(), nullptr);
    const auto* mix = targets.Locate(1).Effect;
    const int lines = static_cast<int>(mix->Params.size());
    EXPECT_NE((TPerfTargets::TPlace{mix, lines - 1}.Target()), nullptr);
    EXPECT_EQ((TPerfTargets::TPlace{mix, lines}.Target()), nullptr);
}

TEST(PerfTargets, LinesRangesAndTextsAtEachEnd) {
    struct Case {
        TPreset Preset;
        int Number;
        const char* Effect;
        const char* Line;
        int Min, Max;
        int Stored; // the preset's value and where its control stands
        int Position;
        const char* MinText;
        const char* MaxText;
    };
    TPreset eq = On(0, {7}, {});
    eq.Params[23] = 13; // a band past its meter
    TPreset flanger = On(0, {}, {2});
    flanger.Params[42] = 2; // below the choices
    TPreset flangerTop = On(0, {}, {2});
    flangerTop.Params[42] = 11; // the last choice
    TPreset pan = On(6, {}, {3});
    pan.Params[47] = 100;
    TPreset pitch = On(25, {}, {2});
    pitch.Params[42] = 128; // past the keys
    const std::vector<Case> cases{
        {On(0, {}, {}), 1, "Mix", "dry", 0, 31, 31, 31, "0%", "100%"},
        {On(0, {1}, {}), 7, "Compressor", "drive", 0, 31, 24, 24, "0%", "100%"},
        {On(0, {0}, {}), 5, "Patch Bay", "loop1", 0, 1, 1, 1, "off", "on"},
        {eq, 24, "Equalizer", "40Hz", 0, 12, 13, 12, "-15 db", "+15 db"},
        {On(0, {}, {}), 34, "Prog Level", "master", 0, 48, 45, 45, "0%", "100%"},
        {flanger, 43, "Flanger", "type", 3, 11, 2, 2, "OFF", "Pre, Inv L+R"},
        {flangerTop, 43, "Flanger", "type", 3, 11, 11, 11, "OFF", "Pre, Inv L+R"},
        {pan, 48, "MIDI Pan", "pos", 0, 127, 100, 27, "127", "0"},
        {pitch, 43, "Pitch Trans", "base key", 0, 127, 128, -1, "OFF", "G 9"},
        {On(53, {}, {2}), 50, "Dual PTr", "pan pos 1", 0, 63, 0, 0, "0", "63"},
        {On(53, {}, {1}), 36, "Stereo DDL", "left delay lgth", 0, 122, 0, 0, "0 ms", "1.10 s"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Number);
        const TPerfTargets targets(c.Preset);
        const auto place = targets.Locate(c.Number);
        ASSERT_NE(place.Target(), nullptr);
        const TPerfTarget& t = *place.Target();
        EXPECT_EQ(place.Effect->Caption, c.Effect);
        EXPECT_EQ(targets.ParamNumberAt(c.Effect, place.Line), c.Number);
        EXPECT_EQ(t.Line, c.Line);
        EXPECT_EQ(t.Slot, c.Number - 1);
        EXPECT_EQ(std::pair(t.Min, t.Max), std::pair(c.Min, c.Max));
        EXPECT_EQ(c.Preset.Params[static_cast<std::size_t>(t.Slot)], c.Stored);
        EXPECT_EQ(t.ControlValue(c.Preset), c.Position);
        EXPECT_EQ(t.ValueText(c.Min), c.MinText);
        EXPECT_EQ(t.ValueText(c.Max), c.MaxText);
        // A stored range value outside the bar shows at the nearer end.
        const bool reversed = c.Number == 48; // the pan's slider has 0 at its top
        EXPECT_EQ(t.Reversed, reversed);
        const int below = reversed ? c.Max + 1 : c.Min - 1;
        EXPECT_EQ(t.RangeText(below), c.MinText);
    }
    const TPerfTargets targets{TPreset()};
    const TPerfTarget& monitor = *targets.Locate(0).Target();
    EXPECT_EQ(monitor.Line, "enabled");
    EXPECT_EQ(monitor.ValueText(0), "");
}

#include "model/digital_groups.h"
#include "model/preset_diff.h"
#include "model/preset_view.h"
#include "tests/tools/hrzctl_test_support.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

// As read from a file, so the loaded bytes are there too.
TPreset Reloaded(const TPreset& p) {
    return PresetFromDump(DumpOf(p));
}

const TDiffItem* Find(const std::vector<TDiffItem>& items, const std::string& label) {
    for (const auto& item : items)
        if (item.Label == label)
            return &item;
    return nullptr;
}

TPreset WithEffects(std::initializer_list<const char*> names) {
    TPreset p;
    TDigitalSelection selection(p);
    selection.LoadFromPreset();
    for (const char* name : names)
        selection.Add(name);
    return p;
}

} // namespace

TEST(HrzctlDiff, AFileAgainstItselfIsEqual) {
    TTempDir dir;
    const std::string bank = dir.File("bankA.syx");
    WriteBytes(bank, BulkDump(0));
    const auto r = RunTool({"diff", bank, bank});
    EXPECT_EQ(r.Status, 0);
    EXPECT_EQ(r.Out, "");
    EXPECT_EQ(r.Err, "");
    const auto json = RunTool({"diff", "--json", bank, bank});
    EXPECT_EQ(json.Status, 0);
    const auto doc = ParseJson(json.Out).object();
    EXPECT_TRUE(doc["equal"].toBool());
    EXPECT_TRUE(doc["differences"].toArray().isEmpty());
}

TEST(HrzctlDiff, ChangesAreNamedWithTheEditorsTexts) {
    const TPreset a = FactoryPreset(0, 5);
    TPreset b = a;
    b.Title = "Other";
    b.Params[6] = a.Params[6] == 31 ? 0 : 31; // Compressor Drive:
    b.SetAnalogSelect(7, !a.AnalogSelect(7)); // Equalizer
    b.SetFB7State(5, !a.FB7State(5));         // Reverb
    const int k = 1;
    b.PerfEnabled[k] = !a.PerfEnabled[k];
    b.PerfMIDI[k].Controller = 128;
    b.PerfMIDI[k].ParamNumber = 1;
    b.PerfMIDI[k].LowValue = 0;
    b.PerfMIDI[k].HighValue = 31;

    const auto items = DiffPresets(Reloaded(a), Reloaded(b));
    ASSERT_NE(Find(items, "Title"), nullptr);
    EXPECT_EQ(Find(items, "Title")->B, "Other");
    const TDiffItem* drive = Find(items, "Compressor Drive:");
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->Section, "analog");
    EXPECT_EQ(drive->B, b.Params[6] == 31 ? "100%" : "0%");
    ASSERT_NE(Find(items, "Equalizer"), nullptr);
    EXPECT_EQ(Find(items, "Equalizer")->A, a.AnalogSelect(7) ? "on" : "off");
    ASSERT_NE(Find(items, "FB7 Reverb"), nullptr);
    const TDiffItem* perf = Find(items, "Controller #2");
    ASSERT_NE(perf, nullptr);
    if (b.PerfEnabled[k])
        EXPECT_EQ(perf->B, "128 (OFF) -> Mix Dry: from 0% to 100%");
    else
        EXPECT_EQ(perf->B, "not in use");
    // Nothing else changed.
    EXPECT_EQ(items.size(), 5u);
}

TEST(HrzctlDiff, DigitalParametersAreComparedWhereBothGroupsHoldTheEffect) {
    TPreset a = WithEffects({"Flanger"});             // group 0
    TPreset b = WithEffects({"Flanger", "Reverb 2"}); // group 9, Flanger moved to P45..P49
    ASSERT_EQ(b.DigitalGroup(), 9);
    b.Params[46] = 31; // Flanger Width: in group 9
    const auto items = DiffPresets(Reloaded(a), Reloaded(b));
    const TDiffItem* group = Find(items, "Digital group");
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->A, "0 (Low Pass, Stereo DDL L, Flanger, Panner)");
    EXPECT_EQ(group->B, "9 (Low Pass, Regen DDL S, Reverb 2, Flanger, Panner)");
    const TDiffItem* width = Find(items, "Flanger Width:");
    ASSERT_NE(width, nullptr);
    EXPECT_EQ(width->A, "71%");
    EXPECT_EQ(width->B, "100%");
    for (const auto& item : items)
        EXPECT_EQ(item.Label.rfind("Reverb 2", 0), std::string::npos) << item.Label;
    EXPECT_EQ(items.size(), 2u);
}

TEST(HrzctlDiff, BytesNobodySeesStillMakeFilesDifferent) {
    TTempDir dir;
    auto bytes = DumpOf(FactoryPreset(1, 9));
    WriteBytes(dir.File("a.hrz"), bytes);
    bytes[8] = 0x05; // reserved byte of the FB7 flags
    WriteBytes(dir.File("b.hrz"), bytes);
    const auto r = RunTool({"diff", dir.File("a.hrz"), dir.File("b.hrz")});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Out.find("Dump bytes at offsets 8  0x00 | 0x05\n"), std::string::npos) << r.Out;
}

TEST(HrzctlDiff, BulkDumpsAreComparedPresetByPreset) {
    TTempDir dir;
    const std::string a = dir.File("a.syx"), b = dir.File("b.syx");
    WriteBytes(a, BulkDump(0));
    auto changed = BulkDump(0);
    changed[252 * 3 + 17] ^= 0x01; // preset 4, mix dry
    WriteBytes(b, changed);
    const auto r = RunTool({"diff", a, b});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Out.rfind("--- " + a + "\n+++ " + b + "\n== preset 4 ==\nMix Dry:  ", 0), 0u)
        << r.Out;
    EXPECT_EQ(CountOf(r.Out, "== preset"), 1);

    WriteBytes(b, DumpOf(FactoryPreset(0, 0)));
    const auto json = RunTool({"diff", "--json", a, b});
    EXPECT_EQ(json.Status, 1);
    const auto first = ParseJson(json.Out).object()["differences"].toArray()[0].toObject();
    EXPECT_EQ(first["item"].toString(), "Presets in the file");
    EXPECT_EQ(first["a"].toString(), "200");
    EXPECT_EQ(first["b"].toString(), "1");
    // The other way round: the first file is the shorter one.
    const auto reverse = RunTool({"diff", "--json", b, a});
    EXPECT_EQ(reverse.Status, 1);
    const auto fewer = ParseJson(reverse.Out).object()["differences"].toArray()[0].toObject();
    EXPECT_EQ(fewer["a"].toString(), "1");
    EXPECT_EQ(fewer["b"].toString(), "200");
}

TEST(HrzctlDiff, WrongInputIsStatusTwo) {
    TTempDir dir;
    WriteBytes(dir.File("a.hrz"), DumpOf(FactoryPreset(0, 1)));
    EXPECT_EQ(RunTool({"diff", dir.File("a.hrz")}).Status, 2);
    EXPECT_EQ(RunTool({"diff", dir.File("a.hrz"), dir.File("a.hrz"), dir.File("a.hrz")}).Status, 2);
    const auto r = RunTool({"diff", dir.File("a.hrz"), dir.File("nope.hrz")});
    EXPECT_EQ(r.Status, 2);
    EXPECT_NE(r.Err.find("nope.hrz: no such file"), std::string::npos);
    EXPECT_EQ(r.Out, "");
}

// The stored form of a dump gives back every byte, and the facts search looks at.
#include "library/preset_facts.h"
#include "library/shown_value.h"
#include "library_test_support.h"
#include "unit/factory_presets.h"

#include <gtest/gtest.h>

#include "model/catalogue.h"
#include "model/errors.h"

#include <random>

using namespace LibraryTest;

namespace {

TEST(PresetFacts, PackedDumpGivesBackEveryByte) {
    std::mt19937 rnd(7);
    for (int i = 0; i < 400; ++i) {
        TDumpBytes d = FactoryPresetDump(i % 4, i % 200, i % 2 == 1);
        d[2] = 0;
        // High bytes set at random pairs, any byte values, and a trailer that is not F7.
        for (int k = 0; k < i % 20; ++k)
            d[static_cast<std::size_t>(6 + 2 * (rnd() % TPackedDump::PairCount))] =
                static_cast<std::uint8_t>(rnd());
        if (i % 7 == 0)
            d[251] = 0x11;
        const auto packed = PackDump(d);
        TDumpBytes back{};
        ASSERT_TRUE(UnpackDump(packed, back)) << i;
        EXPECT_EQ(back, d) << i;
        const TPackedDump view(packed);
        for (int offset = 0; offset < TPreset::DumpSize; ++offset)
            ASSERT_EQ(view[offset], d[static_cast<std::size_t>(offset)]) << i << " @" << offset;
    }
    const auto flat = PackDump(MakeDump("x"));
    EXPECT_EQ(flat.size(), static_cast<std::size_t>(TPackedDump::FixedSize));
    TDumpBytes out{};
    EXPECT_FALSE(UnpackDump(std::vector<std::uint8_t>(flat.begin(), flat.end() - 1), out));
    auto extra = flat;
    extra.push_back(1); // a high byte the bitmap does not announce
    EXPECT_FALSE(UnpackDump(extra, out));
}

TEST(PresetFacts, IdentityIgnoresTheChannelAndSoundIgnoresTheTitle) {
    const TDumpBytes a = MakeDump("Same", 27, {1, 3});
    TDumpBytes onChannel9 = a;
    onChannel9[2] = 9;
    const TDumpBytes renamed = MakeDump("Other name", 27, {1, 3});
    const auto fa = FactsOfDump(a), f9 = FactsOfDump(onChannel9), fr = FactsOfDump(renamed);
    EXPECT_EQ(fa.Key, f9.Key);
    EXPECT_EQ(fa.Dump, f9.Dump);
    EXPECT_NE(fa.Key, fr.Key);
    EXPECT_EQ(fa.SoundKey, fr.SoundKey);
    EXPECT_EQ(fa.Title, "Same");
    EXPECT_EQ(fa.Group, 27);
    EXPECT_EQ(fa.AnalogMask, (1u << 1) | (1u << 3));
    // Group 27: Low Pass, Regen DDL S, Reverb 3.
    EXPECT_EQ(fa.DigitalMask, (1u << 0) | (1u << 15) | (1u << 9));
    auto table = a;
    table[4] = 0x13;
    EXPECT_THROW(FactsOfDump(table), EInvalidData);
    EXPECT_THROW(FactsOfDump(std::vector<std::uint8_t>(a.begin(), a.end() - 1)), EInvalidData);
}

TEST(PresetFacts, ActiveParamOnlyWhileItsEffectIsOn) {
    // Group 27: Reverb 3 at P39..P45; Decay (catalogue 76 + 2) is its third.
    TPreset p;
    p.SetDigitalGroup(27);
    p.SetDigitalActive(2, true);
    p.Params[41] = 30;
    p.Params[6] = 20; // Compressor Drive, compressor off
    const auto d = p.DumpBytes();
    const int decay = Catalogue::DigitalParamNumber(9, 3);
    EXPECT_EQ(DumpFields::ActiveParam(d, decay), 30);
    EXPECT_EQ(DumpFields::ActiveParam(d, Catalogue::DigitalParamNumber(7, 3)), std::nullopt);
    EXPECT_EQ(DumpFields::ActiveParam(d, 7), std::nullopt);
    p.SetAnalogSelect(1, true);
    EXPECT_EQ(DumpFields::ActiveParam(p.DumpBytes(), 7), 20);
    p.SetDigitalActive(2, false);
    EXPECT_EQ(DumpFields::ActiveParam(p.DumpBytes(), decay), std::nullopt);
    EXPECT_EQ(DumpFields::ActiveParam(d, 1), 31); // mix: always
    EXPECT_EQ(DumpFields::ActiveParam(d, 0), std::nullopt);
    EXPECT_EQ(DumpFields::ActiveParam(d, 164), std::nullopt);
}

TEST(PresetFacts, ShownNumbersInTheEditorsUnits) {
    const TParamInfo& decay = *Catalogue::FindByNumber(Catalogue::DigitalParamNumber(7, 3));
    const TParamInfo& drive = *Catalogue::FindByNumber(7);
    EXPECT_EQ(ShownNumber(decay, 17), 2400);    // "2.4s"
    EXPECT_EQ(ShownNumber(decay, 300), 278000); // beyond the table: worked out from the text
    EXPECT_EQ(ShownNumber(drive, 15), 50);
    EXPECT_EQ(ShownUnit(decay), TValueUnit::Millisecond);
    EXPECT_EQ(ShownScale(decay), 1000);
    EXPECT_EQ(ShownUnit(drive), TValueUnit::Percent);
    const std::pair<const char*, double> texts[] = {
        {"1.00 KHz", 1000}, {"630 Hz", 630}, {"-6 db", -6},       {"+3", 3},  {"1.05 s", 1050},
        {"1050 ms", 1050},  {"2 sec", 2000}, {"5 seconds", 5000}, {"78%", 78}};
    for (const auto& [text, value] : texts) {
        const auto n = ParseShownNumber(text);
        ASSERT_TRUE(n) << text;
        EXPECT_EQ(n->Value, value) << text;
    }
    for (const char* text : {"Hall-1", "THRU", "1:1", "1K hz", "230 hx", ""})
        EXPECT_FALSE(ParseShownNumber(text)) << text;
}

} // namespace

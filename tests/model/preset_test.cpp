#include "model/device_globals.h"
#include "model/errors.h"
#include "model/preset.h"
#include "model/split_byte.h"
#include "model/stream.h"

#include <gtest/gtest.h>

namespace {

std::array<std::uint8_t, TPreset::DumpSize> Written(const TPreset& p) {
    TMemoryStream s;
    p.WriteDump(s);
    EXPECT_EQ(s.Size(), TPreset::DumpSize);
    std::array<std::uint8_t, TPreset::DumpSize> out{};
    std::copy(s.Bytes().begin(), s.Bytes().end(), out.begin());
    return out;
}

TMemoryStream StreamOf(const std::array<std::uint8_t, TPreset::DumpSize>& bytes) {
    return TMemoryStream(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
}

// A preset with something in every field, as the editor would produce it.
TPreset BusyPreset() {
    TPreset p;
    p.SetDigitalGroup(45);
    for (int i = 0; i < TPreset::AnalogCount; i += 2)
        p.SetAnalogSelect(i, true);
    p.SetDigitalActive(0, true);
    p.SetDigitalActive(3, true);
    p.SetFB7State(0, true);
    p.SetFB7State(4, true);
    p.SetFB7State(9, true);
    for (int i = 0; i < TPreset::ParamCount; ++i)
        p.Params[static_cast<std::size_t>(i)] = (i * 37) % 200;
    p.Title = "Lead/Solo: 2";
    p.PerfEnabled[1] = p.PerfEnabled[7] = true;
    p.PerfMIDI[1].Controller = 128;
    p.PerfMIDI[1].ParamNumber = 40;
    p.PerfMIDI[1].ExtraValue = 255;
    p.PerfMIDI[7].LowValue = 100;
    p.PerfMIDI[7].HighValue = 3;
    p.PerfMIDI[7].ParamNumber = 7;
    return p;
}

} // namespace

TEST(SplitByte, SplitsAndJoinsLowByteFirst) {
    TSplitByte s;
    s.Split(200);
    EXPECT_EQ(s.Low, 0x48);
    EXPECT_EQ(s.High, 1);
    s.Split(128);
    EXPECT_EQ(s.Low, 0x00);
    EXPECT_EQ(s.High, 1);
    s.Split(127);
    EXPECT_EQ(s.Low, 0x7F);
    EXPECT_EQ(s.High, 0);
    for (int v = 0; v <= 255; ++v) {
        s.Split(v);
        EXPECT_EQ(s.Join(), v);
    }
    // Damaged values never produce a byte that would end a sysex message.
    s.Split(1000);
    EXPECT_LT(s.Low, 0x80);
    EXPECT_LT(s.High, 0x80);
    EXPECT_EQ(TSplitByte().Join(0x05, 0x01), 133);
}

TEST(Preset, NewPresetWritesTheDocumentedBytes) {
    DeviceChannel = 5;
    TPreset p;
    DeviceChannel = 0;
    const auto d = Written(p);
    EXPECT_EQ(d[0], 0xF0);
    EXPECT_EQ(d[1], 0x1A);
    EXPECT_EQ(d[2], 5);
    EXPECT_EQ(d[3], 0x12);
    EXPECT_EQ(d[4], 0x05);
    const std::uint8_t mix[] = {0x1F, 0, 0x1F, 0, 0x1F, 0};
    EXPECT_TRUE(std::equal(std::begin(mix), std::end(mix), d.begin() + 17));
    const std::string title = "My new preset   ";
    for (int n = 0; n < 16; ++n) {
        EXPECT_EQ(d[static_cast<std::size_t>(121 + 2 * n)],
                  static_cast<std::uint8_t>(title[static_cast<std::size_t>(n)]));
        EXPECT_EQ(d[static_cast<std::size_t>(122 + 2 * n)], 0);
    }
    const std::uint8_t entry[] = {4, 0, 0, 0, 0x7F, 0, 0, 0, 0, 0, 0, 0};
    for (int k = 0; k < 8; ++k)
        EXPECT_TRUE(std::equal(std::begin(entry), std::end(entry), d.begin() + 155 + 12 * k)) << k;
    EXPECT_EQ(d[251], 0xF7);
    // Analog new-preset values: drive 24 at P6, master 45 at P33.
    EXPECT_EQ(d[17 + 2 * 6], 24);
    EXPECT_EQ(d[17 + 2 * 33], 45);
    EXPECT_FALSE(p.IsChanged()); // nothing loaded yet
}

TEST(Preset, RoundTripReproducesTheDumpAndIsUnchanged) {
    const auto original = Written(BusyPreset());
    TPreset p;
    auto s = StreamOf(original);
    s.SetPosition(100); // ReadDump starts at the stream's start whatever its position
    p.ReadDump(s);
    EXPECT_TRUE(p.HasLoadedDump);
    EXPECT_FALSE(p.IsChanged());
    EXPECT_EQ(Written(p), original);
    EXPECT_EQ(p.Title, "Lead/Solo: 2");
    EXPECT_EQ(p.DigitalGroup(), 45);
    EXPECT_TRUE(p.FB7State(9));
    EXPECT_TRUE(p.FB7States[5]); // checkbox 9 lives at position 5
    EXPECT_TRUE(p.PerfMIDI[1].Enabled);
    EXPECT_FALSE(p.PerfMIDI[2].Enabled);
    EXPECT_EQ(p.PerfMIDI[1].ExtraValue, 255);
    EXPECT_EQ(p.PerfMIDI[1].Controller, 128);

    p.Params[10] = 11;
    EXPECT_TRUE(p.IsChanged());
}

TEST(Preset, PairsAndPerformanceEntriesUseTheDocumentedBytes) {
    TPreset p = BusyPreset();
    p.Params[0] = 200;
    const auto d = Written(p);
    EXPECT_EQ(d[17], 0x48);
    EXPECT_EQ(d[18], 0x01);
    const int e1 = 155 + 12;
    EXPECT_EQ(d[e1 + 0], 0x00); // controller 128
    EXPECT_EQ(d[e1 + 1], 0x01);
    EXPECT_EQ(d[e1 + 10], 0x7F); // extra 255
    EXPECT_EQ(d[e1 + 11], 0x01);
    // Fifth pair: current value of the driven slot P39.
    EXPECT_EQ(d[e1 + 8], p.Params[39] & 0x7F);
    EXPECT_EQ(d[153], 0x02); // entries 1 and 7
    EXPECT_EQ(d[154], 0x01);
    // Number 1 drives P0 and 52 the last slot P51; 53 drives none.
    p.PerfMIDI[2].ParamNumber = 1;
    p.PerfMIDI[3].ParamNumber = 52;
    p.PerfMIDI[4].ParamNumber = 53;
    const auto ends = Written(p);
    EXPECT_EQ(ends[155 + 24 + 8], 0x48); // P0 = 200
    EXPECT_EQ(ends[155 + 24 + 9], 0x01);
    EXPECT_EQ(ends[155 + 36 + 8], p.Params[51]);
    EXPECT_EQ(ends[155 + 48 + 8], 0x00);
}

TEST(Preset, TitleIsCutTrimmedAndKeptInsideTheFrame) {
    TPreset p;
    p.Title = "A title that is far too long";
    TPreset q;
    auto s = StreamOf(Written(p));
    q.ReadDump(s);
    EXPECT_EQ(q.Title, "A title that is"); // 16 kept, the trailing blank trimmed
    p.Title = "Seventeen chars!!";
    s = StreamOf(Written(p));
    q.ReadDump(s);
    EXPECT_EQ(q.Title, "Seventeen chars!");

    p.Title = "   Padded\t ";
    s = StreamOf(Written(p));
    q.ReadDump(s);
    EXPECT_EQ(q.Title, "Padded");

    p.Title = std::string("Caf\xE9", 4);
    const auto d = Written(p);
    EXPECT_EQ(d[121 + 6], '?');
}

TEST(Preset, AcceptsAnyChannelAndRefusesOtherHeaders) {
    auto bytes = Written(BusyPreset());
    bytes[2] = 0x0F;
    TPreset p;
    auto s = StreamOf(bytes);
    p.ReadDump(s);
    EXPECT_EQ(p.Header[2], 0x0F);

    EXPECT_TRUE(TPreset::IsPresetDump(bytes.data(), bytes.size()));
    EXPECT_FALSE(TPreset::IsPresetDump(bytes.data(), bytes.size() - 1));
    // One wrong header byte alone is refused; 0x13 at byte 4 is a program table dump.
    for (const auto& [at, wrong] : {std::pair{0, 0xF1}, {1, 0x1B}, {3, 0x13}, {4, 0x13}}) {
        auto bad = bytes;
        bad[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(wrong);
        EXPECT_FALSE(TPreset::IsPresetDump(bad.data(), bad.size())) << at;
        TPreset fresh;
        s = StreamOf(bad);
        try {
            fresh.ReadDump(s);
            ADD_FAILURE() << "accepted a wrong byte " << at;
        } catch (const EInvalidData& e) {
            EXPECT_STREQ(e.what(), "Not a valid preset file");
        }
        EXPECT_FALSE(fresh.HasLoadedDump);
        EXPECT_EQ(fresh.Title, "My new preset");
    }
}

TEST(Preset, ShortStreamFailsWithStreamReadErrorAndKeepsFields) {
    const auto bytes = Written(BusyPreset());
    TMemoryStream s(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 251));
    TPreset p;
    try {
        p.ReadDump(s);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    EXPECT_FALSE(p.HasLoadedDump);
    EXPECT_EQ(p.DigitalGroup(), -1);
    EXPECT_EQ(p.Title, "My new preset");

    // A longer stream reads only the first 252 bytes.
    std::vector<std::uint8_t> longer(bytes.begin(), bytes.end());
    longer.resize(5000, 0xAA);
    TMemoryStream big(longer);
    p.ReadDump(big);
    EXPECT_FALSE(p.IsChanged());
}

TEST(Preset, ReservedBitsLoadButCountAsChanged) {
    for (int offset : {8, 12, 16}) {
        auto bytes = Written(BusyPreset());
        bytes[static_cast<std::size_t>(offset)] = 0x01;
        TPreset p;
        auto s = StreamOf(bytes);
        p.ReadDump(s);
        EXPECT_TRUE(p.IsChanged()) << offset;
    }
    auto bytes = Written(BusyPreset());
    bytes[6] |= 0x40;
    TPreset p;
    auto s = StreamOf(bytes);
    p.ReadDump(s);
    EXPECT_TRUE(p.IsChanged());
}

TEST(Preset, NeverWritesAByteAbove7FInsideTheFrame) {
    TPreset p = BusyPreset();
    p.Header[2] = 0x95;
    p.Params[3] = 70000;
    p.Params[4] = -3;
    p.PerfMIDI[0].ExtraValue = 4096;
    p.SetDigitalGroup(-1);
    const auto d = Written(p);
    for (int i = 1; i < TPreset::DumpSize - 1; ++i)
        EXPECT_LT(d[static_cast<std::size_t>(i)], 0x80) << "offset " << i;
}

TEST(Preset, TestBitRejectsBitsAbove7) {
    EXPECT_TRUE(TPreset::TestBit(0x80, 7));
    EXPECT_FALSE(TPreset::TestBit(0x7F, 7));
    EXPECT_THROW(TPreset::TestBit(0xFF, 8), std::logic_error);
    EXPECT_NO_THROW(TPreset::FB7Position(9));
    EXPECT_THROW(TPreset::FB7Position(10), std::out_of_range);
}

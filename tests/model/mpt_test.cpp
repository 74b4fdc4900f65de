#include "model/device_globals.h"
#include "model/errors.h"
#include "model/mpt.h"
#include "model/safe_file_name.h"
#include "model/stream.h"

#include <gtest/gtest.h>

namespace {

// Restores the device channel a test changes.
struct ChannelGuard {
    std::uint8_t channel = DeviceChannel;
    ~ChannelGuard() { DeviceChannel = channel; }
};

std::vector<std::uint8_t> Saved(const Tmpt& t, bool preExpress = false) {
    TMemoryStream s;
    t.SaveToStream(s, preExpress);
    return s.Bytes();
}

} // namespace

TEST(Mpt, NewTableDumpInBothModes) {
    ChannelGuard guard;
    TPreExpressScope mode(false);
    DeviceChannel = 3;
    const auto express = Saved(Tmpt());
    ASSERT_EQ(express.size(), 406u);
    EXPECT_EQ((std::vector<std::uint8_t>(express.begin(), express.begin() + 5)),
              (std::vector<std::uint8_t>{0xF0, 0x1A, 3, 0x12, 0x13}));
    EXPECT_EQ(express[5 + 2 * 127], 0x7F);
    EXPECT_EQ(express[6 + 2 * 127], 0x00);
    EXPECT_EQ(express[5 + 2 * 128], 0x00);
    EXPECT_EQ(express[6 + 2 * 128], 0x01);
    EXPECT_EQ(express[5 + 2 * 199], 0x47);
    EXPECT_EQ(express[6 + 2 * 199], 0x01);
    EXPECT_EQ(express[405], 0xF7);

    TPreExpressScope older(true);
    const auto pre = Saved(Tmpt(), true);
    ASSERT_EQ(pre.size(), 262u);
    EXPECT_EQ(pre[4], 0x0C);
    EXPECT_EQ(pre[5 + 2 * 127], 0x7F);
    EXPECT_EQ(pre[261], 0xF7);
}

TEST(Mpt, LoadKeepsHeaderBytesAndRoundTrips) {
    ChannelGuard guard;
    TPreExpressScope mode(false);
    Tmpt source;
    source.DeviceId = 5;
    source.Entries[0] = 150;
    source.Entries[1] = 5;
    source.Entries[199] = 0;
    const auto bytes = Saved(source);
    EXPECT_EQ(bytes[5], 0x16);
    EXPECT_EQ(bytes[6], 0x01);
    EXPECT_EQ(bytes[7], 0x05);
    EXPECT_EQ(bytes[8], 0x00);

    DeviceChannel = 0;
    Tmpt loaded;
    TMemoryStream in(bytes);
    in.SetPosition(100); // loading always starts at the beginning
    loaded.LoadFromStream(in, false);
    EXPECT_EQ(loaded.DeviceId, 5);
    EXPECT_EQ(loaded.Entries, source.Entries);
    EXPECT_EQ(Saved(loaded), bytes);
}

TEST(Mpt, ShortStreamLeavesTableUnchanged) {
    TPreExpressScope mode(false);
    Tmpt t;
    t.Entries[3] = 77;
    const auto before = Saved(t);
    auto bytes = before;
    bytes.resize(405);
    for (auto& b : bytes)
        if (b != 0xF0)
            b = 0x01;
    TMemoryStream in(bytes);
    EXPECT_THROW(t.LoadFromStream(in, false), EReadError);
    EXPECT_EQ(Saved(t), before);
}

TEST(Mpt, PreExpressModeTouchesOnlyTheFirst128Entries) {
    Tmpt t;
    t.Entries[150] = 42;
    Tmpt other;
    for (auto& e : other.Entries)
        e = 1;
    TMemoryStream s;
    other.SaveToStream(s, true);
    t.LoadFromStream(s, true);
    EXPECT_EQ(t.Entries[127], 1);
    EXPECT_EQ(t.Entries[150], 42);
    EXPECT_EQ(Saved(t).size(), 406u);
}

TEST(Mpt, DamagedValuesNeverBreakTheSysexFrame) {
    TPreExpressScope mode(false);
    Tmpt t;
    t.Entries[0] = 255;
    t.Entries[1] = 300;
    t.Entries[2] = -1;
    t.Entries[3] = 0x7FFFFFFF;
    t.DeviceId = 0x85;
    const auto bytes = Saved(t);
    ASSERT_EQ(bytes.size(), 406u);
    for (std::size_t i = 1; i + 1 < bytes.size(); ++i)
        EXPECT_LT(bytes[i], 0x80) << "byte " << i;
    // 255 still splits the usual way.
    EXPECT_EQ(bytes[5], 0x7F);
    EXPECT_EQ(bytes[6], 0x01);
}

TEST(SafeFileName, ReplacesEveryReservedCharacter) {
    EXPECT_EQ(SafeFileName("AC/DC\\live"), "AC-DC-live");
    EXPECT_EQ(SafeFileName("a:b*c<d>e|f?g"), "a b c d e f g");
    EXPECT_EQ(SafeFileName("12\" lead"), "12' lead");
    EXPECT_EQ(SafeFileName("Clean .hrz"), "Clean .hrz");
    EXPECT_EQ(SafeFileName(""), "");
}

#include "model/device_globals.h"
#include "model/errors.h"
#include "model/mpt.h"
#include "model/safe_file_name.h"
#include "model/stream.h"

#include <gtest/gtest.h>

namespace {

// Restores the application-wide switches a test changes.
struct GlobalsGuard {
    bool pre = PreExpressMode;
    std::uint8_t channel = DeviceChannel;
    ~GlobalsGuard() {
        PreExpressMode = pre;
        DeviceChannel = channel;
    }
};

std::vector<std::uint8_t> Saved(const Tmpt& t) {
    TMemoryStream s;
    t.SaveToStream(s);
    return s.Bytes();
}

} // namespace

TEST(Mpt, NewTableDumpInBothModes) {
    GlobalsGuard guard;
    DeviceChannel = 3;
    PreExpressMode = false;
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

    PreExpressMode = true;
    const auto pre = Saved(Tmpt());
    ASSERT_EQ(pre.size(), 262u);
    EXPECT_EQ(pre[4], 0x0C);
    EXPECT_EQ(pre[5 + 2 * 127], 0x7F);
    EXPECT_EQ(pre[261], 0xF7);
}

TEST(Mpt, LoadKeepsHeaderBytesAndRoundTrips) {
    GlobalsGuard guard;
    PreExpressMode = false;
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
    loaded.LoadFromStream(in);
    EXPECT_EQ(loaded.DeviceId, 5);
    EXPECT_EQ(loaded.Entries, source.Entries);
    EXPECT_EQ(Saved(loaded), bytes);
}

TEST(Mpt, ShortStreamLeavesTableUnchanged) {
    GlobalsGuard guard;
    PreExpressMode = false;
    Tmpt t;
    t.Entries[3] = 77;
    const auto before = Saved(t);
    auto bytes = before;
    bytes.resize(405);
    for (auto& b : bytes)
        if (b != 0xF0)
            b = 0x01;
    TMemoryStream in(bytes);
    EXPECT_THROW(t.LoadFromStream(in), EReadError);
    EXPECT_EQ(Saved(t), before);
}

TEST(Mpt, PreExpressModeTouchesOnlyTheFirst128Entries) {
    GlobalsGuard guard;
    PreExpressMode = false;
    Tmpt t;
    t.Entries[150] = 42;
    PreExpressMode = true;
    Tmpt other;
    for (auto& e : other.Entries)
        e = 1;
    TMemoryStream s;
    other.SaveToStream(s);
    t.LoadFromStream(s);
    EXPECT_EQ(t.Entries[127], 1);
    EXPECT_EQ(t.Entries[150], 42);
    PreExpressMode = false;
    EXPECT_EQ(Saved(t).size(), 406u);
}

TEST(Mpt, DamagedValuesNeverBreakTheSysexFrame) {
    GlobalsGuard guard;
    PreExpressMode = false;
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

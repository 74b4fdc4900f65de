#include "model/hrz_messages.h"
#include "model/preset.h"
#include "model/unit_location.h"

#include <gtest/gtest.h>

using namespace HrzMessages;
using TBytes = std::vector<std::uint8_t>;

TEST(HrzMessages, FramesCarryTheChannelAndArguments) {
    EXPECT_EQ(Sysex(5, CmdCurrentPresetRequest), (TBytes{0xF0, 0x1A, 0x05, 0x12, 0x45, 0xF7}));
    EXPECT_EQ(Sysex(15, CmdItemValue, {ItemBank, 3}),
              (TBytes{0xF0, 0x1A, 0x0F, 0x12, 0x03, 0x09, 0x03, 0xF7}));
}

// Every message the program sends, byte for byte, at the edges of its arguments.
TEST(HrzMessages, BuildersSendExactBytes) {
    const struct {
        const char* name;
        TBytes built;
        TBytes expected;
    } cases[] = {
        {"current preset", CurrentPresetRequest(0), {0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7}},
        {"all presets", AllPresetsRequest(15, false), {0xF0, 0x1A, 0x0F, 0x12, 0x52, 0xF7}},
        {"all presets, older", AllPresetsRequest(1, true), {0xF0, 0x1A, 0x01, 0x12, 0x4B, 0xF7}},
        {"table", MptRequest(2, false), {0xF0, 0x1A, 0x02, 0x12, 0x53, 0xF7}},
        {"table, older", MptRequest(2, true), {0xF0, 0x1A, 0x02, 0x12, 0x4C, 0xF7}},
        {"item", ItemRequest(3, ItemPresetNumber), {0xF0, 0x1A, 0x03, 0x12, 0x43, 0x40, 0xF7}},
        {"bank D", BankItemValue(4, 3), {0xF0, 0x1A, 0x04, 0x12, 0x03, 0x09, 0x03, 0xF7}},
        {"bypass on", BypassItemValue(5, true), {0xF0, 0x1A, 0x05, 0x12, 0x03, 0x00, 0x01, 0xF7}},
        {"bypass off", BypassItemValue(5, false), {0xF0, 0x1A, 0x05, 0x12, 0x03, 0x00, 0x00, 0xF7}},
        {"select 0", PresetSelect(6, 0), {0xF0, 0x1A, 0x06, 0x12, 0x09, 0x00, 0x00, 0xF7}},
        {"select 127", PresetSelect(6, 127), {0xF0, 0x1A, 0x06, 0x12, 0x09, 0x7F, 0x00, 0xF7}},
        {"select 128", PresetSelect(6, 128), {0xF0, 0x1A, 0x06, 0x12, 0x09, 0x00, 0x01, 0xF7}},
        {"select 255", PresetSelect(6, 255), {0xF0, 0x1A, 0x06, 0x12, 0x09, 0x7F, 0x01, 0xF7}},
        {"store 1", StorePreset(7, 1), {0xF0, 0x1A, 0x07, 0x12, 0x0A, 0x00, 0x00, 0xF7}},
        {"store 128", StorePreset(7, 128), {0xF0, 0x1A, 0x07, 0x12, 0x0A, 0x7F, 0x00, 0xF7}},
        {"store 129", StorePreset(7, 129), {0xF0, 0x1A, 0x07, 0x12, 0x0A, 0x00, 0x01, 0xF7}},
        {"store 200", StorePreset(7, 200), {0xF0, 0x1A, 0x07, 0x12, 0x0A, 0x47, 0x01, 0xF7}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.built, c.expected) << c.name;

    using M = TShortMessage;
    EXPECT_EQ(ProgramSelect(127),
              (std::array<M, 3>{M{0xB0, 0x00, 0}, M{0xB0, 0x20, 0}, M{0xC0, 0x7F, 0}}));
    EXPECT_EQ(ProgramSelect(128),
              (std::array<M, 3>{M{0xB0, 0x00, 0}, M{0xB0, 0x20, 1}, M{0xC0, 0x00, 0}}));
}

TEST(HrzMessages, ModeDependentCommandsAndLengths) {
    EXPECT_EQ(AllPresetsRequestCommand(false), 0x52);
    EXPECT_EQ(AllPresetsRequestCommand(true), 0x4B);
    EXPECT_EQ(MptRequestCommand(false), 0x53);
    EXPECT_EQ(MptRequestCommand(true), 0x4C);
    EXPECT_EQ(MptDumpCommand(false), 0x13);
    EXPECT_EQ(MptDumpCommand(true), 0x0C);
    EXPECT_EQ(MptDumpLength(false), 406u);
    EXPECT_EQ(MptDumpLength(true), 262u);
}

TEST(HrzMessages, PresetNumbersSplitAt128) {
    const auto n199 = WirePresetNumber(199);
    EXPECT_EQ(n199.Low, 0x47);
    EXPECT_EQ(n199.High, 1);
    const auto n127 = WirePresetNumber(127);
    EXPECT_EQ(n127.Low, 0x7F);
    EXPECT_EQ(n127.High, 0);
    const auto n128 = WirePresetNumber(128);
    EXPECT_EQ(n128.Low, 0);
    EXPECT_EQ(n128.High, 1);
    EXPECT_EQ(ReportedPresetNumber(0x10, 1), 145);
    EXPECT_EQ(ReportedPresetNumber(0x7F, 1), 256);
    EXPECT_EQ(ReportedPresetNumber(0, 0), 1);
    // Only a flag of exactly 1 counts as the high half.
    EXPECT_EQ(ReportedPresetNumber(4, 2), 5);
}

TEST(HrzMessages, RecognisersIgnoreTheChannelButNotLengthOrCommand) {
    TBytes preset(252, 0);
    preset[0] = 0xF0;
    preset[1] = 0x1A;
    preset[2] = 0x0B; // not the device channel
    preset[3] = 0x12;
    preset[4] = 0x05;
    EXPECT_TRUE(IsPresetDump(preset.data(), preset.size()));
    EXPECT_FALSE(IsPresetDump(preset.data(), 251));
    preset[4] = 0x06;
    EXPECT_FALSE(IsPresetDump(preset.data(), preset.size()));

    TBytes table(406, 0);
    table[0] = 0xF0;
    table[1] = 0x1A;
    table[3] = 0x12;
    table[4] = 0x13;
    EXPECT_TRUE(IsMptDump(table.data(), table.size(), false));
    EXPECT_FALSE(IsMptDump(table.data(), table.size(), true));
    table[4] = 0x0C; // the length is right, the command the older model's
    EXPECT_FALSE(IsMptDump(table.data(), table.size(), false));
    table.resize(262);
    table[4] = 0x0C;
    EXPECT_TRUE(IsMptDump(table.data(), table.size(), true));
    EXPECT_FALSE(IsMptDump(table.data(), table.size(), false));

    const TBytes reply{0xF0, 0x1A, 0x07, 0x12, 0x03, 0x00, 0x01, 0xF7};
    EXPECT_TRUE(IsItemValueReply(reply.data(), reply.size()));
    EXPECT_TRUE(IsItemValueReply(reply.data(), 5));
    EXPECT_FALSE(IsItemValueReply(reply.data(), 4));
}

TEST(HrzMessages, TitleTakesEveryOtherByteAndTrimsControlCharacters) {
    TBytes dump(252, 0);
    const std::string chars = "\t  Lead/Solo \x01  ";
    for (std::size_t i = 0; i < 16; ++i) {
        dump[121 + 2 * i] = static_cast<std::uint8_t>(i < chars.size() ? chars[i] : 0);
        dump[122 + 2 * i] = 'X'; // the high parts are not characters
    }
    EXPECT_EQ(PresetTitle(dump.data(), dump.size()), "Lead/Solo");
    // A short buffer reads as blanks beyond its end.
    EXPECT_EQ(PresetTitle(dump.data(), 126), "");
    EXPECT_EQ(PresetTitle(dump.data(), 127), ""); // "L" is at 127
    EXPECT_EQ(PresetTitle(dump.data(), 128), "L");
    EXPECT_EQ(BankLetter(2), "C");
    EXPECT_EQ(BankLetter(-1), "");
    EXPECT_EQ(BankLetter(4), "");
}

TEST(UnitLocation, BankAndThreeDigitsOnlyForTheFourBanks) {
    EXPECT_EQ(PresetLocationText(0, 5), "A 005");
    EXPECT_EQ(PresetLocationText(3, 200), "D 200");
    EXPECT_EQ(PresetLocationText(-1, 128), "128");
    EXPECT_EQ(PresetLocationText(4, 1), "001");
    EXPECT_EQ(PresetLocationText(1, 1000), "B 1000");
}

#include "app/hrz_messages.h"

#include <gtest/gtest.h>

using namespace HrzMessages;
using TBytes = std::vector<std::uint8_t>;

TEST(HrzMessages, FramesCarryTheChannelAndArguments) {
    EXPECT_EQ(Sysex(5, CmdCurrentPresetRequest), (TBytes{0xF0, 0x1A, 0x05, 0x12, 0x45, 0xF7}));
    EXPECT_EQ(Sysex(15, CmdItemValue, {ItemBank, 3}),
              (TBytes{0xF0, 0x1A, 0x0F, 0x12, 0x03, 0x09, 0x03, 0xF7}));
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
    table.resize(262);
    table[4] = 0x0C;
    EXPECT_TRUE(IsMptDump(table.data(), table.size(), true));
    EXPECT_FALSE(IsMptDump(table.data(), table.size(), false));

    const TBytes reply{0xF0, 0x1A, 0x07, 0x12, 0x03, 0x00, 0x01, 0xF7};
    EXPECT_TRUE(IsItemValueReply(reply.data(), reply.size()));
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
    EXPECT_EQ(BankLetter(2), "C");
    EXPECT_EQ(BankLetter(-1), "");
    EXPECT_EQ(BankLetter(4), "");
}

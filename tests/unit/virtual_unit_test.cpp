#include "tests/unit/unit_test_util.h"
#include "unit/virtual_unit.h"

#include "model/preset.h"
#include "model/stream.h"

#include <gtest/gtest.h>

namespace {

TUnitOptions Options(bool preExpress, std::uint8_t channel = 0) {
    TUnitOptions options;
    options.PreExpress = preExpress;
    options.Channel = channel;
    return options;
}

std::vector<TReplyBlock> Ask(THrzVirtualUnit& unit, const Bytes& request) {
    return unit.Receive(request);
}

Bytes StoredDump(const THrzVirtualUnit& unit, int bank, int index, std::uint8_t channel = 0) {
    const auto& dump = unit.Memory().Preset(bank, index);
    Bytes bytes(dump.begin(), dump.end());
    bytes[2] = channel;
    return bytes;
}

Bytes PresetDumpTitled(const char* title, std::uint8_t channel) {
    TPreset preset;
    preset.SetDigitalGroup(0);
    preset.Title = title;
    preset.Header[2] = channel;
    const auto dump = preset.DumpBytes();
    return Bytes(dump.begin(), dump.end());
}

// Both models answer the same message set, with their own command bytes and sizes.
class UnitMessageSet : public ::testing::TestWithParam<bool> {
protected:
    bool PreExpress() const { return GetParam(); }
    std::uint8_t AllPresetsCommand() const { return PreExpress() ? 0x4B : 0x52; }
    std::uint8_t TableRequest() const { return PreExpress() ? 0x4C : 0x53; }
    std::uint8_t TableCommand() const { return PreExpress() ? 0x0C : 0x13; }
    std::size_t TableLength() const { return PreExpress() ? 262 : 406; }
    THrzVirtualUnit unit_{Options(GetParam())};
};

TEST_P(UnitMessageSet, StatusItemsAnswerWithTheirReports) {
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x00})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x00, 0x00})});
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x09})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x09, 0x00})});
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x40})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x40, 0x00, 0x00})});

    // Bypass on, preset 200 (0-based 199): the reports follow.
    EXPECT_TRUE(Ask(unit_, UnitSysex(0, {0x03, 0x00, 0x01})).empty());
    EXPECT_TRUE(Ask(unit_, UnitSysex(0, {0x09, 0x47, 0x01})).empty());
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x00})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x00, 0x01})});
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x40})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x40, 0x47, 0x01})});
    // Preset 128 (0-based 127) is the last one without the high flag.
    Ask(unit_, UnitSysex(0, {0x09, 0x7F, 0x00}));
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x40})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x40, 0x7F, 0x00})});
    // and 0-based 128 the first with it, its low part starting again at 0.
    Ask(unit_, UnitSysex(0, {0x09, 0x00, 0x01}));
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x40})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x40, 0x00, 0x01})});

    EXPECT_TRUE(Ask(unit_, UnitSysex(0, {0x43, 0x05})).empty()) << "unknown item";
    EXPECT_TRUE(Ask(unit_, UnitSysex(0, {0x03, 0x00, 0x02})).empty());
    EXPECT_TRUE(unit_.Memory().Bypass) << "a bypass value other than 0 or 1 is ignored";
}

TEST_P(UnitMessageSet, CurrentPresetRequestSendsTheEditBuffer) {
    Ask(unit_, UnitSysex(0, {0x09, 0x10, 0x01})); // 0-based 144
    const auto replies = Ask(unit_, UnitSysex(0, {0x45}));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0], StoredDump(unit_, 0, 144));
    EXPECT_TRUE(TPreset::IsPresetDump(replies[0].data(), replies[0].size()));
}

TEST_P(UnitMessageSet, AllPresetsRequestSendsTheWholeBank) {
    const auto replies = Ask(unit_, UnitSysex(0, {AllPresetsCommand()}));
    ASSERT_EQ(replies.size(), 200u);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(replies[static_cast<std::size_t>(i)], StoredDump(unit_, 0, i)) << i;
    // The other model's command means nothing here.
    EXPECT_TRUE(
        Ask(unit_, UnitSysex(0, {static_cast<std::uint8_t>(PreExpress() ? 0x52 : 0x4B)})).empty());
}

TEST_P(UnitMessageSet, TableRequestSendsTheTableOfTheModel) {
    const auto replies = Ask(unit_, UnitSysex(0, {TableRequest()}));
    ASSERT_EQ(replies.size(), 1u);
    const auto& t = replies[0];
    ASSERT_EQ(t.size(), TableLength());
    EXPECT_EQ(Bytes(t.begin(), t.begin() + 5), (Bytes{0xF0, 0x1A, 0x00, 0x12, TableCommand()}));
    EXPECT_EQ(t[5 + 2 * 127], 0x7F);
    EXPECT_EQ(t[6 + 2 * 127], 0x00);
    if (!PreExpress()) {
        EXPECT_EQ(t[5 + 2 * 199], 0x47);
        EXPECT_EQ(t[6 + 2 * 199], 0x01);
    }
    EXPECT_EQ(t.back(), 0xF7);
    EXPECT_TRUE(
        Ask(unit_, UnitSysex(0, {static_cast<std::uint8_t>(PreExpress() ? 0x53 : 0x4C)})).empty());
}

TEST_P(UnitMessageSet, StoreThenFetchReturnsTheStoredPreset) {
    const Bytes edited = PresetDumpTitled("Stored/Test: 1", 0);
    EXPECT_TRUE(Ask(unit_, edited).empty());
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x45})), std::vector<TReplyBlock>{edited})
        << "a received dump lands in the edit buffer";

    Ask(unit_, UnitSysex(0, {0x0A, 0x00, 0x01})); // location 129
    Ask(unit_, UnitSysex(0, {0x09, 0x03, 0x00}));
    EXPECT_NE(Ask(unit_, UnitSysex(0, {0x45})), std::vector<TReplyBlock>{edited});
    Ask(unit_, UnitSysex(0, {0x09, 0x00, 0x01}));
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x45})), std::vector<TReplyBlock>{edited});
    EXPECT_EQ(StoredDump(unit_, 0, 128), edited);
}

TEST_P(UnitMessageSet, ProgramChangeGoesThroughTheTable) {
    // Program 5 selects preset 151 (0-based 150) after a new table arrives.
    auto table = Ask(unit_, UnitSysex(0, {TableRequest()}))[0];
    table[5 + 2 * 5] = 0x16;
    table[6 + 2 * 5] = 0x01;
    EXPECT_TRUE(Ask(unit_, table).empty());
    Ask(unit_, {0xB0, 0x00, 0x00, 0xB0, 0x20, 0x00, 0xC0, 0x05});
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x40})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x40, 0x16, 0x01})});
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x45}))[0], StoredDump(unit_, 0, 150));
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {TableRequest()}))[0], table) << "the table was replaced";

    // Program 131 needs bank select 1; the older model's table stops at 128.
    Ask(unit_, {0xB0, 0x20, 0x01, 0xC0, 0x03});
    const Bytes expected = PreExpress() ? UnitSysex(0, {0x03, 0x40, 0x16, 0x01})
                                        : UnitSysex(0, {0x03, 0x40, 0x03, 0x01});
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x40})), std::vector<TReplyBlock>{expected});

    // The table's last program selects, preset 1 (0-based 0) among them; the
    // first program past the table changes nothing.
    const int last = PreExpress() ? 127 : 199;
    table[5 + 2 * static_cast<std::size_t>(last)] = 0x00;
    table[6 + 2 * static_cast<std::size_t>(last)] = 0x00;
    Ask(unit_, table);
    for (int program : {last, last + 1}) {
        Ask(unit_, {0xB0, 0x20, static_cast<std::uint8_t>(program / 128), 0xC0,
                    static_cast<std::uint8_t>(program % 128)});
        EXPECT_EQ(unit_.Memory().CurrentPreset, 0) << program;
    }
}

TEST_P(UnitMessageSet, BankSelectExistsOnlyOnTheFourBankModel) {
    Ask(unit_, UnitSysex(0, {0x09, 0x02, 0x00}));
    Ask(unit_, UnitSysex(0, {0x03, 0x09, 0x02}));
    const std::uint8_t bank = PreExpress() ? 0 : 2;
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x43, 0x09})),
              std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x09, bank})});
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {0x45}))[0], StoredDump(unit_, bank, 2));
    Ask(unit_, UnitSysex(0, {0x03, 0x09, 0x04}));
    EXPECT_EQ(unit_.Memory().CurrentBank, bank) << "bank 4 does not exist";
    EXPECT_EQ(Ask(unit_, UnitSysex(0, {AllPresetsCommand()}))[199], StoredDump(unit_, bank, 199));
}

INSTANTIATE_TEST_SUITE_P(Models, UnitMessageSet, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "PreExpress" : "Express"; });

TEST(VirtualUnit, OnlyItsOwnChannelCounts) {
    THrzVirtualUnit unit(Options(false, 5));
    EXPECT_TRUE(Ask(unit, UnitSysex(0, {0x45})).empty());
    const auto replies = Ask(unit, UnitSysex(5, {0x45}));
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0][2], 5);
    EXPECT_TRUE(Ask(unit, PresetDumpTitled("Elsewhere", 0)).empty());
    EXPECT_NE(Ask(unit, UnitSysex(5, {0x45}))[0], PresetDumpTitled("Elsewhere", 5))
        << "a dump for another channel stays out of the edit buffer";

    Ask(unit, {0xC0, 0x09});
    EXPECT_EQ(unit.Memory().CurrentPreset, 0);
    Ask(unit, {0xC5, 0x09});
    EXPECT_EQ(unit.Memory().CurrentPreset, 9);

    TUnitOptions omni = Options(false, 5);
    omni.Omni = true;
    THrzVirtualUnit omniUnit(omni);
    Ask(omniUnit, {0xC0, 0x0C});
    EXPECT_EQ(omniUnit.Memory().CurrentPreset, 12);
}

TEST(VirtualUnit, IgnoresWhatItDoesNotUnderstand) {
    THrzVirtualUnit unit(Options(false));
    const auto before = unit.Memory().Serialize();
    EXPECT_TRUE(Ask(unit, {0x12, 0xF7, 0xF0, 0x43, 0x00, 0xF7, 0x90, 0x3C, 0x40}).empty());
    EXPECT_TRUE(Ask(unit, UnitSysex(0, {0x45, 0x00})).empty()) << "request with an extra byte";
    EXPECT_TRUE(Ask(unit, UnitSysex(0, {0x7E})).empty());
    Bytes shortDump = PresetDumpTitled("Short", 0);
    shortDump.erase(shortDump.begin() + 100);
    Ask(unit, shortDump);
    Ask(unit, UnitSysex(0, {0x09, 0x48, 0x01})); // preset 201
    Ask(unit, UnitSysex(0, {0x0A, 0x48, 0x01}));
    Bytes longTable(405, 0x00);
    longTable.front() = 0xF0;
    longTable[1] = 0x1A;
    longTable[3] = 0x12;
    longTable[4] = 0x13;
    longTable.back() = 0xF7;
    Ask(unit, longTable);
    // Each command with a byte too few or too many, another maker or model, channel pressure.
    for (const Bytes& odd : {UnitSysex(0, {0x43}), UnitSysex(0, {0x43, 0x40, 0x00}),
                             UnitSysex(0, {0x03, 0x00}), UnitSysex(0, {0x03, 0x00, 0x01, 0x00}),
                             UnitSysex(0, {0x09, 0x05}), UnitSysex(0, {0x09, 0x05, 0x00, 0x00}),
                             UnitSysex(0, {0x0A, 0x05, 0x00, 0x00}), UnitSysex(0, {0x52, 0x00}),
                             UnitSysex(0, {0x53, 0x00}), Bytes{0xF0, 0x1B, 0x00, 0x12, 0x45, 0xF7},
                             Bytes{0xF0, 0x1A, 0x00, 0x13, 0x45, 0xF7}, Bytes{0xD0, 0x09}})
        EXPECT_TRUE(Ask(unit, odd).empty());
    EXPECT_EQ(unit.Memory().Serialize(), before);
}

TEST(VirtualUnit, RequestsSplitAnywhereAndMixedWithRealtimeStillWork) {
    THrzVirtualUnit unit(Options(false));
    const Bytes request{0xF8, 0xF0, 0x1A, 0xFE, 0x00, 0x12, 0xF8, 0x43, 0x40, 0xF7};
    std::vector<TReplyBlock> replies;
    for (std::uint8_t b : request)
        for (auto& r : unit.Receive(&b, 1))
            replies.push_back(r);
    EXPECT_EQ(replies, std::vector<TReplyBlock>{UnitSysex(0, {0x03, 0x40, 0x00, 0x00})});
}

// ---- faults ---------------------------------------------------------------------------

std::vector<TReplyBlock> AskStatusFourTimes(THrzVirtualUnit& unit) {
    std::vector<TReplyBlock> all;
    for (int i = 0; i < 4; ++i)
        for (auto& r : unit.Receive(UnitSysex(0, {0x43, 0x40})))
            all.push_back(r);
    return all;
}

TEST(VirtualUnitFaults, DropTruncateCorruptCountReplies) {
    const Bytes good = UnitSysex(0, {0x03, 0x40, 0x00, 0x00});
    {
        TUnitOptions o = Options(false);
        o.Faults.DropEvery = 2;
        THrzVirtualUnit unit(o);
        EXPECT_EQ(AskStatusFourTimes(unit).size(), 2u);
        // Each dump of a bulk dump is one reply.
        EXPECT_EQ(unit.Receive(UnitSysex(0, {0x52})).size(), 100u);
    }
    {
        TUnitOptions o = Options(false);
        o.Faults.TruncateEvery = 2;
        THrzVirtualUnit unit(o);
        const auto replies = AskStatusFourTimes(unit);
        ASSERT_EQ(replies.size(), 4u);
        EXPECT_EQ(replies[0], good);
        EXPECT_EQ(replies[1], Bytes(good.begin(), good.begin() + 4));
        EXPECT_EQ(replies[3].size(), 4u);
    }
    {
        TUnitOptions o = Options(false);
        o.Faults.CorruptEvery = 1;
        THrzVirtualUnit unit(o);
        const auto dump = unit.Receive(UnitSysex(0, {0x45}));
        ASSERT_EQ(dump.size(), 1u);
        const Bytes stored = StoredDump(unit, 0, 0);
        ASSERT_EQ(dump[0].size(), stored.size());
        int differences = 0;
        for (std::size_t i = 0; i < stored.size(); ++i) {
            differences += dump[0][i] != stored[i];
            EXPECT_EQ(dump[0][i] >= 0x80, stored[i] >= 0x80) << "the frame survives at " << i;
        }
        EXPECT_EQ(differences, 1);
    }
}

TEST(VirtualUnitFaults, InterleaveAddsNoiseAroundAndInsideReplies) {
    TUnitOptions o = Options(false, 3);
    o.Faults.Interleave = true;
    THrzVirtualUnit unit(o);
    const auto replies = unit.Receive(UnitSysex(3, {0x43, 0x00}));
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[0], (Bytes{0xFE, 0xB4, 0x07, 0x64})) << "active sensing, another channel";
    EXPECT_EQ(replies[1], (Bytes{0xF0, 0x1A, 0x03, 0x12, 0xF8, 0x03, 0x00, 0x00, 0xF7}));
}

TEST(VirtualUnitFaults, SilentUnitObeysButNeverAnswers) {
    TUnitOptions o = Options(false);
    o.Faults.Silent = true;
    THrzVirtualUnit unit(o);
    EXPECT_TRUE(unit.Receive(UnitSysex(0, {0x45})).empty());
    EXPECT_TRUE(unit.Receive(UnitSysex(0, {0x03, 0x00, 0x01})).empty());
    EXPECT_TRUE(unit.Memory().Bypass);
}

} // namespace

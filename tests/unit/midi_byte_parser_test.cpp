#include "unit/midi_byte_parser.h"

#include "midi/midi_stream_split.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using TKind = TParsedMidiMessage::TKind;
using Bytes = std::vector<std::uint8_t>;

std::vector<TParsedMidiMessage> Parse(TMidiByteParser& parser, const Bytes& bytes) {
    std::vector<TParsedMidiMessage> out;
    parser.Feed(bytes, out);
    return out;
}

TEST(MidiByteParser, RunningStatusRepeatsTheLastChannelStatus) {
    TMidiByteParser parser;
    const auto out = Parse(parser, {0xB0, 0x00, 0x00, 0x20, 0x01, 0xC0, 0x47, 0x05});
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].Bytes, (Bytes{0xB0, 0x00, 0x00}));
    EXPECT_EQ(out[1].Bytes, (Bytes{0xB0, 0x20, 0x01}));
    EXPECT_EQ(out[2].Bytes, (Bytes{0xC0, 0x47}));
    EXPECT_EQ(out[3].Bytes, (Bytes{0xC0, 0x05}));
}

TEST(MidiByteParser, RealtimeBytesDisturbNothing) {
    TMidiByteParser parser;
    // Clock inside a controller message, active sensing inside a sysex block.
    const auto out =
        Parse(parser, {0xB0, 0x07, 0xF8, 0x64, 0xF0, 0x1A, 0xFE, 0x00, 0xF7, 0x50, 0x60});
    ASSERT_EQ(out.size(), 4u);
    EXPECT_EQ(out[0].Kind, TKind::Realtime);
    EXPECT_EQ(out[1].Bytes, (Bytes{0xB0, 0x07, 0x64}));
    EXPECT_EQ(out[2].Bytes, (Bytes{0xFE}));
    EXPECT_EQ(out[3].Kind, TKind::Sysex);
    EXPECT_EQ(out[3].Bytes, (Bytes{0xF0, 0x1A, 0x00, 0xF7}));
    // A sysex block ends running status: the data bytes after it are noise.
}

TEST(MidiByteParser, SysexSplitAcrossCallsArrivesWhole) {
    TMidiByteParser parser;
    Bytes block{0xF0, 0x1A, 0x00, 0x12, 0x45, 0xF7};
    std::vector<TParsedMidiMessage> out;
    for (std::uint8_t b : block)
        parser.Feed(&b, 1, out);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Bytes, block);
}

TEST(MidiByteParser, GarbageAndBrokenBlocks) {
    TMidiByteParser parser;
    // Data without status, a stray end byte, then a sysex cut short by a status byte.
    const auto out =
        Parse(parser, {0x12, 0x34, 0xF7, 0xF0, 0x1A, 0x00, 0x90, 0x3C, 0x40, 0xF4, 0x01});
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[0].Kind, TKind::SysexAborted);
    EXPECT_EQ(out[0].Bytes, (Bytes{0xF0, 0x1A, 0x00}));
    EXPECT_EQ(out[1].Bytes, (Bytes{0x90, 0x3C, 0x40}));
    EXPECT_EQ(out[2].Kind, TKind::SystemCommon);
    EXPECT_EQ(out[2].Bytes, (Bytes{0xF4}));
}

TEST(MidiByteParser, SystemCommonTakesItsDataAndCancelsRunningStatus) {
    TMidiByteParser parser;
    const auto out = Parse(parser, {0x90, 0x3C, 0x40, 0xF2, 0x01, 0x02, 0x3C, 0x40});
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[1].Kind, TKind::SystemCommon);
    EXPECT_EQ(out[1].Bytes, (Bytes{0xF2, 0x01, 0x02}));
}

TEST(MidiByteParser, OversizedSysexIsDroppedWithoutStoppingTheStream) {
    TMidiByteParser parser(16);
    Bytes bytes{0xF0};
    bytes.insert(bytes.end(), 100, 0x11);
    bytes.push_back(0xF7);
    bytes.insert(bytes.end(), {0xF0, 0x01, 0xF7});
    const auto out = Parse(parser, bytes);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Bytes, (Bytes{0xF0, 0x01, 0xF7}));
    // The limit counts the whole message: 16 bytes arrive, 17 do not.
    for (std::size_t size : {16u, 17u}) {
        Bytes sysex(size, 0x22);
        sysex.front() = 0xF0;
        sysex.back() = 0xF7;
        const auto got = Parse(parser, sysex);
        EXPECT_EQ(got.size(), size == 16 ? 1u : 0u) << size;
    }
}

// The output path splits blocks for the transports; it must cut them where this
// receiver does, or the unit hears something other than what was sent.
TEST(MidiByteParser, OutputSplitGivesTheSameMessages) {
    std::mt19937 random(2000);
    // Mostly status-heavy bytes, so every rule is met often.
    const Bytes alphabet = {0x00, 0x3C, 0x7F, 0x80, 0x90, 0xB0, 0xC0, 0xD0, 0xE0,
                            0xF0, 0xF1, 0xF2, 0xF3, 0xF4, 0xF6, 0xF7, 0xF8, 0xFE};
    for (int run = 0; run < 20000; ++run) {
        Bytes stream(1 + random() % 10);
        for (auto& byte : stream)
            byte = random() % 3 == 0 ? static_cast<std::uint8_t>(random())
                                     : alphabet[random() % alphabet.size()];
        TMidiByteParser parser;
        std::vector<Bytes> heard;
        for (auto& message : Parse(parser, stream))
            if (message.Kind != TKind::SysexAborted)
                heard.push_back(message.Bytes);
        ASSERT_EQ(SplitMidiStream(stream.data(), stream.size()), heard)
            << ::testing::PrintToString(stream);
    }
}

} // namespace

TEST(MidiByteParser, DataBytesOfEachStatus) {
    constexpr int kCases[][2] = {{0x7F, 0}, {0x80, 2}, {0xBF, 2}, {0xC0, 1}, {0xDF, 1},
                                 {0xE0, 2}, {0xEF, 2}, {0xF0, 0}, {0xF1, 1}, {0xF2, 2},
                                 {0xF3, 1}, {0xF4, 0}, {0xF6, 0}, {0xFF, 0}};
    for (const auto& [status, count] : kCases)
        EXPECT_EQ(TMidiByteParser::DataByteCount(static_cast<std::uint8_t>(status)), count)
            << status;
}

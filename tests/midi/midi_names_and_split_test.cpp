#include "midi/midi_device_names.h"
#include "midi/midi_stream_split.h"

#include <gtest/gtest.h>

#include <set>

using Bytes = std::vector<std::uint8_t>;

TEST(DeviceNames, LongNamesKeepBothEndsAndDuplicatesStayUniqueWithinTheLimit) {
    const std::string client = "A Very Long JACK Client Name Indeed:";
    const std::vector<std::string> ports = {
        "USB MIDI", client + "midi_capture_1", client + "midi_capture_2",
        "USB MIDI", client + "midi_capture_1", "USB MIDI"};
    const auto names = UniqueDeviceNames(ports);
    ASSERT_EQ(names.size(), ports.size());
    EXPECT_EQ(names[0], "USB MIDI");
    EXPECT_EQ(names[3], "USB MIDI #2");
    EXPECT_EQ(names[5], "USB MIDI #3");
    EXPECT_EQ(names[1], "A Very Long JAC~:midi_capture_1");
    EXPECT_EQ(names[2], "A Very Long JAC~:midi_capture_2");
    EXPECT_EQ(names[4].substr(names[4].size() - 3), " #2");
    std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), names.size());
    for (const auto& name : names)
        EXPECT_LE(name.size(), 31u) << name;
    EXPECT_EQ(UniqueDeviceNames(ports), names); // the same ports give the same names
}

TEST(DeviceNames, ShorteningNeverSplitsAUtf8Character) {
    std::string name;
    for (int i = 0; i < 20; ++i)
        name += "\xC3\xA9"; // é, two bytes
    const std::string shortened = ShortDeviceName(name, 31);
    EXPECT_LE(shortened.size(), 31u);
    const auto tilde = shortened.find('~');
    ASSERT_NE(tilde, std::string::npos);
    EXPECT_EQ(tilde % 2, 0u);
    EXPECT_EQ((shortened.size() - tilde - 1) % 2, 0u);
    EXPECT_NE(static_cast<unsigned char>(shortened[tilde + 1]) & 0xC0, 0x80u);
    // A name exactly at the limit stays whole; one byte more is shortened.
    EXPECT_EQ(ShortDeviceName(std::string(31, 'n'), 31), std::string(31, 'n'));
    EXPECT_EQ(ShortDeviceName(std::string(32, 'n'), 31),
              std::string(15, 'n') + "~" + std::string(15, 'n'));
    // Both cuts fall inside a character: the head gives it up, the tail starts after it.
    std::string seven;
    for (int i = 0; i < 7; ++i)
        seven += "\xC3\xA9";
    EXPECT_EQ(shortened, seven + "~" + seven);
}

TEST(DeviceNames, SequencerAddressIsDropped) {
    EXPECT_EQ(WithoutPortAddress("Midi Through:Midi Through Port-0 14:0"),
              "Midi Through:Midi Through Port-0");
    EXPECT_EQ(WithoutPortAddress("UM-ONE 128:12"), "UM-ONE");
    EXPECT_EQ(WithoutPortAddress("Port 2"), "Port 2");
    EXPECT_EQ(WithoutPortAddress("Ratio 1:2x"), "Ratio 1:2x");
    EXPECT_EQ(WithoutPortAddress("14:0"), "14:0");
    EXPECT_EQ(WithoutPortAddress("Synth 12 34"), "Synth 12 34"); // no ':' between
    EXPECT_EQ(WithoutPortAddress("Name :5"), "Name :5");         // no client number
    const std::string digits(20, '7'); // no room before the digits to look at
    EXPECT_EQ(WithoutPortAddress(digits), digits);
}

TEST(DeviceNames, OwnClientPortsAreKnownByTheClientName) {
    const std::string own = "HRZ2000e";
    EXPECT_TRUE(IsOwnClientPort("HRZ2000e:MIDI Out", own));
    EXPECT_TRUE(IsOwnClientPort("HRZ2000e-01:MIDI In", own));
    EXPECT_TRUE(IsOwnClientPort("HRZ2000e-12:MIDI Out", own));
    EXPECT_FALSE(IsOwnClientPort("HRZ2000e-:MIDI Out", own));
    EXPECT_FALSE(IsOwnClientPort("HRZ2000e-x1:MIDI Out", own));
    EXPECT_FALSE(IsOwnClientPort("HRZ2000e test:MIDI Out", own));
    EXPECT_FALSE(IsOwnClientPort("HRZ2000 unit:MIDI Out", own));
    EXPECT_FALSE(IsOwnClientPort("HRZ2000e", own));
    EXPECT_FALSE(IsOwnClientPort("UM-ONE:HRZ2000e:x", own));
    EXPECT_FALSE(IsOwnClientPort("HRZ2000e:MIDI Out", ""));
}

// What a MIDI 1.0 receiver makes of each block: the messages in order, and what
// it throws away.
TEST(MidiStreamSplit, FollowsTheReceiverRules) {
    struct TCase {
        const char* What;
        Bytes Stream;
        std::vector<Bytes> Messages;
        std::size_t Incomplete;
        std::size_t Stray;
    };
    const std::vector<TCase> cases = {
        {"running status, sysex, program changes",
         {0xF0, 0x1A, 0x00, 0xF7, 0x90, 0x3C, 0x64, 0x3E, 0x64, 0xC0, 0x05, 0x06, 0xB0, 0x07, 0x70},
         {{0xF0, 0x1A, 0x00, 0xF7},
          {0x90, 0x3C, 0x64},
          {0x90, 0x3E, 0x64},
          {0xC0, 0x05},
          {0xC0, 0x06},
          {0xB0, 0x07, 0x70}},
         0,
         0},
        {"realtime inside a song position",
         {0xF2, 0x01, 0xF8, 0x02},
         {{0xF8}, {0xF2, 0x01, 0x02}},
         0,
         0},
        {"realtime inside a running-status note",
         {0x90, 0x3C, 0x40, 0x3D, 0xF8, 0x41},
         {{0x90, 0x3C, 0x40}, {0xF8}, {0x90, 0x3D, 0x41}},
         0,
         0},
        {"realtime inside a sysex",
         {0xF0, 0x01, 0xFE, 0x02, 0xF7},
         {{0xFE}, {0xF0, 0x01, 0x02, 0xF7}},
         0,
         0},
        {"pitch bend and channel pressure at the edge of their lengths",
         {0xE0, 0x00, 0x40, 0xDF, 0x10},
         {{0xE0, 0x00, 0x40}, {0xDF, 0x10}},
         0,
         0},
        {"a lone status", {0x90}, {}, 1, 0},
        {"a note cut off by a controller",
         {0x90, 0x3C, 0xB0, 0x07, 0x7F},
         {{0xB0, 0x07, 0x7F}},
         1,
         0},
        {"running-status note cut off by the end",
         {0x90, 0x3C, 0x40, 0x3D},
         {{0x90, 0x3C, 0x40}},
         1,
         0},
        {"a stray F7 ends running status",
         {0x90, 0x3C, 0x40, 0xF7, 0x3D, 0x41},
         {{0x90, 0x3C, 0x40}},
         0,
         3},
        {"stray data, a sysex cut off by a note, one cut off by the end",
         {0x12, 0x13, 0xF0, 0x01, 0x02, 0x90, 0x3C, 0x64, 0xF0, 0x7F},
         {{0x90, 0x3C, 0x64}},
         2,
         2},
        {"system common cancels running status",
         {0xF1, 0x05, 0x06, 0xF6, 0xF3, 0x01, 0xC0, 0x05, 0xF4},
         {{0xF1, 0x05}, {0xF6}, {0xF3, 0x01}, {0xC0, 0x05}, {0xF4}},
         0,
         1},
        {"empty sysex", {0xF0, 0xF7}, {{0xF0, 0xF7}}, 0, 0},
        {"a note cut off by a stray F7",
         {0x90, 0x3C, 0xF7, 0xE0, 0x00, 0x40},
         {{0xE0, 0x00, 0x40}},
         1,
         1},
        {"nothing", {}, {}, 0, 0},
    };
    for (const auto& c : cases) {
        const TMidiStreamSplit split = SplitMidiBlock(c.Stream.data(), c.Stream.size());
        EXPECT_EQ(split.Messages, c.Messages) << c.What;
        EXPECT_EQ(split.IncompleteMessages, c.Incomplete) << c.What;
        EXPECT_EQ(split.StrayBytes, c.Stray) << c.What;
        EXPECT_EQ(SplitMidiStream(c.Stream.data(), c.Stream.size()), c.Messages) << c.What;
    }
}

TEST(MidiStreamSplit, MessageLengthsFollowTheStatus) {
    EXPECT_EQ(ShortMessageLength(0x80), 3u);
    EXPECT_EQ(ShortMessageLength(0xBF), 3u);
    EXPECT_EQ(ShortMessageLength(0xC0), 2u);
    EXPECT_EQ(ShortMessageLength(0xDF), 2u);
    EXPECT_EQ(ShortMessageLength(0xE0), 3u);
    EXPECT_EQ(ShortMessageLength(0xEF), 3u);
    EXPECT_EQ(ShortMessageLength(0xF1), 2u);
    EXPECT_EQ(ShortMessageLength(0xF2), 3u);
    EXPECT_EQ(ShortMessageLength(0xF3), 2u);
    EXPECT_EQ(ShortMessageLength(0xF6), 1u);
    EXPECT_EQ(ShortMessageLength(0xFE), 1u);
    EXPECT_EQ(ShortMessageLength(0xF0), 0u);
    EXPECT_EQ(ShortMessageLength(0x40), 0u);
}

#include "midi/midi_event.h"

#include <gtest/gtest.h>

TEST(MidiEventText, DocumentedExamples) {
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::Short(0x90, 0x3C, 0x64, 0x1234)),
              "Note On 90 3C 64     00001234");
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::Short(0xC0, 0x05, 0, 0x10)),
              "Program Change C0 05     00000010");
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::Short(0xF6, 0, 0, 0)), "Tune Request F6     00000000");
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::SysexBlock({0xF0, 0x43, 0xF7})), "Sysex (3): F0 43 F7 ");
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::SysexBlock({})), "Sysex (0): ");
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::Short(0x45, 1, 2)), "Unrecognized MIDI Event");
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::Short(0xF8, 0, 0, 0xFFFFFFFFu)),
              "Timing Clock F8     FFFFFFFF");
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::Short(0xF2, 1, 2, 0xABCDEF)),
              "Song Position Pointer F2 01 02     00ABCDEF");
    EXPECT_EQ(MidiEventText(*TMyMidiEvent::Short(0xF3, 7, 0, 1)), "Song Select F3 07     00000001");
}

TEST(MidiEventText, EveryChannelAndSystemName) {
    const char* channel[] = {"Note Off",       "Note On",        "Key Aftertouch",
                             "Control Change", "Program Change", "Channel Aftertouch",
                             "Pitch Bend"};
    for (int i = 0; i < 7; ++i)
        for (int ch : {0, 15}) {
            const auto text = MidiEventText(
                *TMyMidiEvent::Short(static_cast<std::uint8_t>(0x80 + 16 * i + ch), 1, 2));
            EXPECT_EQ(text.rfind(channel[i], 0), 0u) << text;
        }
    const char* system[] = {"System Exclusive",
                            "MTC Quarter Frame",
                            "Song Position Pointer",
                            "Song Select",
                            "Undefined",
                            "Undefined",
                            "Tune Request",
                            "System Exclusive End",
                            "Timing Clock",
                            "Undefined",
                            "Start",
                            "Continue",
                            "Stop",
                            "Undefined",
                            "Active Sensing",
                            "System Reset"};
    for (int i = 1; i < 16; ++i) {
        const auto text =
            MidiEventText(*TMyMidiEvent::Short(static_cast<std::uint8_t>(0xF0 + i), 0, 0));
        EXPECT_EQ(text.rfind(system[i], 0), 0u) << text;
    }
}

TEST(MidiEventLength, ByStatus) {
    const std::pair<int, int> cases[] = {{0x00, 0}, {0x7F, 0}, {0x80, 3}, {0xBF, 3}, {0xC0, 2},
                                         {0xDF, 2}, {0xE0, 3}, {0xEF, 3}, {0xF1, 2}, {0xF2, 3},
                                         {0xF3, 2}, {0xF4, 1}, {0xF6, 1}, {0xFF, 1}};
    for (auto [status, length] : cases)
        EXPECT_EQ(MidiEventLength(*TMyMidiEvent::Short(static_cast<std::uint8_t>(status), 0, 0)),
                  length)
            << status;
    EXPECT_EQ(MidiEventLength(*TMyMidiEvent::SysexBlock(std::vector<std::uint8_t>(252, 0))), 252);
}

TEST(HexBytesText, UpperCaseWithTrailingBlank) {
    const std::uint8_t bytes[] = {0xF0, 0x0a, 0xF7};
    EXPECT_EQ(HexBytesText(bytes, 3), "F0 0A F7 ");
    EXPECT_EQ(HexBytesText(bytes, 0), "");
}

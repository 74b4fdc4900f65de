#pragma once
// One MIDI message as it travels through the program, and its text forms.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class TMyMidiEvent {
public:
    std::uint8_t Status = 0; // 0xF0 for a sysex block
    std::uint8_t Data1 = 0;
    std::uint8_t Data2 = 0;
    std::uint32_t Time = 0; // ms since the input port was started
    // The received system-exclusive bytes, exactly as delivered; empty for short messages.
    std::vector<std::uint8_t> Sysex;

    std::uint16_t SysexLength() const { return static_cast<std::uint16_t>(Sysex.size()); }
    bool HasSysex() const { return !Sysex.empty(); }

    static std::unique_ptr<TMyMidiEvent> Short(std::uint8_t status, std::uint8_t data1,
                                               std::uint8_t data2, std::uint32_t time = 0);
    static std::unique_ptr<TMyMidiEvent> SysexBlock(std::vector<std::uint8_t> bytes,
                                                    std::uint32_t time = 0);
};

// The monitor line of an event.
std::string MidiEventText(const TMyMidiEvent& event);
// Each byte as two upper-case hex digits and a blank: "F0 43 F7 ".
std::string HexBytesText(const std::uint8_t* bytes, std::uint16_t length);
// Number of meaningful bytes of the event.
std::uint16_t MidiEventLength(const TMyMidiEvent& event);

#include "midi/midi_event.h"

#include <cstdio>

namespace {

const char* const kChannelNames[7] = {"Note Off",       "Note On",        "Key Aftertouch",
                                      "Control Change", "Program Change", "Channel Aftertouch",
                                      "Pitch Bend"};

const char* const kSystemNames[16] = {"System Exclusive",
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

template <typename... Args> std::string Format(const char* format, Args... args) {
    char text[160];
    const int n = std::snprintf(text, sizeof text, format, args...);
    return std::string(text, n < 0 ? 0 : static_cast<std::size_t>(n));
}

} // namespace

std::unique_ptr<TMyMidiEvent> TMyMidiEvent::Short(std::uint8_t status, std::uint8_t data1,
                                                  std::uint8_t data2, std::uint32_t time) {
    auto e = std::make_unique<TMyMidiEvent>();
    e->Status = status;
    e->Data1 = data1;
    e->Data2 = data2;
    e->Time = time;
    return e;
}

std::unique_ptr<TMyMidiEvent> TMyMidiEvent::SysexBlock(std::vector<std::uint8_t> bytes,
                                                       std::uint32_t time) {
    auto e = std::make_unique<TMyMidiEvent>();
    e->Status = 0xF0;
    e->Time = time;
    e->Sysex = std::move(bytes);
    return e;
}

std::string HexBytesText(const std::uint8_t* bytes, std::uint16_t length) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(static_cast<std::size_t>(length) * 3);
    for (std::uint16_t i = 0; i < length; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
        text += ' ';
    }
    return text;
}

std::uint16_t MidiEventLength(const TMyMidiEvent& event) {
    const std::uint8_t s = event.Status;
    if (s < 0x80)
        return 0;
    if (s < 0xC0)
        return 3;
    if (s < 0xE0)
        return 2;
    if (s < 0xF0)
        return 3;
    switch (s) {
    case 0xF0:
        return event.SysexLength();
    case 0xF1:
    case 0xF3:
        return 2;
    case 0xF2:
        return 3;
    default:
        return 1;
    }
}

std::string MidiEventText(const TMyMidiEvent& e) {
    const unsigned hi = e.Time >> 16;
    const unsigned lo = e.Time & 0xFFFF;
    const std::uint8_t s = e.Status;
    if (s < 0x80)
        return "Unrecognized MIDI Event";
    if (s < 0xF0) {
        const char* name = kChannelNames[(s - 0x80) / 16];
        if (s >= 0xC0 && s < 0xE0)
            return Format("%s %2.2X %2.2X     %4.4X%4.4X", name, s, e.Data1, hi, lo);
        return Format("%s %2.2X %2.2X %2.2X     %4.4X%4.4X", name, s, e.Data1, e.Data2, hi, lo);
    }
    const char* name = kSystemNames[s & 0x0F];
    switch (s) {
    case 0xF0:
        return Format("Sysex (%d): ", e.SysexLength()) +
               HexBytesText(e.Sysex.data(), e.SysexLength());
    case 0xF1:
    case 0xF3:
        return Format("%s %2.2X %2.2X     %4.4X%4.4X", name, s, e.Data1, hi, lo);
    case 0xF2:
        return Format("%s %2.2X %2.2X %2.2X     %4.4X%4.4X", name, s, e.Data1, e.Data2, hi, lo);
    default:
        return Format("%s %2.2X     %4.4X%4.4X", name, s, hi, lo);
    }
}

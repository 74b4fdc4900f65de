// MidiEventText and the hex text of any event, short or sysex of any length.
#include "fuzz/fuzz_input.h"
#include "midi/midi_event.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    TMyMidiEvent event;
    event.Status = input.Byte();
    event.Data1 = input.Byte();
    event.Data2 = input.Byte();
    event.Time = input.Word();
    event.Sysex = input.Rest();
    const std::string text = MidiEventText(event);
    const std::uint16_t length = MidiEventLength(event);
    if (event.Status == 0xF0 && length > event.Sysex.size())
        std::abort();
    const std::uint8_t shortBytes[3] = {event.Status, event.Data1, event.Data2};
    const std::uint8_t* bytes = event.Status == 0xF0 ? event.Sysex.data() : shortBytes;
    const std::uint16_t shown = event.Status == 0xF0 ? length : std::min<std::uint16_t>(length, 3);
    const std::string hex = HexBytesText(bytes, shown);
    if (hex.size() != 3u * shown)
        std::abort();
    return 0;
}

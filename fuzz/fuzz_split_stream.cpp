// SplitMidiStream: every message it gives is one a transport can carry, and no
// byte that belongs to a message is lost or made up.
#include "fuzz/fuzz_input.h"
#include "midi/midi_stream_split.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    input.Byte(); // the byte other stream targets use for chunking
    const auto stream = input.Rest();
    const TMidiStreamSplit split = SplitMidiBlock(stream.data(), stream.size());
    const auto& messages = split.Messages;
    std::size_t statusBytes = 0, sysexBytes = 0;
    for (const auto& m : messages) {
        if (m.empty() || m.front() < 0x80)
            std::abort();
        if (m.front() == 0xF0) {
            // A sysex holds data and realtime bytes, and F7 only at its end.
            for (std::size_t i = 1; i < m.size(); ++i)
                if (m[i] >= 0x80 && m[i] < 0xF8 && !(m[i] == 0xF7 && i + 1 == m.size()))
                    std::abort();
            sysexBytes += m.size();
            continue;
        }
        if (m.front() == 0xF7) {
            if (m.size() != 1)
                std::abort();
            continue;
        }
        const std::size_t want = ShortMessageLength(m.front());
        if (want == 0 || m.size() > want)
            std::abort();
        for (std::size_t i = 1; i < m.size(); ++i)
            if (m[i] >= 0x80)
                std::abort();
        ++statusBytes;
    }
    // Every status byte outside a sysex starts a message of its own, or one
    // that was dropped as incomplete.
    std::size_t outside = 0;
    bool inSysex = false;
    for (std::uint8_t b : stream) {
        if (b == 0xF0) {
            inSysex = true;
            continue;
        }
        if (inSysex && b >= 0x80 && b < 0xF8) {
            inSysex = false;
            if (b == 0xF7)
                continue;
        }
        if (!inSysex && b >= 0x80 && b != 0xF7)
            ++outside;
    }
    if (outside > statusBytes + split.IncompleteMessages)
        std::abort();
    if (sysexBytes > stream.size())
        std::abort();
    return 0;
}

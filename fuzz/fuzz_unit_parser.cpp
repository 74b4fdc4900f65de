// The virtual unit's byte parser: any bytes in any split give the same messages
// as the whole stream at once, each well formed.
#include "fuzz/fuzz_input.h"
#include "unit/midi_byte_parser.h"

#include <cstdlib>

namespace {

using TKind = TParsedMidiMessage::TKind;

void CheckMessage(const TParsedMidiMessage& m, std::size_t maxSysex) {
    if (m.Bytes.empty())
        std::abort();
    const std::uint8_t first = m.Bytes.front();
    switch (m.Kind) {
    case TKind::Realtime:
        if (m.Bytes.size() != 1 || first < 0xF8)
            std::abort();
        break;
    case TKind::Channel:
    case TKind::SystemCommon:
        if (first < 0x80 || first == 0xF0 || first == 0xF7 ||
            m.Bytes.size() != 1u + static_cast<std::size_t>(TMidiByteParser::DataByteCount(first)))
            std::abort();
        for (std::size_t i = 1; i < m.Bytes.size(); ++i)
            if (m.Bytes[i] >= 0x80)
                std::abort();
        break;
    case TKind::Sysex:
    case TKind::SysexAborted:
        if (first != 0xF0 || m.Bytes.size() > maxSysex)
            std::abort();
        for (std::size_t i = 1; i < m.Bytes.size(); ++i)
            if (m.Bytes[i] >= 0x80 && !(m.Kind == TKind::Sysex && i + 1 == m.Bytes.size()))
                std::abort();
        if (m.Kind == TKind::Sysex && m.Bytes.back() != 0xF7)
            std::abort();
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::uint8_t chunking = input.Byte();
    // A small limit now and then, so that the overflow path is reached too.
    const std::size_t maxSysex = (chunking & 0x80) ? 64 : TMidiByteParser::DefaultMaxSysex;
    const auto stream = input.Rest();

    TMidiByteParser whole(maxSysex);
    std::vector<TParsedMidiMessage> expected;
    whole.Feed(stream, expected);

    TMidiByteParser pieces(maxSysex);
    std::vector<TParsedMidiMessage> got;
    const std::size_t step = 1 + (chunking & 0x0F);
    for (std::size_t at = 0; at < stream.size(); at += step)
        pieces.Feed(stream.data() + at, std::min(step, stream.size() - at), got);

    if (got.size() != expected.size())
        std::abort();
    for (std::size_t i = 0; i < got.size(); ++i) {
        if (got[i].Kind != expected[i].Kind || got[i].Bytes != expected[i].Bytes)
            std::abort();
        CheckMessage(got[i], maxSysex);
    }
    if (whole.InSysex() != pieces.InSysex())
        std::abort();
    return 0;
}

// The virtual unit's message handling: any bytes on its MIDI in, with any
// model, channel and faults. Without faults every reply is a whole message.
#include "fuzz/fuzz_input.h"
#include "unit/virtual_unit.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();
    const std::uint8_t faults = input.Byte();
    TUnitOptions options; // no state file: memory only
    options.PreExpress = flags & 0x01;
    options.Omni = flags & 0x02;
    options.Channel = static_cast<std::uint8_t>((flags >> 4) & 0x0F);
    if (flags & 0x08) {
        options.Faults.DropEvery = faults & 0x03;
        options.Faults.TruncateEvery = (faults >> 2) & 0x03;
        options.Faults.CorruptEvery = (faults >> 4) & 0x03;
        options.Faults.Interleave = faults & 0x40;
        options.Faults.Silent = faults & 0x80;
    }
    THrzVirtualUnit unit(options);
    const auto stream = input.Rest();
    // Fed in pieces, as a cable's bytes arrive.
    const std::size_t step = 1 + (faults & 0x3F);
    for (std::size_t at = 0; at < stream.size(); at += step) {
        const auto replies = unit.Receive(stream.data() + at, std::min(step, stream.size() - at));
        if (options.Faults.Any())
            continue;
        for (const auto& block : replies) {
            if (block.size() < 6 || block.front() != 0xF0 || block.back() != 0xF7)
                std::abort();
            for (std::size_t i = 1; i + 1 < block.size(); ++i)
                if (block[i] >= 0x80)
                    std::abort();
        }
    }
    const auto& memory = unit.Memory();
    if (memory.CurrentBank < 0 || memory.CurrentBank >= memory.BankCount() ||
        memory.CurrentPreset < 0 || memory.CurrentPreset >= THrzUnitMemory::PresetsPerBank)
        std::abort();
    // What it remembers reads back as it was (now and then: it is 200 KB).
    if (flags & 0x04) {
        THrzUnitMemory copy(options.PreExpress);
        if (!copy.Deserialize(memory.Serialize()))
            std::abort();
    }
    return 0;
}

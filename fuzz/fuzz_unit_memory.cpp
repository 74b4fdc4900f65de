// The virtual unit's memory file: read from any bytes, both models, and from a
// file on disk as a start would read it.
#include "fuzz/fuzz_input.h"
#include "unit/unit_memory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

std::string gPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gPath = (std::filesystem::temp_directory_path() /
             ("fuzz_unit_memory_" + std::to_string(::getpid()) + ".state"))
                .string();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const bool preExpress = input.Byte() & 1;
    const auto bytes = input.Rest();
    THrzUnitMemory memory(preExpress);
    // Made once per model: a fresh memory is a copy of 200 KB of factory
    // presets, and a second copy per run would be most of the run's time.
    static const THrzUnitMemory factories[2] = {THrzUnitMemory(false), THrzUnitMemory(true)};
    const THrzUnitMemory& factory = factories[preExpress ? 1 : 0];
    const auto unchanged = [&] {
        return memory.CurrentBank == factory.CurrentBank &&
               memory.CurrentPreset == factory.CurrentPreset && memory.Bypass == factory.Bypass &&
               memory.Table.Entries == factory.Table.Entries &&
               memory.EditBuffer == factory.EditBuffer &&
               memory.Preset(memory.BankCount() - 1, 199) ==
                   factory.Preset(factory.BankCount() - 1, 199);
    };
    if (memory.Deserialize(bytes)) {
        // Accepted: it is exactly what it claims, and every dump is whole.
        if (memory.Serialize() != bytes)
            std::abort();
        for (int bank = 0; bank < memory.BankCount(); ++bank)
            for (int i = 0; i < THrzUnitMemory::PresetsPerBank; ++i)
                if (!TPreset::IsPresetDump(memory.Preset(bank, i).data(), TPreset::DumpSize))
                    std::abort();
    } else if (!unchanged()) {
        std::abort(); // refused: nothing changed
    }
    if (bytes.size() % 7 == 0) { // the file path now and then; it is slower
        std::ofstream(gPath, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        std::string notice;
        (void)LoadUnitMemory(gPath, preExpress, &notice);
        std::error_code ec;
        std::filesystem::remove(gPath, ec);
        std::filesystem::remove(gPath + ".damaged", ec);
    }
    return 0;
}

// The preset editor's Open on any chosen file: a file is either one preset
// dump, which reads into a preset and writes back 252 bytes, or refused with
// a message; a file of any size is never read beyond the dump's length.
#include "fuzz/fuzz_input.h"
#include "model/errors.h"
#include "model/preset.h"
#include "model/preset_files.h"
#include "model/stream.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path =
        (FuzzScratchFolder() / ("fuzz_editor_open_" + std::to_string(::getpid()))).string();
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    std::vector<std::uint8_t> bytes;
    std::error_code ec;
    try {
        bytes = ReadPresetFile(path);
        std::filesystem::remove(path, ec); // nothing stays in memory after the last input
    } catch (const EHrzError& e) {
        std::filesystem::remove(path, ec);
        if (size == TPreset::DumpSize || std::string(e.what()) != "Not a valid preset file")
            std::abort();
        return 0;
    }
    if (bytes.size() != TPreset::DumpSize || size != TPreset::DumpSize ||
        !std::equal(bytes.begin(), bytes.end(), data))
        std::abort();
    TMemoryStream dump(bytes);
    TPreset preset;
    try {
        preset.ReadDump(dump);
    } catch (const EHrzError&) {
        return 0; // "Not a valid preset file"
    }
    TMemoryStream out;
    preset.WriteDump(out);
    if (out.Size() != TPreset::DumpSize)
        std::abort();
    return 0;
}

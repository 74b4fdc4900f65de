#pragma once
// Benchmark data: a hundred thousand distinct presets made from the virtual unit's
// factory presets (title and two mix values varied), written as backup folders of
// "Bank A".."Bank D" with 200 files each, as the backup run writes them.
#include "library/preset_library.h"
#include "model/preset_files.h"
#include "unit/factory_presets.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace BenchLibrary {

constexpr int DefaultPresets = 100000;

inline TDumpBytes VariedDump(int i) {
    const int base = i % 800;
    const int variant = i / 800;
    TDumpBytes d = FactoryPresetDump(base / 200, base % 200, false);
    const auto setSlot = [&](int slot, int value) {
        d[static_cast<std::size_t>(TPreset::OffsetParams + 2 * slot)] =
            static_cast<std::uint8_t>(value & 0x7F);
        d[static_cast<std::size_t>(TPreset::OffsetParams + 2 * slot + 1)] =
            static_cast<std::uint8_t>(value >> 7);
    };
    setSlot(0, variant % 32);
    setSlot(33, (variant / 32) % 49);
    char title[32];
    std::snprintf(title, sizeof title, "Var%05d %-7.7s", i % 100000,
                  FactoryPresetTitle(base / 200, base % 200).c_str());
    for (int c = 0; c < 16; ++c) {
        d[static_cast<std::size_t>(TPreset::OffsetTitle + 2 * c)] =
            static_cast<std::uint8_t>(title[c] ? title[c] : ' ');
        d[static_cast<std::size_t>(TPreset::OffsetTitle + 2 * c + 1)] = 0;
    }
    return d;
}

// count files under root/backup-NNN/Bank X/Title.hrzNNN.
inline void WriteBackupFolders(const std::filesystem::path& root, int count) {
    for (int i = 0; i < count; ++i) {
        const int backup = i / 800, bank = (i / 200) % 4, number = i % 200 + 1;
        char folder[64];
        std::snprintf(folder, sizeof folder, "backup-%03d/Bank %c", backup, 'A' + bank);
        const auto dir = root / folder;
        if (number == 1)
            std::filesystem::create_directories(dir);
        const TDumpBytes d = VariedDump(i);
        const std::string name =
            PresetFileName(PresetTitle(d.data(), d.size()), number, "Untitled");
        std::ofstream(dir / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(d.data()), static_cast<std::streamsize>(d.size()));
    }
}

inline double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

inline int PresetCountArg(int argc, char** argv) {
    return argc > 1 ? std::max(1, std::atoi(argv[1])) : DefaultPresets;
}

} // namespace BenchLibrary

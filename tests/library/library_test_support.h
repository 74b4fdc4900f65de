#pragma once
// Presets made to measure for the library tests, and a scratch folder.
#include "library/preset_facts.h"
#include "model/preset.h"

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace LibraryTest {

// A preset with the given title, digital group (all its effects on), analog
// effects on and slot values.
inline TDumpBytes MakeDump(const std::string& title, int group = 0,
                           std::initializer_list<int> analogOn = {},
                           std::initializer_list<std::pair<int, int>> slotValues = {}) {
    TPreset p;
    p.Title = title;
    p.SetDigitalGroup(group);
    for (int j = 0; j < TPreset::DigitalActiveCount; ++j)
        p.SetDigitalActive(j, true);
    for (const int a : analogOn)
        p.SetAnalogSelect(a, true);
    for (const auto& [slot, value] : slotValues)
        p.Params[static_cast<std::size_t>(slot)] = value;
    return p.DumpBytes();
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> Bytes(const TDumpBytes& d) {
    return {d.begin(), d.end()};
}

class TScratch {
public:
    TScratch() {
        path_ =
            std::filesystem::temp_directory_path() /
            ("hrz-library-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TScratch() { std::filesystem::remove_all(path_); }
    const std::filesystem::path& Path() const { return path_; }
    std::string Db() const { return (path_ / "library.sqlite").string(); }

private:
    static inline int counter_ = 0;
    std::filesystem::path path_;
};

} // namespace LibraryTest

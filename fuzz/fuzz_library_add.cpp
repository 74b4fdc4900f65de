// Adding a damaged file to the library: whatever the bytes, the add lists the file
// as read or skipped with a reason, records only real preset dumps, and leaves a
// library that passes its integrity check.
#include "library/preset_library.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TPlace {
    fs::path Folder;
    std::unique_ptr<TPresetLibrary> Library;
    int Runs = 0;
};

TPlace& Place() {
    static TPlace place = [] {
        TPlace p;
        p.Folder = fs::temp_directory_path() / ("fuzz-library-add-" + std::to_string(getpid()));
        fs::remove_all(p.Folder);
        fs::create_directories(p.Folder / "Bank B");
        p.Library = std::make_unique<TPresetLibrary>((p.Folder / "library.sqlite").string());
        return p;
    }();
    return place;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TPlace& place = Place();
    // A new name each run: the library must read it (a known unchanged file is skipped).
    const char* names[] = {"x.syx", "x.hrz", "x.hrz042"};
    const fs::path file =
        place.Folder / "Bank B" / (std::to_string(place.Runs++) + names[size % 3]);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const auto before = place.Library->PresetCount();
    const TAddReport report = place.Library->Add({file.string()});
    fs::remove(file);
    if (report.Files != 1 || report.Read != 1)
        std::abort();
    if (report.Presets == 0 && report.Skipped.size() != 1)
        std::abort();
    for (const auto& s : report.Skipped)
        if (s.Reason.empty())
            std::abort();
    // Only whole dumps become presets: at most one per 252 bytes.
    if (static_cast<std::size_t>(report.Presets) * 252 > size ||
        place.Library->PresetCount() - before != report.NewPresets)
        std::abort();
    if (place.Runs % 500 == 0 && place.Library->IntegrityCheck() != "ok")
        std::abort();
    return 0;
}

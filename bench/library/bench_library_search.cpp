// Searches over a library of distinct presets. Target: the median of every
// query's time at most 50 ms.
//
// Usage: bench_library_search [number of presets, default 100000]
#include "bench_library_data.h"

#include <algorithm>
#include <iostream>
#include <vector>

namespace fs = std::filesystem;
using namespace BenchLibrary;

int main(int argc, char** argv) {
    const int count = PresetCountArg(argc, argv);
    const fs::path root =
        fs::temp_directory_path() / ("bench-library-search-" + std::to_string(getpid()));
    fs::remove_all(root);
    WriteBackupFolders(root / "files", count);
    TPresetLibrary lib((root / "library.sqlite").string());
    lib.Add({(root / "files").string()});

    const char* const queries[] = {
        "lead",
        "\"var0123\"",
        "Reverb Decay > 5 s",
        "Compressor Drive at least 50%",
        "effect:Reverb and cc:any",
        "effect:Compressor and not effect:Distortion",
        "group:33",
        "Stereo DDL Left Delay >= 500 ms or Tapped DDL Delay < 100 ms",
        "duplicate",
        "Reverb Type is Plate-1",
        "cc:11",
        "Mix Dry > 50% and Equalizer 40hz < 0 db",
    };
    std::vector<double> times;
    for (int round = 0; round < 5; ++round)
        for (const char* q : queries) {
            const auto t = std::chrono::steady_clock::now();
            const auto ids = lib.Search(q);
            times.push_back(Seconds(t) * 1000);
            if (round == 0)
                std::cout << q << ": " << ids.size() << " presets, " << times.back() << " ms\n";
        }
    fs::remove_all(root);
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::cout << "median: " << median << " ms, slowest: " << times.back() << " ms over " << count
              << " presets\n";
    const double ratio = median / 50.0;
    std::cout << "ratio: " << ratio << '\n';
    return ratio <= 1.0 ? 0 : 1;
}

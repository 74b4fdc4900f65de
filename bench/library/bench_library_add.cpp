// Adding a folder of preset files to the library against reading the same files
// with cat. Target: at most 3 times cat's time. Also reports the database size
// against the dump bytes (target: at most 2 times).
//
// Usage: bench_library_add [number of files, default 100000]
#include "bench_library_data.h"

#include <cstdlib>
#include <iostream>

namespace fs = std::filesystem;
using namespace BenchLibrary;

int main(int argc, char** argv) {
    const int count = PresetCountArg(argc, argv);
    const fs::path root =
        fs::temp_directory_path() / ("bench-library-add-" + std::to_string(getpid()));
    fs::remove_all(root);
    WriteBackupFolders(root / "files", count);

    // cat is given the same files; its output goes nowhere. Best of three, warm cache.
    const std::string cat =
        "find '" + (root / "files").string() + "' -type f -print0 | xargs -0 cat > /dev/null";
    double catBest = 1e30;
    for (int run = 0; run < 3; ++run) {
        const auto t = std::chrono::steady_clock::now();
        if (std::system(cat.c_str()) != 0) {
            std::cerr << "cat failed\n";
            return 1;
        }
        catBest = std::min(catBest, Seconds(t));
    }

    double addBest = 1e30;
    std::uintmax_t dbBytes = 0;
    TAddReport report;
    for (int run = 0; run < 2; ++run) {
        const auto db = root / ("library-" + std::to_string(run) + ".sqlite");
        const auto t = std::chrono::steady_clock::now();
        {
            TPresetLibrary lib(db.string());
            report = lib.Add({(root / "files").string()});
            addBest = std::min(addBest, Seconds(t));
            lib.Db().Exec("PRAGMA wal_checkpoint(TRUNCATE)");
        }
        dbBytes = fs::file_size(db);
    }
    fs::remove_all(root);

    const double dumpBytes = 252.0 * count;
    std::cout << "files: " << count << ", presets recorded: " << report.Presets
              << ", new: " << report.NewPresets << ", skipped: " << report.Skipped.size() << '\n'
              << "cat: " << catBest << " s, add: " << addBest << " s\n"
              << "database: " << dbBytes << " bytes = " << dbBytes / dumpBytes
              << " x the dump bytes (target 2)\n";
    const double ratio = addBest / catBest;
    std::cout << "ratio: " << ratio << '\n';
    return ratio <= 3.0 && report.NewPresets == count && dbBytes <= 2 * dumpBytes ? 0 : 1;
}

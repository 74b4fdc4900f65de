// The Library window opened on a library of distinct presets, all of them listed,
// until it is painted. Target: at most 200 ms.
//
// Usage: bench_library_window [number of presets, default 100000]
#include "bench_library_data.h"
#include "library_window/frm_library.h"
#include "library_window/library_table_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>

#include <algorithm>
#include <iostream>
#include <vector>

namespace fs = std::filesystem;
using namespace BenchLibrary;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = PresetCountArg(argc, argv);
    const fs::path root =
        fs::temp_directory_path() / ("bench-library-window-" + std::to_string(getpid()));
    fs::remove_all(root);
    WriteBackupFolders(root / "files", count);
    TPresetLibrary lib((root / "library.sqlite").string());
    lib.Add({(root / "files").string()});

    std::vector<double> times;
    int shown = 0;
    for (int run = 0; run < 7; ++run) {
        QElapsedTimer timer;
        timer.start();
        TfrmLibrary window(lib, TLibraryHost{});
        window.show();
        window.grdPresets->viewport()->repaint(); // painted, not just laid out
        QApplication::processEvents();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        shown = window.Model()->rowCount();
    }
    fs::remove_all(root);
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::cout << "window with " << shown << " presets listed: median " << median << " ms, best "
              << times.front() << " ms\n";
    const double ratio = median / 200.0;
    std::cout << "ratio: " << ratio << '\n';
    return ratio <= 1.0 && shown == count ? 0 : 1;
}

// Lists a folder of many files with the file pane and with `ls -l`, side by
// side, and prints the ratio. Target: the pane takes no longer than `ls -l`.
//
// Usage: bench_file_pane [number of files, default 20000]
#include "explorer/filepane/file_explorer_pane.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kDefaultFiles = 20000;
constexpr int kRuns = 5;
constexpr double kTarget = 1.0;

double BestMs(const std::function<void()>& run) {
    double best = 1e30;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int files = argc > 1 ? QString(argv[1]).toInt() : kDefaultFiles;
    if (files < 1) {
        std::fprintf(stderr, "usage: bench_file_pane [number of files, default %d]\n",
                     kDefaultFiles);
        return 2;
    }

    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const char* suffixes[] = {".hrz", ".mpt", ".hrz001", ".syx", ".txt", ".mid", ""};
    const QByteArray body(252, '\x11');
    for (int i = 0; i < files; ++i) {
        QFile f(tmp.filePath(QStringLiteral("Preset %1").arg(i, 6, 10, QChar('0')) +
                             QString::fromLatin1(suffixes[i % 7])));
        if (!f.open(QIODevice::WriteOnly) || f.write(body.left(i % 253)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(f.fileName()));
            return 1;
        }
    }
    for (int i = 0; i < 50; ++i)
        QDir(tmp.path()).mkdir(QStringLiteral("Folder %1").arg(i));

    const double lsMs = BestMs([&] {
        QProcess ls;
        ls.setStandardOutputFile(QProcess::nullDevice());
        ls.start(QStringLiteral("ls"), {QStringLiteral("-l"), tmp.path()});
        ls.waitForFinished(-1);
    });

    TFileExplorerPane pane;
    pane.resize(900, 600);
    pane.show();
    pane.Setup({tmp.path()});
    const double paneMs = BestMs([&] {
        pane.RefreshFileList();
        QApplication::processEvents(); // layout and first paint
    });
    const int count = pane.FileInfoText(0).section(' ', 0, 0).toInt();

    const double ratio = paneMs / lsMs;
    std::printf("files listed:      %d of %d (%s)\n", count, files + 50,
                qPrintable(pane.FileInfoText(1)));
    std::printf("ls -l:             %8.1f ms (best of %d)\n", lsMs, kRuns);
    std::printf("RefreshFileList:   %8.1f ms (best of %d)\n", paneMs, kRuns);
    std::printf("pane / ls -l (target <= %.0f)\n", kTarget);
    std::printf("ratio: %.2f\n", ratio);
    return count == files + 50 && ratio <= kTarget ? 0 : 1;
}

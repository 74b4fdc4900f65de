// Lists a folder of 20,000 files with the file pane and with `ls -l`, side by
// side, and prints the ratio (target: at most 3).
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

constexpr int kFiles = 20000;
constexpr int kRuns = 5;

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

    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        std::fprintf(stderr, "cannot create a temporary folder\n");
        return 1;
    }
    const char* suffixes[] = {".hrz", ".mpt", ".hrz001", ".syx", ".txt", ".mid", ""};
    const QByteArray body(252, '\x11');
    for (int i = 0; i < kFiles; ++i) {
        QFile f(tmp.filePath(QStringLiteral("Preset %1").arg(i, 5, 10, QChar('0')) +
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

    std::printf("files listed:      %d (%s)\n", count, qPrintable(pane.FileInfoText(1)));
    std::printf("ls -l:             %8.1f ms\n", lsMs);
    std::printf("RefreshFileList:   %8.1f ms\n", paneMs);
    std::printf("ratio pane/ls:     %8.2f  (target <= 3)\n", paneMs / lsMs);
    return count == kFiles + 50 ? 0 : 1;
}

#include "controls/seams/shell_service.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace {

#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
constexpr bool kOpensThroughLauncher = true;
#else
constexpr bool kOpensThroughLauncher = false;
#endif

// A launcher that ends later than this has opened a browser and waited for it.
constexpr qint64 kLauncherVerdictMs = 10000;

// Qt would warn about a launcher still running at exit; the browser it
// started is not ours to end, only the launcher is.
class TLauncherProcess : public QProcess {
public:
    using QProcess::QProcess;
    ~TLauncherProcess() override {
        if (state() != NotRunning) {
            kill();
            waitForFinished(1000);
        }
    }
};

// xdg-open: 0 done, 2 no such file, 3 no tool for the type, 4 the tool failed.
int LauncherResult(int exitCode, QProcess::ExitStatus status) {
    if (status != QProcess::NormalExit)
        return shNoAssociation;
    if (exitCode == 0)
        return shOk;
    return exitCode == 2 ? shFileNotFound : shNoAssociation;
}

class TDesktopShellService : public IShellService {
public:
    explicit TDesktopShellService(QString launcher) : launcher_(std::move(launcher)) {}

    int OpenDocument(const QString& path, TShellLateResult lateResult) override {
        const QFileInfo info(path);
        if (!info.dir().exists())
            return shPathNotFound;
        if (!info.isFile())
            return shFileNotFound;
        if (kOpensThroughLauncher) {
            const QString launcher = FindLauncher();
            if (!launcher.isEmpty())
                return StartLauncher(launcher, info.absoluteFilePath(), std::move(lateResult));
        }
        // Windows and macOS, and a Linux desktop without xdg-utils: Qt's own way.
        return QDesktopServices::openUrl(QUrl::fromLocalFile(info.absoluteFilePath()))
                   ? shOk
                   : shNoAssociation;
    }

private:
    QString FindLauncher() const {
        if (QFileInfo(launcher_).isAbsolute())
            return QFileInfo(launcher_).isExecutable() ? launcher_ : QString();
        return QStandardPaths::findExecutable(launcher_);
    }

    static int StartLauncher(const QString& launcher, const QString& path,
                             TShellLateResult lateResult) {
        // Owned by the application, so one still running at exit is ended.
        auto* process = new TLauncherProcess(QCoreApplication::instance());
        // Its messages go where the program's go; the browser it may start
        // keeps no pipe of ours.
        process->setProcessChannelMode(QProcess::ForwardedChannels);
        process->setStandardInputFile(QProcess::nullDevice());
        process->start(launcher, {path});
        if (!process->waitForStarted(5000)) {
            process->deleteLater();
            return shNoAssociation;
        }
        QElapsedTimer started;
        started.start();
        QObject::connect(process, &QProcess::finished, process,
                         [process, started, lateResult = std::move(lateResult)](
                             int exitCode, QProcess::ExitStatus status) {
                             process->deleteLater();
                             if (lateResult && started.elapsed() <= kLauncherVerdictMs)
                                 lateResult(LauncherResult(exitCode, status));
                         });
        return shOk;
    }

    QString launcher_;
};

IShellService* g_shell = nullptr;

} // namespace

IShellService& Shell() {
    static TDesktopShellService desktop(QStringLiteral("xdg-open"));
    return g_shell ? *g_shell : desktop;
}

void SetShellService(IShellService* service) {
    g_shell = service;
}

std::unique_ptr<IShellService> MakeDesktopShell(const QString& launcher) {
    return std::make_unique<TDesktopShellService>(launcher);
}

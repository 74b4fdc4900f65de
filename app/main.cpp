// Program start: the application object, the MIDI devices, the main window
// and the settings store, then the message loop.
#include "app/command_line.h"
#include "app/startup_worker.h"
#include "app/window/frm_main.h"
#include "controls/app_error_handler.h"
#include "controls/first_paint_probe.h"
#include "controls/lv_splash_about.h"
#include "controls/seams/dialog_service.h"
#include "library/unit_recorder.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "settings/win_registry_layer.h"

#include <QPointer>
#include <QScopeGuard>
#include <QTimer>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    // Answered before the window system starts, so they work without a display.
    switch (EarlyAction(argc, argv)) {
    case TCommandLine::TAction::Help:
        std::puts(qPrintable(UsageLine()));
        return 0;
    case TCommandLine::TAction::Version:
        std::puts("hrz2000e " HRZ_VERSION);
        return 0;
    default:
        break;
    }

    // Work that needs no window runs beside the window thread from here on.
    TStartupWorker worker;

    TlvApplication app(argc, argv);
    worker.WindowSystemStarted();
    // The worker uses the application object: it ends first, however main ends.
    const auto finishWorker = qScopeGuard([&worker] { (void)worker.WaitForDevices(); });
    // The window system has taken its own options out by now.
    const TCommandLine commandLine = ParseCommandLine(QApplication::arguments().mid(1));
    if (commandLine.Action == TCommandLine::TAction::Help) {
        std::puts(qPrintable(UsageLine()));
        return 0;
    }
    if (commandLine.Action == TCommandLine::TAction::Version) {
        std::puts("hrz2000e " HRZ_VERSION);
        return 0;
    }
    if (commandLine.Action == TCommandLine::TAction::Refuse) {
        std::fprintf(stderr, "%s\n%s\n", qPrintable(commandLine.Message), qPrintable(UsageLine()));
        return 2;
    }
    const QString title = "HRZ2000e";
    QApplication::setApplicationName(title);
    QApplication::setApplicationVersion(QStringLiteral(HRZ_VERSION));
    // Ties the windows to the menu entry (hrz2000e.desktop) and its icon.
    QApplication::setDesktopFileName("hrz2000e");
    TProductTexts texts;
    texts.ProductName = title;
    texts.Description = "Librarian and editor for the HRZ2000 Express guitar multi-effects unit";
    texts.Version = QApplication::applicationVersion();
    TlvSplashAbout::SetProductTexts(texts);
    // Frees itself a second after the main window is on screen. It is built
    // while the worker still reads the font configuration, and its text is
    // the first laid out.
    QPointer<TlvSplashAbout> splash =
        TlvSplashAbout::ShowSplash(TlvSplashAbout::kCheckIntervalMs, TlvSplashAbout::kCloseDelayMs,
                                   [&worker] { worker.WaitForFonts(); });

    QApplication::processEvents();
    QApplication::setWindowIcon(worker.WindowIcon());
    TfrmMain mainWindow;
    if (splash)
        splash->WatchWindow(&mainWindow);
    QApplication::processEvents();

#ifdef _WIN32
    auto layer = std::make_unique<TWinRegistryLayer>();
    const QString notice;
#else
    auto layer = std::make_unique<TQtRegistryLayer>();
    const QString notice = layer->StartupNotice();
#endif
    TlvRegUtil settings(std::move(layer));
    settings.SetRootKey(TRootKey::CurrentUser);
    settings.SetPath("\\SOFTWARE\\Lumivale/" + title);
    SetRegUtil(&settings);
    // What comes from the unit goes into the library beside the unit's memory.
    UnitRecorder::Enable(DefaultLibraryPath());
    if (!notice.isEmpty())
        ShowMessage(nullptr, notice, title);

    const std::vector<std::string> notices = worker.WaitForDevices();
    // A failed start-up is shown here; the window then refuses to run.
    const bool started = RunShowingErrors([&] { mainWindow.InitializeWindow(&settings, title); });
    ExitAtFirstPaintIfAsked(mainWindow);
    mainWindow.show();
    for (const std::string& notice : notices)
        mainWindow.ShowStartNotice(QString::fromStdString(notice));
    // Stored values that could not be used gave way to their defaults: said
    // once, and no box stands between the user and the window.
    const auto sayRejected = [&mainWindow](const QString& text) {
        std::fprintf(stderr, "hrz2000e: %s\n", qPrintable(text));
        mainWindow.ShowStartNotice(text);
    };
    if (const QString rejected = settings.TakeRejectedNotice(); !rejected.isEmpty())
        sayRejected(rejected);
    settings.SetRejectedSink(sayRejected);
    if (started && !commandLine.FilePath.isEmpty())
        QTimer::singleShot(0, &mainWindow, [&] { mainWindow.OpenGivenFile(commandLine.FilePath); });
    const int result = QApplication::exec();
    SetRegUtil(nullptr);
    return result;
}

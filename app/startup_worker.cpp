#include "app/startup_worker.h"

#include "controls/seams/install_paths.h"
#include "midi/platform_module.h"
#include "midi/system_midi_platform.h"
#include "midi/winmm_platform.h"
#include "model/file_path.h"
#include "model/stream.h"
#include "unit/unit_memory.h"
#include "unit/virtual_unit_platform.h"

#include <QMimeDatabase>
#include <QPixmap>

#include <cstdio>
#include <filesystem>

#ifdef HRZ_HAVE_FONTCONFIG
#include <fontconfig/fontconfig.h>
#endif

namespace {

// Small sizes only: the large ones are the installed menu icon's.
constexpr int kIconSizes[] = {16, 24, 32, 48, 64};

} // namespace

TStartupWorker::TStartupWorker() : thread_([this] { Run(); }) {}

TStartupWorker::~TStartupWorker() {
    // A start that ends early (help, a refused option) must not leave the
    // worker waiting for the window system.
    WindowSystemStarted();
}

void TStartupWorker::Run() {
#ifdef HRZ_HAVE_FONTCONFIG
    // Dozens of files, the largest single step before the first text can be
    // laid out. Thread-safe: Qt's own call later finds it loaded.
    FcInit();
#endif
    fontsRead_.count_down();

    windowSystemUp_.wait();
    for (int size : kIconSizes) {
        QImage image(QStringLiteral(":/icons/hrz2000e-%1.png").arg(size));
        if (!image.isNull())
            iconImages_.push_back(std::move(image));
    }
    iconRead_.count_down();
    // The file list asks it for folder and file type names.
    (void)QMimeDatabase().mimeTypeForName(QStringLiteral("inode/directory"));

    // Looking for the devices takes a while (loading RtMidi, the JACK and
    // ALSA clients); no port is made before it is done. Without the module
    // the program still runs, with the virtual unit only.
#ifdef _WIN32
    // Windows' own MIDI service, which the port layer is shaped after.
    SystemMidiPlatform().AddBackend(std::make_unique<TWinMMPlatform>());
#else
    std::string moduleError;
    const QString modulePath = ProgramModulePath(QStringLiteral(HRZ_MIDI_MODULE));
    if (auto devices = LoadMidiPlatformModule(modulePath.toStdString(), moduleError)) {
        SystemMidiPlatform().AddBackend(std::move(devices));
    } else {
        // A damaged install: said in the window and, for whoever packaged it, here.
        notices_.push_back("No MIDI interface can be used: " + moduleError);
        std::fprintf(stderr, "hrz2000e: %s\n", notices_.back().c_str());
    }
#endif
    // The unit keeps its memory between runs, as hardware does.
    TUnitOptions unit;
    unit.WirePacing = true;
    unit.StatePath = DefaultUnitStatePath(unit.PreExpress);
    // A save killed in the last run left its temporary file beside the memory.
    RemoveLeftoverSaveFiles(Utf8FromPath(PathFromUtf8(unit.StatePath).parent_path()));
    auto virtualUnit = std::make_unique<TVirtualUnitMidiPlatform>(unit);
    SetBuiltInVirtualUnit(virtualUnit.get());
    if (std::string notice = virtualUnit->StartNotice(); !notice.empty())
        notices_.push_back(std::move(notice));
    SystemMidiPlatform().AddBackend(std::move(virtualUnit));
}

void TStartupWorker::WindowSystemStarted() {
    if (!windowSystemSignalled_) {
        windowSystemSignalled_ = true;
        windowSystemUp_.count_down();
    }
}

void TStartupWorker::WaitForFonts() {
    fontsRead_.wait();
}

QIcon TStartupWorker::WindowIcon() {
    iconRead_.wait();
    QIcon icon;
    for (const QImage& image : iconImages_)
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

std::vector<std::string> TStartupWorker::WaitForDevices() {
    if (thread_.joinable())
        thread_.join();
    return notices_;
}

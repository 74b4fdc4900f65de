// Reading the program's settings from any settings file: every value it reads,
// as text, number and switch, the folder history and controller names, and
// the window placements. Nothing fails, and what could not be used is
// corrected by the next save.
#include "controls/app_error_handler.h"
#include "fuzz/fuzz_input.h"
#include "model/errors.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

// Never destroyed: Qt tears down its own globals at exit first.
TlvApplication* gApp = nullptr;
QTemporaryDir* gDir = nullptr;
QWidget* gWindow = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    static int argc = 1;
    static char name[] = "fuzz_settings_values";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    gApp = new TlvApplication(argc, argv);
    gDir = new QTemporaryDir(
        QString::fromStdString((FuzzScratchFolder() / "fuzz_settings_values-XXXXXX").string()));
    static const std::string folder = gDir->path().toStdString();
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    });
    gWindow = new QWidget;
    gWindow->setObjectName("frmMain");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString path = gDir->filePath("settings.ini");
    // Start from an empty folder: files kept aside by earlier runs (.old,
    // .oldN, .damaged) would otherwise pile up and slow every run down.
    QDir folder(gDir->path());
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
        folder.remove(name);
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const auto readAll = [&](TlvRegUtil& store) {
        // Every value the program reads, under the names it reads them by. A
        // value that cannot be used gives its default: reads never fail.
        const QString key = "\\SOFTWARE\\Lumivale/HRZ2000e";
        for (const char* name : {"MIDI_IN", "MIDI_OUT", "MPT_HINT_DIR"})
            (void)store.ReadString(name, true);
        for (int i = 1; i <= 20; ++i) {
            (void)store.ReadKeyString(key + "\\Folders", QString::number(i), true);
            (void)store.ReadKeyString(key + "\\Controllers", QString::number(i), false);
        }
        for (const char* name : {"MIDI_OUT_CH", "HRZReqDelay", "LPW", "DBL_CLICK_FILE_ACTION",
                                 "DBL_CLICK_LOG_ACTION", "MPT_REPT_STYLE"})
            (void)store.ReadInteger(name, true, 0);
        for (const char* name : {"PRE_EXPRESS", "VERIFY_STORE"})
            (void)store.ReadBool(name, true, false);
        for (const char* window : {"frmMain", "frmMPTEdit"}) {
            gWindow->setObjectName(window);
            store.RestorePlacement(*gWindow, QRect(0, 0, 1920, 1080));
            const QRect placed = gWindow->frameGeometry();
            if (placed.left() > 1728 || placed.top() > 972 || placed.top() < 0 ||
                gWindow->width() > 1920 || gWindow->height() > 1080)
                std::abort();
        }
    };
    {
        TlvRegUtil store(std::make_unique<TQtRegistryLayer>(path));
        store.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
        try {
            readAll(store);
        } catch (const EHrzError&) {
            std::abort();
        }
        const QString notice = store.TakeRejectedNotice();
        for (const char32_t c : notice.toUcs4())
            if (c < 0x20 || (c >= 0x7F && c < 0xA0) || c == 0x202E)
                std::abort();
        if (notice.isEmpty())
            return 0;
        // The next save of the settings writes the defaults in their place.
        try {
            store.WriteInteger("LPW", 200);
        } catch (const EHrzError&) {
            return 0; // a file that cannot be written: said by the message
        }
    }
    TlvRegUtil again(std::make_unique<TQtRegistryLayer>(path));
    again.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
    readAll(again);
    if (!again.TakeRejectedNotice().isEmpty())
        std::abort();
    return 0;
}

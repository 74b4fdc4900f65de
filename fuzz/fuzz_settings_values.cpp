// Reading the program's settings from any settings file: every value it reads
// at start, as text, number and switch, and the window placement.
#include "controls/app_error_handler.h"
#include "fuzz/fuzz_input.h"
#include "model/errors.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"

#include <QDir>
#include <QTemporaryDir>
#include <QWidget>

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
    gDir = new QTemporaryDir;
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
    TlvRegUtil store(std::make_unique<TQtRegistryLayer>(path));
    store.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
    // A value of the wrong kind is an error with a message, never a crash.
    const auto guarded = [](auto read) {
        try {
            read();
        } catch (const EHrzError&) {
        }
    };
    for (const char* name : {"MIDI_IN", "MIDI_OUT", "LastFolder", "FolderHistory"})
        guarded([&] { (void)store.ReadString(name, false); });
    for (const char* name :
         {"MIDI_OUT_CH", "HRZReqDelay", "LPW", "DBL_CLICK_FILE_ACTION", "DBL_CLICK_LOG_ACTION"})
        guarded([&] { (void)store.ReadInteger(name, false, 0); });
    guarded([&] { (void)store.ReadBool("PRE_EXPRESS", false, false); });
    guarded([&] { store.RestorePlacement(*gWindow, QRect(0, 0, 1920, 1080)); });
    const QRect placed = gWindow->geometry();
    if (placed.width() > 1920 || placed.height() > 1080)
        std::abort();
    return 0;
}

// Loading any file into the message buffer of a running workbench, then
// turning the buffer's text back into bytes as sending and saving do.
#include "controls/app_error_handler.h"
#include "explorer/midi_explorer.h"
#include "fuzz/fuzz_input.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_midi_platform.h"

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>

namespace {

struct TBench {
    TBench() {
        static int argc = 1;
        static char name[] = "fuzz_buffer_file";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = new TlvApplication(argc, argv); // never destroyed, as the bench itself
        SetDialogService(&dialogs);
        SetMidiPlatform(&platform);
        store = std::make_unique<TlvRegUtil>(
            std::make_unique<TQtRegistryLayer>(dir.filePath("settings.ini")));
        store->SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
        window = std::make_unique<TfrmMIDIExplorer>();
        window->InitializeWindow(store.get(), "HRZ2000e");
        path = dir.filePath("input.syx").toStdString();
    }
    TlvApplication* app = nullptr;
    TScriptedDialogService dialogs;
    TTestMidiPlatform platform;
    QTemporaryDir dir;
    std::unique_ptr<TlvRegUtil> store;
    std::unique_ptr<TfrmMIDIExplorer> window;
    std::string path;
};

TBench* gBench = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    gBench = new TBench; // lives until the process ends, as the program's window does
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    input.Byte();
    const auto bytes = input.Rest();
    std::ofstream(gBench->path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    TfrmMIDIExplorer& window = *gBench->window;
    window.LoadFileToBuffer(QString::fromStdString(gBench->path));
    const std::size_t kept = std::min<std::size_t>(bytes.size(), kMessageBufferSize);
    if (window.BufferBytes() != std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + kept))
        std::abort();
    // The text shown gives back the same bytes.
    if (!window.ParseMessageBuffer() ||
        window.BufferBytes() != std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + kept))
        std::abort();
    gBench->dialogs.ClearHistory();
    return 0;
}

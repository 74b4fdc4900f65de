// A program that saves one file over and over, alternating two contents, the way
// the program saves it; the kill test ends it with SIGKILL at random moments.
//   save_child MODE TARGET [once|once-b]
// MODE: buffer (the workbench's message buffer), settings (the settings store),
// unit (the virtual unit's memory). It writes "ready" on standard output once the
// first save is done; with "once" (or "once-b") it saves content A (or B) a single
// time and exits.
#include "controls/app_error_handler.h"
#include "explorer/midi_explorer.h"
#include "explorer/msg_buf_memo.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/kill/save_contents.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_midi_platform.h"
#include "unit/unit_memory.h"

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>

namespace {

// once: 0 loops for ever, 1 saves A, 2 saves B.
int Loop(const std::function<void(bool)>& save, int once) {
    save(once == 2);
    if (once != 0)
        return 0;
    std::printf("ready\n");
    std::fflush(stdout);
    for (bool b = true;; b = !b)
        save(b);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    const std::string mode = argv[1];
    const std::string target = argv[2];
    const int once = argc <= 3 ? 0 : std::strcmp(argv[3], "once-b") == 0 ? 2 : 1;

    if (mode == "unit") {
        THrzUnitMemory a(false), b(false);
        KillTestUnitMemories(a, b);
        return Loop([&](bool second) { SaveUnitMemory(target, second ? b : a); }, once);
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    TlvApplication app(argc, argv);
    if (mode == "settings") {
        TlvRegUtil store(std::make_unique<TQtRegistryLayer>(QString::fromStdString(target)));
        store.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
        return Loop(
            // One value: each write is a save of the whole file.
            [&](bool second) { store.WriteString("MIDI_IN", KillTestSettingsValue(second)); },
            once);
    }
    if (mode == "buffer") {
        TScriptedDialogService dialogs;
        SetDialogService(&dialogs);
        TTestMidiPlatform platform;
        SetMidiPlatform(&platform);
        TlvRegUtil store(
            std::make_unique<TQtRegistryLayer>(QString::fromStdString(target + ".ini")));
        store.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
        TfrmMIDIExplorer window;
        window.InitializeWindow(&store, "HRZ2000e");
        const QString a = QString::fromStdString(KillTestBufferText(false));
        const QString b = QString::fromStdString(KillTestBufferText(true));
        return Loop(
            [&](bool second) {
                window.ShowBufferText(second ? b : a);
                dialogs.QueuePath(QString::fromStdString(target));
                window.SaveMessageBuffer();
                dialogs.ClearHistory();
            },
            once);
    }
    return 2;
}

// Opening a fetched preset: a new editor window, the dump loaded, shown, and
// painted. Opening must never take longer than fetching the preset did, that is
// one 252-byte dump over a 31,250-baud cable (80.6 ms). Prints the times and, as
// its last line, "ratio: " median / 80.6 ms; exits 1 above 1.
#include "controls/app_error_handler.h"
#include "editor/frm_preset_editor.h"
#include "model/stream.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "unit/factory_presets.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr double kDumpOnTheWireMs = 252 * 10 * 1000.0 / 31250.0;
constexpr int kRuns = 15;

// Notes when the window it watches has painted.
class TPaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

double OpenOnce(int index) {
    const auto bytes = FactoryPresetDump(index % 4, index, false);
    QElapsedTimer clock;
    clock.start();
    auto editor = std::make_unique<TfrmPresetEditor>();
    TEditorOperations operations;
    operations.SendStream = [](TStream&, QString& text) { text = "MIDI data sent to MIDI Out"; };
    editor->SetOperations(operations);
    TMemoryStream dump(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    editor->LoadDump(dump);
    TPaintWatch watch;
    editor->installEventFilter(&watch);
    editor->show();
    while (!watch.painted && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    editor->removeEventFilter(&watch);
    editor->hide();
    return watch.painted ? ms : 1e9;
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TlvApplication app(argc, argv);
    // A settings store as the program has one: each new editor reads the user's
    // controller names from it.
    QTemporaryDir dir;
    TlvRegUtil settings(std::make_unique<TQtRegistryLayer>(dir.filePath("settings.ini")));
    settings.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
    SetRegUtil(&settings);
    OpenOnce(0); // fonts, styles and the catalogue are loaded once per program
    std::vector<double> times;
    for (int i = 1; i <= kRuns; ++i)
        times.push_back(OpenOnce(i * 7));
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    std::printf("open to painted: min %.1f ms, median %.1f ms, max %.1f ms over %d windows\n",
                times.front(), median, times.back(), kRuns);
    const double ratio = median / kDumpOnTheWireMs;
    std::printf("ratio: %.3f\n", ratio);
    SetRegUtil(nullptr);
    return ratio <= 1.0 ? 0 : 1;
}

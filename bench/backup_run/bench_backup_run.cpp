// A full backup run, 4 banks x 200 presets saved to files, against the
// virtual unit pacing its cable at 31,250 baud, with a request delay of 20 ms.
// The floor is what the pacing alone costs: the request delay of every preset,
// the two delays of each bank's start, and the wire time of each current-preset
// request and of each dump. Prints the time, the floor and their ratio.
#include "app/window/frm_bkup_opt.h"
#include "app/window/frm_main.h"
#include "midi/midi_platform.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/support/recording_printer_canvas.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"
#include "unit/factory_presets.h"
#include "unit/virtual_unit_platform.h"
#include "unit/wire_timing.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>

namespace {

constexpr int kBanks = 4;
constexpr int kPresets = 200;
constexpr int kDelayMs = 20;
constexpr double kTarget = 1.05;
constexpr int kRequestBytes = 6;
constexpr int kDumpBytes = 252;

int FilesBelow(const QString& folder) {
    int n = 0;
    for (QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories); it.hasNext();
         it.next())
        ++n;
    return n;
}

} // namespace

int main() {
    TestApp();
    TScopedDialogService dialogs;
    TRecordingPrinterCanvas printer;
    TScopedPrinter usePrinter(printer);
    QTemporaryDir dir;
    TUnitOptions options;
    options.WirePacing = true;
    options.StatePath = dir.filePath("unit.state").toStdString();
    TVirtualUnitMidiPlatform unit(options);
    SetMidiPlatform(&unit);
    TlvRegUtil store(std::make_unique<TQtRegistryLayer>(dir.filePath("bench.ini")));
    store.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
    store.WriteInteger("HRZReqDelay", kDelayMs);
    // Chosen as a user would: the virtual unit is never opened unasked.
    store.WriteString("MIDI_IN", TVirtualUnitMidiPlatform::DeviceName);
    store.WriteString("MIDI_OUT", TVirtualUnitMidiPlatform::DeviceName);
    const QString out = dir.filePath("out");

    double seconds = 0;
    int files = 0;
    bool completed = false;
    {
        TfrmMain window;
        window.InitializeWindow(&store, "HRZ2000e");
        window.resize(1000, 700);
        if (!qEnvironmentVariableIsSet("HRZ_BENCH_HIDDEN"))
            window.show();
        dialogs.service.QueueModal([&](QDialog& dialog) {
            auto& d = static_cast<TfrmBkupOpt&>(dialog);
            for (QCheckBox* bank : d.chkBank)
                bank->setChecked(true);
            d.edtFirstNo->setText("1");
            d.edtLastNo->setText(QString::number(kPresets));
            d.chkPrint->setChecked(qEnvironmentVariableIsSet("HRZ_BENCH_PRINT"));
            d.edtPath->setText(out);
            d.btnOk->click();
            return d.result();
        });
        QElapsedTimer wall;
        wall.start();
        window.StartBackup(true);
        // The program's own message loop, until the run is over.
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (!window.BackupRun().RunActive)
                loop.quit();
        });
        check.start(50);
        if (window.BackupRun().RunActive)
            loop.exec();
        seconds = static_cast<double>(wall.nsecsElapsed()) / 1e9;
        completed = !dialogs.service.Messages().empty() &&
                    dialogs.service.Messages().back().text == "Procedure is complete";
        files = FilesBelow(out);
    }
    SetMidiPlatform(nullptr);

    int titled = 0;
    for (int b = 0; b < kBanks; ++b)
        for (int i = 0; i < kPresets; ++i)
            titled += FactoryPresetTitle(b, i).empty() ? 0 : 1;
    const int presets = kBanks * kPresets;
    const double byteSeconds = static_cast<double>(TWireTiming::ByteTime.count()) / 1e6;
    const double floor = presets * kDelayMs / 1000.0 + kBanks * 2 * kDelayMs / 1000.0 +
                         presets * (kRequestBytes + kDumpBytes) * byteSeconds;
    const double ratio = seconds / floor;
    std::printf("presets: %d in %d banks, request delay %d ms, wire pacing 31250 baud\n", presets,
                kBanks, kDelayMs);
    std::printf("files saved: %d of %d titled presets%s\n", files, titled,
                completed ? "" : " (run did not complete)");
    std::printf("run: %.2f s, floor: %.2f s, overhead per preset: %.2f ms\n", seconds, floor,
                (seconds - floor) * 1000.0 / presets);
    std::printf("ratio: %.3f\n", ratio);
    return completed && files == titled && ratio <= kTarget ? 0 : 1;
}

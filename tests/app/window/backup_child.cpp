// A backup run in a process of its own, for the test that kills one midway:
// the program's main window on the virtual unit, the options dialog answered
// from the command line, each log line printed as it comes.
//   backup_child STATE SETTINGS FOLDER BANKS FIRST LAST yes|no
// "yes" or "no" answers the offer to continue an earlier run. Exits 0 once the
// run is complete.
#include "app/window/frm_bkup_opt.h"
#include "app/window/frm_main.h"
#include "midi/midi_platform.h"
#include "settings/lv_reg_util.h"
#include "settings/qt_registry_layer.h"
#include "tests/support/scripted_dialog_service.h"
#include "tests/support/test_app.h"
#include "unit/virtual_unit_platform.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc != 8) {
        std::fprintf(stderr, "usage: backup_child STATE SETTINGS FOLDER BANKS FIRST LAST yes|no\n");
        return 2;
    }
    TestApp();
    TScopedDialogService dialogs;
    TUnitOptions options;
    options.StatePath = argv[1];
    TVirtualUnitMidiPlatform unit(options);
    SetMidiPlatform(&unit);
    TlvRegUtil store(std::make_unique<TQtRegistryLayer>(QString::fromLocal8Bit(argv[2])));
    store.SetPath("\\SOFTWARE\\Lumivale/HRZ2000e");
    store.WriteInteger("HRZReqDelay", 10);
    // Chosen by the user once: the virtual unit is never opened unasked.
    store.WriteString("MIDI_IN", TVirtualUnitMidiPlatform::DeviceName);
    store.WriteString("MIDI_OUT", TVirtualUnitMidiPlatform::DeviceName);
    const QString folder = QString::fromLocal8Bit(argv[3]);
    const QString banks = QString::fromLatin1(argv[4]);
    const QString first = QString::fromLatin1(argv[5]);
    const QString last = QString::fromLatin1(argv[6]);
    dialogs.service.QueueModal([&](QDialog& dialog) {
        auto& d = static_cast<TfrmBkupOpt&>(dialog);
        for (int b = 0; b < 4; ++b)
            d.chkBank[static_cast<std::size_t>(b)]->setChecked(banks.contains(QChar('A' + b)));
        d.edtFirstNo->setText(first);
        d.edtLastNo->setText(last);
        d.edtPath->setText(folder);
        d.btnOk->click();
        return d.result();
    });
    dialogs.service.QueueResult(QByteArray(argv[7]) == "yes" ? mrYes : mrNo);

    int result = 1;
    {
        TfrmMain window;
        window.InitializeWindow(&store, "HRZ2000e");
        int printed = 0;
        const auto printLog = [&] {
            for (; printed < window.LogCount(); ++printed)
                std::printf("%s\n", window.LogText(printed).toLocal8Bit().constData());
            std::fflush(stdout);
        };
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, printLog);
        poll.start(5);
        window.StartBackup(true);
        QEventLoop loop;
        QTimer check;
        QObject::connect(&check, &QTimer::timeout, [&] {
            if (!window.BackupRun().RunActive)
                loop.quit();
        });
        check.start(20);
        if (window.BackupRun().RunActive)
            loop.exec();
        printLog();
        for (const auto& asked : dialogs.service.Messages())
            std::printf("[%s] %s\n", asked.caption.toLocal8Bit().constData(),
                        asked.text.toLocal8Bit().constData());
        const auto messages = dialogs.service.Messages();
        if (!messages.empty() && messages.back().text == "Procedure is complete")
            result = 0;
    }
    SetMidiPlatform(nullptr);
    return result;
}

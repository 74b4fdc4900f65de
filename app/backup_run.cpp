// The run that walks the unit's presets: each preset that arrives is handled
// and the next one requested; the request timer repeats a request that got
// no answer.
#include "app/frm_main.h"
#include "app/hrz_messages.h"
#include "controls/delay_with_messages.h"
#include "controls/dialog_service.h"
#include "controls/tick_source.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "midi/midi_output.h"
#include "model/device_globals.h"
#include "model/safe_file_name.h"
#include "model/stream.h"

#include <QDir>
#include <QTimer>
#include <algorithm>

using namespace HrzMessages;

namespace {

QString Letter(int bank) {
    return QString::fromStdString(BankLetter(bank));
}

} // namespace

void TfrmMain::StartBackup(bool /*saveFiles*/) {
    if (!OutputReady(true))
        return;
    ShowStatus("Automated backup and preset list printing are not available in this version");
}

void TfrmMain::HandleRunEvent(std::unique_ptr<TMyMidiEvent> event) {
    if (!event->HasSysex() || event->Sysex.size() != PresetDumpLength)
        return;
    MessageBufferBytes.fill(0);
    std::copy(event->Sysex.begin(), event->Sysex.end(), MessageBufferBytes.begin());
    MessageBufferCount = static_cast<std::uint32_t>(PresetDumpLength);
    HandleRunPreset();
    if (!RunSaveFiles)
        AddEventLine(std::move(event));
}

void TfrmMain::HandleRunPreset() {
    const int number = RunPresetIndex + 1;
    QString title = BufferPresetTitle();
    if (title.isEmpty())
        title = UntitledName;
    if (title.isEmpty()) {
        AddLogLine(QString("Preset #%1 is untitled (not saved)").arg(number));
    } else if (RunSaveFiles) {
        const QString name = QString::fromStdString(SafeFileName(
            (title + ".hrz" + QString("%1").arg(number, 3, 10, QChar('0'))).toStdString()));
        const QString folder =
            PreExpressMode ? OutputDirectory
                           : OutputDirectory + "Bank " + Letter(CurrentBank) + QDir::separator();
        WriteFileAtomically(QDir::toNativeSeparators(folder + name).toStdString(),
                            MessageBufferBytes.data(), PresetDumpLength);
        AddLogLine(QString("Preset #%1 received: %2").arg(number).arg(name));
    }
    LastReceptionTick = GetTickCount();
    RunReceptionSeen = true;

    if (RunPresetIndex < RunLastIndex) {
        ++RunPresetIndex;
        RequestPreset();
        return;
    }
    NextSelectedBank();
    if (CurrentBank == -1) {
        if (!PreExpressMode) {
            CurrentBank = OriginalBank;
            SelectBank(OriginalBank);
        }
        EndRun();
        FilePane->RefreshFileList();
        ShowMessage(this, "Procedure is complete", "Congratulations...");
        return;
    }
    if (RunSaveFiles)
        TouchFolder(OutputDirectory + "Bank " + Letter(CurrentBank) + QDir::separator(),
                    Letter(CurrentBank));
    SelectBank(CurrentBank);
    AddLogLine("Begin processing Bank " + Letter(CurrentBank));
    DelayWithMessages(static_cast<std::uint32_t>(2 * RequestDelay));
    RunPresetIndex = 0;
    RequestPreset();
}

void TfrmMain::TouchFolder(const QString& path, const QString& bank) {
    if (QDir().mkdir(path))
        AddLogLine("Created subdirectory for bank " + bank);
}

void TfrmMain::NextSelectedBank() {
    if (PreExpressMode) {
        CurrentBank = -1;
        return;
    }
    for (;;) {
        ++CurrentBank;
        if (CurrentBank > 3) {
            CurrentBank = -1;
            return;
        }
        if (RunBanks[static_cast<std::size_t>(CurrentBank)])
            return;
    }
}

void TfrmMain::EndRun() {
    // The run is over even when the port refuses the reset below.
    RunActive = false;
    RunSaveFiles = false;
    timPresetReq->stop();
    if (MidiOut && MidiOut->IsOpen()) {
        MidiOut->SendShort(ControlChange, BankSelectCoarse, 0);
        MidiOut->SendShort(ControlChange, BankSelectFine, 0);
    }
}

void TfrmMain::AbortRun() {
    EndRun();
    AddLogLine("Procedure aborted");
    ShowStatus("Procedure aborted");
}

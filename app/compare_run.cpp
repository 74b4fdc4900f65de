// "Compare with folder...": the backup run's walk over the unit, each preset
// kept to be compared with the backup folder's file of the same location; the
// comparison window's requests to the unit (store, open in the editor).
#include "app/frm_compare.h"
#include "app/frm_main.h"
#include "controls/busy_cursor.h"
#include "controls/delay_with_messages.h"
#include "controls/dialog_service.h"
#include "controls/model_path.h"
#include "editor/frm_preset_editor.h"
#include "midi/midi_output.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/hrz_messages.h"
#include "model/stream.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <map>

using namespace HrzMessages;

void TfrmMain::StartCompare() {
    StartRun(false, true);
}

bool TfrmMain::PrepareComparison(int first, int last) {
    Q_UNUSED(first);
    Q_UNUSED(last);
    QString folder = OutputDirectory;
    if (folder.isEmpty())
        return false;
    if (!QDir(folder).exists()) {
        Dialogs().MessageBox(this, "Folder not found: " + folder, "Sorry...", mbOK,
                             TMsgDlgType::mtWarning);
        return false;
    }
    if (!folder.endsWith('/') && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    compareFolder_ = folder;
    compareUntitled_ = UntitledName;
    compareRows_.clear();
    runCompare_ = true;
    return true;
}

void TfrmMain::KeepForComparison() {
    TCompareRow row;
    row.Bank = PreExpressMode ? -1 : CurrentBank;
    row.Number = RunPresetIndex + 1;
    row.A = UnitSide(std::vector<std::uint8_t>(MessageBufferBytes.begin(),
                                               MessageBufferBytes.begin() + PresetDumpLength),
                     compareUntitled_.toStdString());
    compareRows_.push_back(std::move(row));
}

void TfrmMain::ShowComparison() {
    std::vector<TCompareRow> rows = std::move(compareRows_);
    compareRows_.clear();
    {
        TBusyCursor busy;
        std::map<int, std::map<int, TFolderPreset>> banks;
        for (TCompareRow& row : rows) {
            auto at = banks.find(row.Bank);
            if (at == banks.end())
                at = banks
                         .emplace(row.Bank, BackupFolder::ReadBankFolder(BackupFolder::BankPath(
                                                ModelPath(compareFolder_), row.Bank)))
                         .first;
            const auto file = at->second.find(row.Number);
            if (file != at->second.end())
                row.B = FolderSide(file->second);
            row.State = CompareSides(row.A, row.B);
        }
    }
    if (!compareWindow_) {
        compareWindow_ = new TfrmCompare(this);
        TCompareHandlers handlers;
        handlers.StoreInUnit = [this](const std::vector<TRestoreItem>& items) {
            return RestoreIntoUnit(items);
        };
        handlers.OpenInEditor = [this](const std::vector<std::uint8_t>& dump,
                                       const QString& fileName) {
            OpenDumpInEditor(dump, fileName);
        };
        handlers.ShowStatus = [this](const QString& text) { ShowStatus(text); };
        compareWindow_->SetHandlers(std::move(handlers));
    }
    compareWindow_->SetComparison(compareFolder_, compareUntitled_, std::move(rows));
    const TCompareCounts counts = CountStates(compareWindow_->Rows());
    const QString summary =
        counts.NotSame() == 0 ? QString("Comparison complete: all %1 the same").arg(counts.Total())
                              : QString("Comparison complete: %1 of %2 not the same")
                                    .arg(counts.NotSame())
                                    .arg(counts.Total());
    AddLogLine(summary);
    ShowStatus(summary);
    compareWindow_->show();
    compareWindow_->raise();
    compareWindow_->activateWindow();
}

TfrmCompare* TfrmMain::CompareWindow() const {
    return compareWindow_.data();
}

void TfrmMain::OpenDumpInEditor(const std::vector<std::uint8_t>& dump, const QString& fileName) {
    TBusyCursor busy;
    TfrmPresetEditor* editor = ChildWindows->FirstHidden<TfrmPresetEditor>();
    if (editor) {
        editor->Reset();
        editor->SetOperations(EditorOperations());
    } else {
        editor = NewPresetWindow();
        ChildWindows->Add(editor);
    }
    TMemoryStream stream(dump);
    editor->SetFileName(fileName);
    editor->LoadDump(stream);
    editor->show();
    editor->raise();
    editor->activateWindow();
}

std::vector<TRestoreResult> TfrmMain::RestoreIntoUnit(const std::vector<TRestoreItem>& items) {
    if (RunActive || startingRun_) {
        ShowStatus("Press Ctrl-c to abort");
        return {};
    }
    if (!OutputReady(false))
        return {};
    TBusyCursor busy;
    const int previous = QueryCurrentPresetNumber();
    const int bankBefore = CurrentBank;
    int bankNow = bankBefore;
    // Bank by bank: each bank is selected once.
    std::vector<std::size_t> order(items.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return items[a].Bank < items[b].Bank; });

    std::vector<TRestoreResult> results(items.size());
    for (std::size_t i : order) {
        const TRestoreItem& item = items[i];
        if (!MidiOut || !MidiOut->IsOpen())
            break;
        if (!PreExpressMode && item.Bank >= 0 && item.Bank != bankNow) {
            SelectBank(item.Bank);
            bankNow = item.Bank;
            DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
        }
        // The file's preset goes into the edit buffer on the unit's channel, then
        // the editor's store message puts it at its location.
        std::vector<std::uint8_t> dump = item.Dump;
        if (dump.size() > 2)
            dump[2] = DeviceChannel;
        MidiOut->SendLong(dump.data(), static_cast<std::uint16_t>(dump.size()));
        DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
        results[i] = StoreAndCheck(TfrmPresetEditor::StoreMessage(item.Number), item.Bank,
                                   item.Number, dump);
    }
    if (MidiOut && MidiOut->IsOpen()) {
        if (!PreExpressMode && bankBefore >= 0 && bankNow != bankBefore) {
            SelectBank(bankBefore);
            DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
        }
        if (previous >= 1) {
            SelectPresetIndex(previous - 1);
            DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
        }
    }
    return results;
}

// The preset editor's "&Open" and "S&tore...".
#include "controls/busy_cursor.h"
#include "controls/delay_with_messages.h"
#include "controls/model_path.h"
#include "controls/seams/dialog_service.h"
#include "controls/seams/install_paths.h"
#include "editor/frm_preset_editor.h"
#include "editor/frm_store_prompt.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/hrz_messages.h"
#include "model/preset_files.h"
#include "model/stream.h"

#include <QFile>
#include <QFileInfo>

// ---- Open ----

void TfrmPresetEditor::OpenPresetFile() {
    if (neverSaved_ || preset_->IsChanged()) {
        const int answer =
            Dialogs().MessageBox(this, "Do you want to save your changes?", SaveQuestionCaption(),
                                 mbYes | mbNo | mbCancel, TMsgDlgType::mtConfirmation);
        if (answer != mrYes && answer != mrNo)
            return;
        // Changes the user wanted kept are never dropped by a save that did not happen.
        if (answer == mrYes && !SavePreset())
            return;
    }
    const QString folder =
        fileName_.isEmpty() ? DefaultUserFolder() : QFileInfo(fileName_).absolutePath();
    const QString path = Dialogs().OpenFileName(this, "Open preset", folder, SaveFilter);
    if (path.isEmpty())
        return;
    TMemoryStream dump(ReadPresetFile(ModelPath(path)));
    // Checked on a scratch record first: a bad file leaves the window as it was.
    TPreset check;
    check.ReadDump(dump);
    history_.Clear();
    LoadDump(dump);
    SetFileName(path);
    ShowPreset();
}

// ---- Store ----

int TfrmPresetEditor::ProposedLocation(const QString& fileName) {
    // Backups are named title + ".hrz" + the three-digit location.
    const QString name = QFileInfo(fileName).fileName();
    const int p = name.indexOf(".hrz");
    if (p < 0 || p + 5 >= name.size())
        return 1;
    bool ok = false;
    const int n = name.mid(p + 4, 3).toInt(&ok);
    return ok ? n : 1;
}

std::vector<std::uint8_t> TfrmPresetEditor::StoreMessage(int location) {
    return HrzMessages::StorePreset(DeviceChannel, location);
}

TfrmStorePrompt* TfrmPresetEditor::StoreDialog() {
    return SharedStoreDialog().get();
}

void TfrmPresetEditor::StorePreset() {
    int location = -1;
    if (operations_.QueryCurrentPresetNumber) {
        TBusyCursor busy;
        location = operations_.QueryCurrentPresetNumber();
    }
    auto& dialog = SharedStoreDialog();
    if (!dialog) {
        dialog = std::make_unique<TfrmStorePrompt>();
        dialog->SetPresetNumber(location == -1 ? ProposedLocation(fileName_) : location);
    } else if (location != -1) {
        dialog->SetPresetNumber(location);
    }
    // Shown over the editor that stores (the dialog goes before any editor does).
    dialog->setParent(this, dialog->windowFlags());
    dialog->SetDescribeLocation(operations_.DescribeLocation);
    if (Dialogs().ExecModal(*dialog) != mrOk)
        return;
    std::vector<std::uint8_t> sent;
    if (dialog->SendFirst()) {
        const auto dump = preset_->DumpBytes();
        sent.assign(dump.begin(), dump.end());
        SendPreset();
        DelayWithMessages(static_cast<std::uint32_t>(RequestDelay));
    }
    // The dialog may have gone with an editor closed during the wait.
    const int n = dialog ? dialog->PresetNumber() : 0;
    if (n < TfrmStorePrompt::MinNumber || n > TfrmStorePrompt::MaxNumber)
        return;
    const auto message = StoreMessage(n);
    if (operations_.StoreInUnit) {
        TStoreReport report;
        {
            TBusyCursor busy;
            report = operations_.StoreInUnit(message, n, sent, location);
        }
        ShowStoreReport(report);
    } else if (operations_.SendLong) {
        operations_.SendLong(message.data(), static_cast<std::uint16_t>(message.size()));
    }
}

void TfrmPresetEditor::ShowStoreReport(const TStoreReport& report) {
    using TOutcome = TStoreReport::TOutcome;
    switch (report.Outcome) {
    case TOutcome::Verified:
        SetStatus(report.Text);
        if (operations_.ShowStatus)
            operations_.ShowStatus(report.Text);
        break;
    case TOutcome::Differs:
    case TOutcome::NoAnswer:
        SetStatus("Stored, not verified");
        Dialogs().MessageBox(this, report.Text, "Store not verified", mbOK, TMsgDlgType::mtWarning);
        break;
    case TOutcome::NotChecked:
        if (!report.Text.isEmpty() && operations_.ShowStatus)
            operations_.ShowStatus(report.Text);
        break;
    }
}

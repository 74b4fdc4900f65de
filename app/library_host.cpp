// The Library window as the main window opens it: its presets go to the editor,
// the unit and the verified store through the main window's own operations.
#include "app/frm_main.h"

#include "app/unit_store.h"
#include "controls/dialog_service.h"
#include "controls/window_placement.h"
#include "editor/frm_store_prompt.h"
#include "library/unit_recorder.h"
#include "library_window/frm_library.h"
#include "model/device_globals.h"
#include "model/stream.h"

#include <QCheckBox>

namespace {

QStringList ReportLines(const std::vector<TRestoreItem>& items,
                        const std::vector<TRestoreResult>& results) {
    QStringList lines;
    for (std::size_t i = 0; i < items.size(); ++i) {
        const QString where = LocationText(items[i].Bank, items[i].Number);
        if (i >= results.size()) {
            lines << where + ": not stored";
            continue;
        }
        const TStoreReport& r = results[i].Report;
        switch (r.Outcome) {
        case TStoreReport::TOutcome::Verified:
            lines << where + ": stored and verified";
            break;
        case TStoreReport::TOutcome::NotChecked:
            lines << where + ": stored" + (r.Text.isEmpty() ? QString() : " (" + r.Text + ")");
            break;
        default:
            lines << where + ": " + (r.Text.isEmpty() ? QString("no answer") : r.Text);
        }
    }
    return lines;
}

} // namespace

void TfrmMain::ShowLibrary() {
    if (!libraryWindow_) {
        TPresetLibrary* library = nullptr;
        try {
            if (!UnitRecorder::Enabled())
                UnitRecorder::Enable(DefaultLibraryPath());
            library = UnitRecorder::Library();
        } catch (const std::exception& e) {
            ShowMessage(this, QString::fromStdString(e.what()), "Sorry...");
            return;
        }
        TLibraryHost host;
        host.OpenInEditor = [this](const std::vector<std::uint8_t>& dump, const QString&) {
            OpenDumpInEditor(dump, QString());
        };
        host.Send = [this](const std::vector<std::uint8_t>& dump) {
            if (!OutputReady(false))
                return;
            std::vector<std::uint8_t> bytes = dump;
            bytes[2] = DeviceChannel;
            TMemoryStream stream(std::move(bytes));
            QString status;
            SendStream(stream, status);
            ShowStatus(status);
        };
        const auto restore = [this](const std::vector<TRestoreItem>& items) {
            // The verified store records each read-back at its location.
            const auto results = RestoreIntoUnit(items);
            return ReportLines(items, results);
        };
        host.Store = [this, restore](const std::vector<std::uint8_t>& dump) {
            TfrmStorePrompt prompt(this);
            prompt.chkDoSend->setChecked(true);
            prompt.chkDoSend->setEnabled(false); // the library's preset is what is stored
            if (Dialogs().ExecModal(prompt) != QDialog::Accepted)
                return;
            const TRestoreItem item{PreExpressMode ? -1 : CurrentBank, prompt.PresetNumber(), dump};
            const QStringList lines = restore({item});
            if (!lines.isEmpty())
                ShowStatus(lines.front());
        };
        host.RestoreBank = [restore](int bank, const auto& steps) {
            std::vector<TRestoreItem> items;
            for (const auto& [number, dump] : steps)
                items.push_back({bank, number, dump});
            return restore(items);
        };
        host.PreExpress = [] { return PreExpressMode; };
        libraryWindow_ = new TfrmLibrary(*library, std::move(host), this);
        // Centred, and all of it on the screen, frame included.
        const QRect room = FreeScreenArea(*this);
        QRect placed(QPoint(), libraryWindow_->size());
        placed.moveCenter(room.center());
        libraryWindow_->setGeometry(OnScreen(placed, TypicalFrameMargins(), room));
    }
    libraryWindow_->show();
    libraryWindow_->raise();
    libraryWindow_->activateWindow();
}

TfrmLibrary* TfrmMain::LibraryWindow() const {
    return libraryWindow_.data();
}

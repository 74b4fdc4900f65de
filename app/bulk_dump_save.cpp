// A bulk dump brings every preset of the unit's bank at once: about two hundred
// lines in the monitor. Once the dumps stop coming the user is offered to keep
// them, as one .syx file or as preset files named as a backup names them.
#include "app/frm_main.h"
#include "controls/app_error_handler.h"
#include "controls/dialog_service.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "model/device_globals.h"
#include "model/hrz_messages.h"
#include "model/safe_file_name.h"
#include "model/stream.h"
#include "model/unit_location.h"

#include <QDir>
#include <QFile>
#include <QTimer>

using namespace HrzMessages;

namespace {
constexpr std::size_t kBankPresets = 200;
} // namespace

QStringList BulkDumpFileNames(const std::vector<std::vector<std::uint8_t>>& dumps) {
    QStringList names;
    for (std::size_t i = 0; i < dumps.size(); ++i) {
        QString title =
            QString::fromLatin1(PresetTitle(dumps[i].data(), dumps[i].size())).trimmed();
        if (title.isEmpty())
            title = "Untitled";
        names << QString::fromStdString(
            SafeFileName((title + QString(".hrz%1").arg(i + 1, 3, 10, QChar('0'))).toStdString()));
    }
    return names;
}

void TfrmMain::ExpectBulkDump() {
    bulkDumps_.clear();
    bulkExpected_ = true;
    // The first dump may take a while (the unit reads its memory first).
    bulkQuiet_->start(std::max(10 * RequestDelay, 5000));
}

bool TfrmMain::TakeBulkDump(const TMyMidiEvent& event) {
    if (!bulkExpected_ || !event.HasSysex() ||
        !IsPresetDump(event.Sysex.data(), event.Sysex.size()))
        return false;
    bulkDumps_.push_back(event.Sysex);
    // A whole bank ends it; a shorter dump ends when the dumps stop coming.
    if (!PreExpressMode && bulkDumps_.size() == kBankPresets) {
        bulkQuiet_->stop();
        QTimer::singleShot(0, this,
                           [this] { RunShowingErrors([this] { BulkDumpEnded(); }, this); });
    } else {
        bulkQuiet_->start(std::max(3 * RequestDelay, 2000));
    }
    return true;
}

void TfrmMain::BulkDumpEnded() {
    if (!bulkExpected_)
        return;
    bulkExpected_ = false;
    if (bulkDumps_.empty()) {
        ShowStatus("No preset dump received after the bulk dump request");
        return;
    }
    const int count = static_cast<int>(bulkDumps_.size());
    ShowStatus(QString("Received %1 preset dumps").arg(count));
    const int answer = Dialogs().MessageBox(
        this,
        QString("%1 preset dumps were received.\n\nYes saves them as one .syx file; No saves "
                "them as preset files in a folder, named as a backup names them; Cancel "
                "keeps them in the monitor only.")
            .arg(count),
        "Save bulk dump", mbYes | mbNo | mbCancel, TMsgDlgType::mtConfirmation);
    if (answer == mrYes)
        SaveBulkDumpAsSyx();
    else if (answer == mrNo)
        SaveBulkDumpAsFiles();
}

void TfrmMain::SaveBulkDumpAsSyx() {
    const QString bank = PreExpressMode || CurrentBank < 0
                             ? QString()
                             : " bank " + QString::fromStdString(BankLetter(CurrentBank));
    const QString suggested = FilePane->CurrentFolder() + "Bulk dump" + bank + ".syx";
    const QString path = Dialogs().SaveFileName(this, "Save bulk dump as", suggested,
                                                "System exclusive files (*.syx)");
    if (path.isEmpty())
        return;
    std::vector<std::uint8_t> joined;
    for (const auto& dump : bulkDumps_)
        joined.insert(joined.end(), dump.begin(), dump.end());
    WriteFileAtomically(QFile::encodeName(QDir::toNativeSeparators(path)).toStdString(),
                        joined.data(), joined.size());
    ShowStatus(QString("Saved %1 preset dumps (%2 bytes) to %3")
                   .arg(bulkDumps_.size())
                   .arg(joined.size())
                   .arg(QDir::toNativeSeparators(path)));
    FilePane->RefreshFileList();
}

void TfrmMain::SaveBulkDumpAsFiles() {
    QString folder =
        Dialogs().FolderName(this, "Folder for the preset files:", FilePane->CurrentFolder());
    if (folder.isEmpty())
        return;
    if (!PreExpressMode && CurrentBank >= 0)
        folder = QDir(folder).filePath("Bank " + QString::fromStdString(BankLetter(CurrentBank)));
    QDir().mkpath(folder);
    const QStringList names = BulkDumpFileNames(bulkDumps_);
    for (int i = 0; i < names.size(); ++i) {
        const auto& dump = bulkDumps_[static_cast<std::size_t>(i)];
        WriteFileAtomically(
            QFile::encodeName(QDir::toNativeSeparators(QDir(folder).filePath(names[i])))
                .toStdString(),
            dump.data(), dump.size());
    }
    ShowStatus(QString("Saved %1 preset files in %2")
                   .arg(names.size())
                   .arg(QDir::toNativeSeparators(folder)));
    FilePane->RefreshFileList();
}

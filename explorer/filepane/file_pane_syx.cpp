// The file pane's .syx offers: a recorded bulk dump split into preset files, and
// a folder of preset files joined into the message buffer. The bytes and names
// are those of hrzctl split and join.
#include "controls/app_error_handler.h"
#include "controls/browse_folder.h"
#include "controls/busy_cursor.h"
#include "controls/model_path.h"
#include "controls/seams/dialog_service.h"
#include "explorer/filepane/file_explorer_pane.h"
#include "explorer/filepane/file_item.h"
#include "explorer/filepane/file_list_model.h"
#include "explorer/filepane/folder_path.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/preset_files.h"
#include "model/stream.h"

#include <QDir>
#include <QFileInfo>

namespace {

// Larger files are no recorded dump (a four-bank backup is about 200 KB).
constexpr qint64 kLargestSplitFile = 16 * 1024 * 1024;
// Names listed in the overwrite question; the rest are counted.
constexpr int kNamesListed = 5;

} // namespace

TFileExplorerPane::TSplitOffer TFileExplorerPane::OfferSplit(const QString& path) {
    const QFileInfo info(path);
    if (info.suffix().compare(QLatin1String("syx"), Qt::CaseInsensitive) != 0 || !info.isFile() ||
        info.size() > kLargestSplitFile)
        return TSplitOffer::NotOffered;
    std::vector<std::uint8_t> bytes;
    try {
        TBusyCursor busy;
        bytes = ReadWholeFile(ModelPath(path));
    } catch (const std::exception&) {
        return TSplitOffer::NotOffered; // the load says why
    }
    const TSysexScan scan = ScanSysex(bytes);
    const int presets = CountPresetDumps(scan);
    if (presets < 2)
        return TSplitOffer::NotOffered;

    QString question = QStringLiteral("%1 holds %2 preset dumps.\n\nSplit it into one .hrz file "
                                      "per preset, in a folder you choose?")
                           .arg(info.fileName())
                           .arg(presets);
    const auto others =
        static_cast<int>(scan.Messages.size() + scan.OtherMessagesLeftOut) - presets;
    if (others > 0)
        question += QStringLiteral("\n(The %1 other message%2 in it %3 left out.)")
                        .arg(others)
                        .arg(others == 1 ? "" : "s")
                        .arg(others == 1 ? "is" : "are");
    question += QStringLiteral("\n\nNo loads the file into the message buffer.");
    const int answer = Dialogs().MessageBox(this, question, QStringLiteral("Split .syx file"),
                                            mbYes | mbNo | mbCancel, TMsgDlgType::mtConfirmation);
    if (answer == mrNo)
        return TSplitOffer::Declined;
    if (answer != mrYes)
        return TSplitOffer::Cancelled;

    const TSplitResult split = SplitPresetDumps(scan, ModelPath(path), PreExpressMode, "Untitled");
    if (!split.Error.empty()) {
        Dialogs().MessageBox(this, ShownPath(split.Error), QStringLiteral("Sorry..."), mbOK,
                             TMsgDlgType::mtWarning);
        return TSplitOffer::Cancelled;
    }
    const QString chosen = BrowseFolder(
        this, QStringLiteral("Choose the folder for the preset files:"), currentFolder_);
    if (chosen.isEmpty())
        return TSplitOffer::Cancelled;
    const QString folder = WithTrailingSeparator(chosen);

    QStringList existing;
    for (const TSplitFile& file : split.Files)
        if (QFileInfo::exists(folder + ShownPath(file.Name)))
            existing << ShownPath(file.Name);
    if (!existing.isEmpty()) {
        QStringList named = existing.mid(0, kNamesListed);
        if (existing.size() > kNamesListed)
            named << QStringLiteral("and %1 more").arg(existing.size() - kNamesListed);
        const QString text =
            QStringLiteral("%1 of the %2 files already exist in %3:\n%4\n\nReplace them?")
                .arg(existing.size())
                .arg(split.Files.size())
                .arg(folder, named.join('\n'));
        if (Dialogs().MessageBox(this, text, QStringLiteral("Confirm"), mbYes | mbNo,
                                 TMsgDlgType::mtConfirmation) != mrYes)
            return TSplitOffer::Cancelled;
    }

    int written = 0;
    const bool done = RunShowingErrors(
        [&] {
            TBusyCursor busy;
            for (const TSplitFile& file : split.Files) {
                WriteFileAtomically(ModelPath(folder) + file.Name, file.Bytes.data(),
                                    file.Bytes.size());
                ++written;
            }
        },
        this);
    if (ShowStatus)
        ShowStatus(QStringLiteral("Wrote %1 preset file%2 to %3")
                       .arg(written)
                       .arg(written == 1 ? "" : "s")
                       .arg(folder));
    if (SameFolder(folder, currentFolder_))
        RefreshFileList();
    return done ? TSplitOffer::Split : TSplitOffer::Cancelled;
}

void TFileExplorerPane::pmiJoinFolderClick() {
    QString folder = currentFolder_;
    const int row = lvwFileList_->SelectedRow();
    if (row >= 0 && model_->Item(row).IsFolder())
        folder = WithTrailingSeparator(model_->Item(row).Path());
    if (LoadFolderToBuffer)
        RunShowingErrors([&] { LoadFolderToBuffer(folder); }, this);
}

#include "app/runs/compare_run.h"

#include "app/runs/run_host.h"
#include "controls/busy_cursor.h"
#include "controls/model_path.h"
#include "model/backup_folder.h"

#include <QDir>

#include <map>

bool TCompareRun::Prepare(QString folder, const QString& untitled, TRunHost& host) {
    if (folder.isEmpty())
        return false;
    if (!QDir(folder).exists()) {
        if (host.Ask)
            host.Ask("Folder not found: " + folder, "Sorry...", mbOK, TMsgDlgType::mtWarning);
        return false;
    }
    if (!folder.endsWith('/') && !folder.endsWith(QDir::separator()))
        folder += QDir::separator();
    Folder = folder;
    Untitled = untitled;
    rows_.clear();
    Active = true;
    return true;
}

void TCompareRun::Keep(int bank, int number, const std::vector<std::uint8_t>& dump) {
    TCompareRow row;
    row.Bank = bank;
    row.Number = number;
    row.A = UnitSide(dump, Untitled.toStdString());
    rows_.push_back(std::move(row));
}

std::vector<TCompareRow> TCompareRun::Finish() {
    Active = false;
    std::vector<TCompareRow> rows = std::move(rows_);
    rows_.clear();
    TBusyCursor busy;
    // Each bank folder is read once.
    std::map<int, std::map<int, TFolderPreset>> banks;
    for (TCompareRow& row : rows) {
        auto at = banks.find(row.Bank);
        if (at == banks.end())
            at = banks
                     .emplace(row.Bank, BackupFolder::ReadBankFolder(
                                            BackupFolder::BankPath(ModelPath(Folder), row.Bank)))
                     .first;
        const auto file = at->second.find(row.Number);
        if (file != at->second.end())
            row.B = FolderSide(file->second);
        row.State = CompareSides(row.A, row.B);
    }
    return rows;
}

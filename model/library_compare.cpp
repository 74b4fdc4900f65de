#include "model/library_compare.h"

#include "model/dump_compare.h"
#include "model/errors.h"
#include "model/file_path.h"
#include "model/preset.h"
#include "model/preset_view.h"

#include <filesystem>
#include <map>
#include <system_error>

TCompareSide UnitSide(std::vector<std::uint8_t> dump, const std::string& untitledName) {
    TCompareSide side;
    side.Title = PresetTitle(dump.data(), dump.size());
    side.Present = !side.Title.empty() || !untitledName.empty();
    side.Dump = std::move(dump);
    return side;
}

TCompareSide FolderSide(const TFolderPreset& file) {
    TCompareSide side;
    side.Present = true;
    side.Dump = file.Dump;
    side.Path = file.Path;
    side.Name = file.Name;
    side.Problem = file.Problem;
    if (file.Problem.empty())
        side.Title = PresetTitle(file.Dump.data(), file.Dump.size());
    return side;
}

TCompareState CompareSides(const TCompareSide& a, const TCompareSide& b) {
    if (!a.Present && !b.Present)
        return TCompareState::Same;
    if (!b.Present)
        return TCompareState::OnlyInA;
    if (!a.Present)
        return TCompareState::OnlyInB;
    if (!a.Problem.empty() || !b.Problem.empty())
        return TCompareState::Differs;
    return DumpCompare::SameAsideChannel(a.Dump, b.Dump) ? TCompareState::Same
                                                         : TCompareState::Differs;
}

std::string CompareStateText(TCompareState state, const std::string& onlyInA,
                             const std::string& onlyInB) {
    switch (state) {
    case TCompareState::Same:
        return "same";
    case TCompareState::Differs:
        return "differs";
    case TCompareState::OnlyInA:
        return onlyInA;
    case TCompareState::OnlyInB:
        return onlyInB;
    }
    return {};
}

std::vector<TDiffItem> RowDifferences(const TCompareRow& row) {
    if (!row.A.Problem.empty() || !row.B.Problem.empty())
        return {{"dump", "Preset file", row.A.Problem.empty() ? "preset" : row.A.Problem,
                 row.B.Problem.empty() ? "preset" : row.B.Problem}};
    if (!row.A.Present || !row.B.Present)
        return {};
    std::vector<TDiffItem> items;
    try {
        items = DiffPresets(PresetFromDump(row.A.Dump), PresetFromDump(row.B.Dump));
    } catch (const EHrzError& e) {
        return {{"dump", "Preset dump", "", e.what()}};
    }
    std::erase_if(items, [](const TDiffItem& item) { return item.Label == "Channel byte"; });
    return items;
}

TCompareCounts CountStates(const std::vector<TCompareRow>& rows) {
    TCompareCounts counts;
    for (const auto& row : rows)
        ++counts.ByState[static_cast<std::size_t>(row.State)];
    return counts;
}

namespace {

bool HasBankFolders(const std::string& folder) {
    std::error_code ec;
    for (int bank = 0; bank < 4; ++bank)
        if (std::filesystem::is_directory(PathFromUtf8(BackupFolder::BankPath(folder, bank)), ec))
            return true;
    return false;
}

} // namespace

std::vector<TCompareRow> CompareBackupFolders(const std::string& folderA,
                                              const std::string& folderB) {
    std::vector<int> banks;
    if (HasBankFolders(folderA) || HasBankFolders(folderB))
        banks = {0, 1, 2, 3};
    else
        banks = {-1};
    std::vector<TCompareRow> rows;
    for (int bank : banks) {
        const auto a = BackupFolder::ReadBankFolder(BackupFolder::BankPath(folderA, bank));
        const auto b = BackupFolder::ReadBankFolder(BackupFolder::BankPath(folderB, bank));
        std::map<int, TCompareRow> located;
        for (const auto& [number, file] : a) {
            TCompareRow& row = located[number];
            row.A = FolderSide(file);
        }
        for (const auto& [number, file] : b) {
            TCompareRow& row = located[number];
            row.B = FolderSide(file);
        }
        for (auto& [number, row] : located) {
            row.Bank = bank;
            row.Number = number;
            row.State = CompareSides(row.A, row.B);
            rows.push_back(std::move(row));
        }
    }
    return rows;
}

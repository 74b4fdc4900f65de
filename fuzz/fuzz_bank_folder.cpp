// Backup folders as anything may have left them: files of any name and
// content in "Bank A".."Bank D" or in the folder itself, on two sides. Reading
// a bank folder gives locations 1..200 only, and comparing two folders counts
// every location once, with differences that can be shown.
#include "fuzz/fuzz_input.h"
#include "model/backup_folder.h"
#include "model/device_globals.h"
#include "model/errors.h"
#include "model/library_compare.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const fs::path& Root() {
    static const fs::path root =
        FuzzScratchFolder() / ("fuzz_bank_folder_" + std::to_string(::getpid()));
    return root;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    const bool preExpress = input.Byte() & 1;
    SetPreExpressMode(preExpress);
    std::error_code ec;
    fs::remove_all(Root(), ec);
    const fs::path sides[2] = {Root() / "a", Root() / "b"};
    for (const auto& side : sides)
        fs::create_directories(side);
    // Records: where (side, bank or the folder itself), a name, the content.
    for (int files = 0; files < 24 && !input.Empty(); ++files) {
        const std::uint8_t where = input.Byte();
        const auto rawName = input.Take(input.Byte() % 40);
        std::string name;
        for (std::uint8_t c : rawName)
            name += (c == '/' || c == 0) ? '_' : static_cast<char>(c);
        if (name.empty() || name == "." || name == "..")
            continue;
        // Names that end like a backup's, often enough to be found.
        if (where & 0x80)
            name += ".hrz" + std::to_string(where % 203);
        const int bank = (where >> 1) % 5; // 4: the folder itself
        fs::path folder = sides[where & 1];
        if (bank < 4)
            folder /= BackupFolder::BankFolderName(bank);
        fs::create_directories(folder, ec);
        const auto content = input.Take(input.Byte() == 0xFF ? 252 : input.Byte());
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(content.data()),
                   static_cast<std::streamsize>(content.size()));
    }
    for (const auto& side : sides)
        for (int bank = -1; bank < 4; ++bank)
            for (const auto& [location, file] :
                 BackupFolder::ReadBankFolder(BackupFolder::BankPath(side.string(), bank)))
                if (location < 1 || location > 200 || file.Name.empty())
                    std::abort();
    try {
        const auto rows = CompareBackupFolders(sides[0].string(), sides[1].string());
        std::set<std::pair<int, int>> seen;
        for (const auto& row : rows) {
            if (!seen.insert({row.Bank, row.Number}).second)
                std::abort();
            (void)RowDifferences(row);
        }
        if (CountStates(rows).Total() != static_cast<int>(rows.size()))
            std::abort();
    } catch (const EHrzError&) {
        // neither folder holds a preset file: said, not compared
    }
    // Nothing stays in memory after the last input.
    fs::remove_all(Root(), ec);
    return 0;
}

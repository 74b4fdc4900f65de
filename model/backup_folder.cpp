#include "model/backup_folder.h"

#include "model/errors.h"
#include "model/file_path.h"
#include "model/preset.h"
#include "model/preset_files.h"
#include "model/stream.h"
#include "model/unit_location.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace BackupFolder {

namespace {

// Files bigger than this are not read: no preset file is.
constexpr std::uintmax_t kLargestRead = 64 * 1024;

struct TFound {
    TFolderPreset Preset;
    fs::file_time_type Written;
};

} // namespace

std::string BankFolderName(int bank) {
    return "Bank " + BankLetter(bank);
}

std::string BankPath(const std::string& folder, int bank) {
    if (bank < 0)
        return folder;
    return Utf8FromPath(PathFromUtf8(folder) / PathFromUtf8(BankFolderName(bank)));
}

int FileNumber(const std::string& name) {
    return PresetFileNumber(name);
}

std::string PresetFileName(const std::string& title, int number, const std::string& untitledName) {
    return ::PresetFileName(title, number, untitledName);
}

std::map<int, TFolderPreset> ReadBankFolder(const std::string& bankFolder) {
    std::map<int, TFound> found;
    std::error_code ec;
    fs::directory_iterator it(PathFromUtf8(bankFolder), ec);
    if (ec)
        return {};
    for (const fs::directory_entry& entry : it) {
        std::error_code fileEc;
        if (!entry.is_regular_file(fileEc))
            continue;
        const std::string name = Utf8FromPath(entry.path().filename());
        const int number = FileNumber(name);
        if (number < 1 || number > 200)
            continue;
        TFound file;
        file.Preset.Path = Utf8FromPath(entry.path());
        file.Preset.Name = name;
        file.Written = entry.last_write_time(fileEc);
        const std::uintmax_t size = entry.file_size(fileEc);
        if (fileEc) {
            file.Preset.Problem = "cannot be read";
        } else if (size > kLargestRead) {
            file.Preset.Problem = "not a preset file (" + std::to_string(size) + " bytes)";
        } else {
            try {
                file.Preset.Dump = ReadWholeFile(file.Preset.Path);
                if (!TPreset::IsPresetDump(file.Preset.Dump.data(), file.Preset.Dump.size()))
                    file.Preset.Problem =
                        "not a preset file (" + std::to_string(file.Preset.Dump.size()) + " bytes)";
            } catch (const EHrzError& e) {
                file.Preset.Problem = e.what();
            }
        }
        auto at = found.find(number);
        if (at == found.end()) {
            found.emplace(number, std::move(file));
            continue;
        }
        // The newest file of a location counts; on a tie, the first name.
        TFound& kept = at->second;
        const int others = kept.Preset.OtherFiles + 1;
        if (file.Written > kept.Written ||
            (file.Written == kept.Written && file.Preset.Name < kept.Preset.Name))
            kept = std::move(file);
        kept.Preset.OtherFiles = others;
    }
    std::map<int, TFolderPreset> presets;
    for (auto& [number, file] : found)
        presets.emplace(number, std::move(file.Preset));
    return presets;
}

} // namespace BackupFolder

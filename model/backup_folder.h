#pragma once
// The preset files of a backup folder as the backup run writes them: one
// "Bank A".."Bank D" subfolder per bank (the folder itself for a Pre-Express
// unit), each preset as title + ".hrz" + the three-digit location.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct TFolderPreset {
    std::string Path;               // full path (in the system's encoding)
    std::string Name;               // file name
    std::vector<std::uint8_t> Dump; // the file's bytes
    // Empty when the file holds one preset dump; otherwise why it does not.
    std::string Problem;
    // Further files for the same location, not compared (older ones).
    int OtherFiles = 0;
};

namespace BackupFolder {

// "Bank A".. "Bank D".
std::string BankFolderName(int bank);
// The folder of a bank inside a backup folder ("" bank -1: the folder itself).
std::string BankPath(const std::string& folder, int bank);
// The location a file name ends in: "Clean.hrz042" gives 42; -1 when the name
// does not end in ".hrz" and one to six digits.
int FileNumber(const std::string& name);
// The name the backup run gives a preset at number (1..200): the title (or, when it
// is empty, untitledName) made safe, ".hrz", three digits. Titles are Latin-1 and
// names UTF-8; control characters become blanks.
std::string PresetFileName(const std::string& title, int number, const std::string& untitledName);

// The preset files of one bank folder by location 1..200; of several files for one
// location the most recently written counts. A missing folder holds nothing.
std::map<int, TFolderPreset> ReadBankFolder(const std::string& bankFolder);

} // namespace BackupFolder

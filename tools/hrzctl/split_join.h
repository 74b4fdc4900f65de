#pragma once
// Splitting a recorded bulk dump into preset files and joining dump files again.
#include <string>
#include <vector>

// The file name a backup run gives a preset: the title made safe, ".hrz", then the
// three-digit number. An empty title takes untitledName. Control characters become
// blanks and other single-byte characters are written as UTF-8, so the name is valid
// on every system.
std::string PresetFileName(const std::string& title, int number, const std::string& untitledName);

// The number after ".hrz" at the end of a file name ("Clean.hrz042" -> 42), -1 if none.
int PresetFileNumber(const std::string& path);

// Orders paths by PresetFileNumber; paths without one keep their order after the rest.
std::vector<std::string> SortedByPresetNumber(std::vector<std::string> paths);

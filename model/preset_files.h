#pragma once
// A recorded dump as preset files and back: the names a split gives each preset
// dump, the order a join takes files in, and what a join refuses. hrzctl and the
// program's file pane both use these, so they write the same files and bytes.
#include "model/sysex_scan.h"

#include <cstdint>
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

struct TSplitFile {
    std::string Name;                // PresetFileName of the dump
    std::vector<std::uint8_t> Bytes; // the dump as the file held it
};

struct TSplitResult {
    std::vector<TSplitFile> Files; // numbered 1.. in the order of the file
    // "<source>: offset N: ..." for framing problems and messages that are not
    // preset dumps (skipped); given before Error when both are there.
    std::vector<std::string> Warnings;
    // Why nothing may be written: a dump holds a byte MIDI cannot carry (join
    // would refuse the files), or there is no preset dump at all.
    std::string Error;
};

// The preset dumps of a scanned file, each as the file a split writes.
TSplitResult SplitPresetDumps(const TSysexScan& scan, const std::string& sourceName,
                              bool preExpress, const std::string& untitledName);

// How many preset dumps the scan holds.
int CountPresetDumps(const TSysexScan& scan);

// Why join refuses a file ("<name>: empty file", "<name>: offset N: ..."), or "".
std::string JoinRefusal(const std::string& name, const std::vector<std::uint8_t>& bytes,
                        const TSysexScan& scan);

// The preset files of a folder in the order `join --sort` takes them: the names
// ending in ".hrz" and up to six digits by number, then plain ".hrz" files by name.
std::vector<std::string> PresetFilesInFolder(const std::string& folder);

// The bytes of the files one after the other, as join writes them. Every file is
// read and checked first; throws EHrzError naming the first file join refuses.
std::vector<std::uint8_t> JoinPresetFiles(const std::vector<std::string>& paths);

// The bytes of a preset file chosen to be opened in the editor. Reads no further
// than a preset dump is long, so a huge file chosen by mistake is refused at
// once; throws EInvalidData "Not a valid preset file" unless the file is 252
// bytes, and the file's own read error when it cannot be read.
std::vector<std::uint8_t> ReadPresetFile(const std::string& path);

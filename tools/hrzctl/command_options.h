#pragma once
// What every command gets from the command line.
#include <string>
#include <vector>

struct TCommandOptions {
    std::vector<std::string> Files; // positional arguments after the command
    bool Json = false;
    bool PreExpress = false;
    bool List = false;                     // mpt: one line per program change
    bool Offsets = false;                  // mpt: row labels as offsets
    bool SortByNumber = false;             // join: by the number after ".hrz"
    std::string OutputPath;                // join: -o
    std::string UntitledName = "Untitled"; // split
};

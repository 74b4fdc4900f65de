#pragma once
// What hrzctl diff prints, shared by the comparison of two files and of two
// backup folders.
#include "model/preset_diff.h"
#include "tools/hrzctl/command_options.h"
#include "tools/hrzctl/hrzctl.h"

#include <ostream>
#include <string>
#include <vector>

// One line per item: label, A's text, " | ", B's text, in columns; each line
// starts with indent.
void WriteDiffItems(std::ostream& out, const std::vector<TDiffItem>& items,
                    const std::string& indent);

// hrzctl diff DIR1 DIR2: two backup folders location by location.
int DiffBackupFolders(const TCommandOptions& options, TConsole& console);

#pragma once
// Reading the files the tool is given: whole, with a size bound, and with a message
// that names the file when it cannot be read.
#include "model/sysex_scan.h"

#include <cstdint>
#include <string>
#include <vector>

struct TInputFile {
    std::string Path;
    std::string Name; // Path as messages show it (quoted when it is not plain text)
    std::vector<std::uint8_t> Bytes;
    TSysexScan Scan;
};

// Far above a full four-bank backup (about 200 KB); anything larger is not a dump file.
constexpr std::uintmax_t MaxInputFileSize = 16u * 1024u * 1024u;

// How long a pipe or FIFO may stay silent before the tool gives up on it.
constexpr int InputIdleTimeoutMs = 10000;

// Reads a file, or a pipe (/dev/stdin, <(...)) to its end, with the same size
// bound. Throws EHrzError with "<path>: <reason>" when the file is missing, a
// folder, too large, silent or unreadable.
TInputFile ReadInputFile(const std::string& path, int idleTimeoutMs = InputIdleTimeoutMs);

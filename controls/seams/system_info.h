#pragma once
// What the about window tells about the machine: the operating system and how
// much memory is free.
#include <QString>
#include <cstdint>
#include <optional>
#include <string_view>

struct TMemoryStatus {
    std::uint64_t AvailableBytes = 0;
    std::uint64_t TotalBytes = 0; // 0 when the system did not say
};

// Reads the text of /proc/meminfo. Prefers MemAvailable; kernels without it
// get MemFree + Buffers + Cached. Empty when nothing usable is in the text.
std::optional<TMemoryStatus> ParseMeminfo(std::string_view text);
// Asks the running system; empty when it cannot be read.
std::optional<TMemoryStatus> ReadMemoryStatus();

// "Free memory: 5.12 GB of 15.6 GB", or "Free memory: unknown".
QString FreeMemoryText(const std::optional<TMemoryStatus>& status);
// "Operating system: <name>, kernel <type> <version> (<cpu>)".
QString OperatingSystemText();

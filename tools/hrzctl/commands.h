#pragma once
// The commands of hrzctl. Each returns the exit status and reports through the console.
#include "tools/hrzctl/command_options.h"
#include "tools/hrzctl/hrzctl.h"
#include "tools/hrzctl/input_file.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

int CmdShow(const TCommandOptions& options, TConsole& console);
int CmdDiff(const TCommandOptions& options, TConsole& console);
int CmdCheck(const TCommandOptions& options, TConsole& console);
int CmdMpt(const TCommandOptions& options, TConsole& console);
int CmdSplit(const TCommandOptions& options, TConsole& console);
int CmdJoin(const TCommandOptions& options, TConsole& console);
int CmdLibrary(const TCommandOptions& options, TConsole& console);

// "hrzctl: " + text on the error stream.
void ReportError(TConsole& console, const std::string& text);
void ReportWarnings(TConsole& console, const std::vector<std::string>& warnings);

// What find(file, warnings) finds in the input file at path, its warnings
// reported; when the file cannot be read or understood, the error is reported
// too and nothing comes back.
template <typename Find>
auto FindInFile(TConsole& console, const std::string& path, Find find)
    -> std::optional<decltype(find(std::declval<const TInputFile&>(),
                                   std::declval<std::vector<std::string>&>()))> {
    std::vector<std::string> warnings;
    try {
        auto found = find(ReadInputFile(path), warnings);
        ReportWarnings(console, warnings);
        return found;
    } catch (const std::exception& e) {
        ReportWarnings(console, warnings);
        ReportError(console, e.what());
        return std::nullopt;
    }
}

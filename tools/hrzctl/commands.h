#pragma once
// The commands of hrzctl. Each returns the exit status and reports through the console.
#include "command_options.h"
#include "hrzctl.h"

int CmdShow(const TCommandOptions& options, TConsole& console);
int CmdDiff(const TCommandOptions& options, TConsole& console);
int CmdCheck(const TCommandOptions& options, TConsole& console);
int CmdMpt(const TCommandOptions& options, TConsole& console);
int CmdSplit(const TCommandOptions& options, TConsole& console);
int CmdJoin(const TCommandOptions& options, TConsole& console);

// "hrzctl: " + text on the error stream.
void ReportError(TConsole& console, const std::string& text);
void ReportWarnings(TConsole& console, const std::vector<std::string>& warnings);

#pragma once
// hrzctl: looks into, compares, checks, splits and joins the unit's preset and
// table files from the command line. The whole program lives in this library so
// tests can run it in-process; main() only wires it to the real console.
#include <functional>
#include <ostream>
#include <string>
#include <vector>

struct TConsole {
    std::ostream& Out;
    std::ostream& Err;
    // Binary output (join) is refused on a terminal.
    bool OutIsTerminal = false;
};

// Exit status of every command.
enum THrzctlExit : int {
    ExitOk = 0,
    ExitDifferent = 1, // diff found differences, check found problems
    ExitFailure = 2,   // bad usage, unreadable or invalid input
};

// args excludes the program name. Never throws.
int RunHrzctl(const std::vector<std::string>& args, TConsole& console);

std::string HrzctlUsage();

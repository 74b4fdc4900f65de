#pragma once
// Command line of the standalone virtual unit program.
#include "unit/unit_options.h"

#include <string>
#include <vector>

struct TUnitProgramOptions {
    TUnitOptions Unit;
    std::string Api;                               // "alsa", "jack" or "" for the first that starts
    std::string PortName = "HRZ2000 virtual unit"; // client of the ports NAME:MIDI in/out
    bool Quiet = false;
};

struct TUnitCommandLine {
    bool Run = false; // false: exit at once with ExitCode after printing Output
    int ExitCode = 0;
    std::string Output; // help or error text
    TUnitProgramOptions Options;
};

TUnitCommandLine ParseUnitCommandLine(const std::vector<std::string>& args);

// hrzctl: command-line companion for the unit's preset and table files.
#include "tools/hrzctl/hrzctl.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // join writes dump bytes; no newline translation.
    _setmode(_fileno(stdout), _O_BINARY);
    const bool terminal = _isatty(_fileno(stdout)) != 0;
#else
    const bool terminal = isatty(STDOUT_FILENO) != 0;
#endif
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    TConsole console{std::cout, std::cerr, terminal};
    const int status = RunHrzctl(args, console);
    std::cout.flush();
    return status;
}

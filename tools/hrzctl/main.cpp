// hrzctl: command-line companion for the unit's preset and table files.
#include "tools/hrzctl/hrzctl.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "model/file_path.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <shellapi.h>
#else
#include <unistd.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
    // join writes dump bytes; no newline translation, and none on the error
    // stream either, so that both read as they do everywhere else.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const bool terminal = _isatty(_fileno(stdout)) != 0;
#else
    const bool terminal = isatty(STDOUT_FILENO) != 0;
#endif
    std::ios::sync_with_stdio(false);
#ifdef _WIN32
    // The arguments as typed, in UTF-8 like every path of the program; argv
    // has them in the local code page, which cannot hold every file name.
    std::vector<std::string> args;
    int count = 0;
    if (wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.push_back(Utf8FromWide(wide[i]));
        LocalFree(wide);
    }
    (void)argc;
    (void)argv;
#else
    std::vector<std::string> args(argv + 1, argv + argc);
#endif
    TConsole console{std::cout, std::cerr, terminal};
    const int status = RunHrzctl(args, console);
    std::cout.flush();
    return status;
}

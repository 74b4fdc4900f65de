// The program's command line as a file manager or a user may give it: any
// arguments (NUL-separated in the input), file: URLs among them. The result is
// one of three actions, a file to open is absolute, and a refusal is one line
// in which no argument can hide or reorder text.
#include "app/command_line.h"
#include "model/visible_text.h"

#include <QDir>

#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> raw{"hrz2000e"};
    std::string arg;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            raw.push_back(arg);
            arg.clear();
        } else {
            arg += static_cast<char>(data[i]);
        }
    }
    raw.push_back(arg);
    QStringList args;
    std::vector<const char*> argv;
    for (const auto& a : raw) {
        argv.push_back(a.c_str());
        if (argv.size() > 1)
            args << QString::fromLocal8Bit(a.c_str());
    }
    const TCommandLine::TAction early = EarlyAction(static_cast<int>(argv.size()), argv.data());
    const bool help = early != TCommandLine::TAction::Run;
    const TCommandLine line = ParseCommandLine(args);
    switch (line.Action) {
    case TCommandLine::TAction::Help:
    case TCommandLine::TAction::Version:
        break;
    case TCommandLine::TAction::Run:
        if (help || (!line.FilePath.isEmpty() && !QDir::isAbsolutePath(line.FilePath)))
            std::abort();
        if (!line.Message.isEmpty())
            std::abort();
        break;
    case TCommandLine::TAction::Refuse: {
        if (!line.Message.startsWith("hrz2000e: "))
            std::abort();
        for (const char32_t c : line.Message.toUcs4())
            if (IsHiddenCodePoint(c))
                std::abort();
        break;
    }
    }
    return 0;
}

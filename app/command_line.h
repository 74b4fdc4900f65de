#pragma once
// The program's command line: one optional file to open (as the file manager
// passes it), or --help, or --version. Nothing else is taken.
#include <QString>
#include <QStringList>

struct TCommandLine {
    enum class TAction { Run, Help, Version, Refuse };
    TAction Action = TAction::Run;
    // The file to open, absolute; empty when none was given.
    QString FilePath;
    // Why the command line was refused (one line).
    QString Message;
};

// The one line --help prints.
QString UsageLine();

// args: the arguments after the program name, once the window system has
// taken its own options out. "--" ends the options; "file:" URLs are taken
// as the local file they name.
TCommandLine ParseCommandLine(const QStringList& args);

// Help or Version when the raw arguments ask for it, so it can be answered
// before the window system is started (and without a display); else Run.
TCommandLine::TAction EarlyAction(int argc, const char* const* argv);

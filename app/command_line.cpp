#include "app/command_line.h"

#include "model/visible_text.h"

#include <QFileInfo>
#include <QUrl>

namespace {

bool IsHelpOption(const QString& arg) {
    return arg == "--help" || arg == "-h";
}

bool IsVersionOption(const QString& arg) {
    return arg == "--version";
}

QString LocalPath(const QString& arg) {
    if (arg.startsWith("file:")) {
        const QUrl url(arg);
        if (url.isLocalFile())
            return QFileInfo(url.toLocalFile()).absoluteFilePath();
    }
    return QFileInfo(arg).absoluteFilePath();
}

// An argument quoted in a message, with what could disguise it made visible.
QString Shown(const QString& arg) {
    return QString::fromStdString(VisibleText(arg.toStdString()));
}

TCommandLine Refused(const QString& why) {
    TCommandLine line;
    line.Action = TCommandLine::TAction::Refuse;
    line.Message = "hrz2000e: " + why;
    return line;
}

} // namespace

QString UsageLine() {
    return QStringLiteral("Usage: hrz2000e [FILE]  - opens a preset (.hrz) or program table "
                          "(.mpt) file in its editor; any other file is loaded into the "
                          "message buffer");
}

TCommandLine ParseCommandLine(const QStringList& args) {
    QStringList files;
    bool optionsEnded = false;
    for (const QString& arg : args) {
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && IsHelpOption(arg)) {
            TCommandLine line;
            line.Action = TCommandLine::TAction::Help;
            return line;
        } else if (!optionsEnded && IsVersionOption(arg)) {
            TCommandLine line;
            line.Action = TCommandLine::TAction::Version;
            return line;
        } else if (!optionsEnded && arg.startsWith('-') && arg != "-") {
            return Refused("unknown option \"" + Shown(arg) + "\" (try --help)");
        } else if (arg.isEmpty() || arg == "-") {
            return Refused("\"" + Shown(arg) + "\" is not a file name (try --help)");
        } else {
            files.append(arg);
        }
    }
    if (files.size() > 1)
        return Refused("only one file can be opened at a time (try --help)");
    TCommandLine line;
    if (!files.isEmpty())
        line.FilePath = LocalPath(files.first());
    return line;
}

TCommandLine::TAction EarlyAction(int argc, const char* const* argv) {
    // The window system's own options may stand anywhere before it.
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == "--")
            break;
        if (IsHelpOption(arg))
            return TCommandLine::TAction::Help;
        if (IsVersionOption(arg))
            return TCommandLine::TAction::Version;
    }
    return TCommandLine::TAction::Run;
}

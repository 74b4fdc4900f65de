#include "tools/hrzctl/hrzctl.h"

#include "model/device_globals.h"
#include "model/digital_groups.h"
#include "tools/hrzctl/commands.h"

#include <map>
#include <set>

#ifndef HRZCTL_VERSION
#define HRZCTL_VERSION "unknown"
#endif

std::string HrzctlUsage() {
    return R"(Usage: hrzctl [--pre-express] COMMAND [OPTIONS] FILE...

Commands:
  show FILE...            every preset of the files as a listing
  diff A B                what differs between two presets (exit 1 when they differ)
  check FILE...           validate preset, table and .syx files (exit 1 on problems)
  mpt FILE...             a program table as a grid, or a list with --list
  split FILE.syx DIR      one Title.hrzNNN file per preset dump of FILE, in DIR
  join FILE... > OUT.syx  the dumps of the files one after the other

Options:
  --json                  output for scripts (show, diff, check, mpt)
  --pre-express           read files of the older Pre-Express model
  --list                  mpt: one line per program change
  --offsets               mpt: rows labelled by offset (0 +, 10 +, ...)
  --untitled NAME         split: name of presets without a title (default Untitled)
  --sort                  join: order the files by their number after ".hrz"
  -o, --output FILE       join: write FILE (atomically) instead of standard output
  -h, --help              show this text
  --version               show the version

Exit status: 0 done (or equal), 1 differences or problems found,
2 bad usage or input that cannot be read.
)";
}

void ReportError(TConsole& console, const std::string& text) {
    console.Err << "hrzctl: " << text << '\n';
}

void ReportWarnings(TConsole& console, const std::vector<std::string>& warnings) {
    for (const auto& w : warnings)
        console.Err << "hrzctl: warning: " << w << '\n';
}

namespace {

using TCommand = int (*)(const TCommandOptions&, TConsole&);

struct TCommandInfo {
    TCommand Run;
    int MinFiles;
    std::set<std::string> Options; // options beyond --pre-express
};

const std::map<std::string, TCommandInfo>& Commands() {
    static const std::map<std::string, TCommandInfo> commands = {
        {"show", {CmdShow, 1, {"--json"}}},
        {"diff", {CmdDiff, 2, {"--json"}}},
        {"check", {CmdCheck, 1, {"--json"}}},
        {"mpt", {CmdMpt, 1, {"--json", "--list", "--offsets"}}},
        {"split", {CmdSplit, 2, {"--untitled"}}},
        {"join", {CmdJoin, 1, {"--sort", "--output"}}},
    };
    return commands;
}

// The model switches the records read, set for one run and put back afterwards.
class TModelScope {
public:
    explicit TModelScope(bool preExpress)
        : savedMode_(PreExpressMode),
          savedCounts_(DigitalGroups::ActiveGroupCount() == DigitalGroups::PreExpressRowCount) {
        PreExpressMode = preExpress;
        DigitalGroups::SetActiveGroupCounts(preExpress);
    }
    ~TModelScope() {
        PreExpressMode = savedMode_;
        DigitalGroups::SetActiveGroupCounts(savedCounts_);
    }
    TModelScope(const TModelScope&) = delete;
    TModelScope& operator=(const TModelScope&) = delete;

private:
    bool savedMode_;
    bool savedCounts_;
};

struct TUsageError {
    std::string Text;
};

int Run(const std::vector<std::string>& args, TConsole& console) {
    TCommandOptions options;
    std::string command;
    std::vector<std::string> used; // options seen, checked against the command
    bool help = false, version = false, endOfOptions = false;

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (endOfOptions || arg.size() < 2 || arg[0] != '-') {
            if (command.empty())
                command = arg;
            else
                options.Files.push_back(arg);
            continue;
        }
        std::string value;
        bool hasValue = false;
        if (const auto eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = arg.substr(eq + 1);
            arg = arg.substr(0, eq);
            hasValue = true;
        }
        const auto takeValue = [&]() -> std::string {
            if (hasValue)
                return value;
            if (i + 1 >= args.size())
                throw TUsageError{"option " + arg + " needs a value"};
            return args[++i];
        };
        const auto noValue = [&] {
            if (hasValue)
                throw TUsageError{"option " + arg + " takes no value"};
        };
        if (arg == "--") {
            endOfOptions = true;
        } else if (arg == "-h" || arg == "--help") {
            noValue();
            help = true;
        } else if (arg == "--version") {
            noValue();
            version = true;
        } else if (arg == "--pre-express") {
            noValue();
            options.PreExpress = true;
        } else if (arg == "--json") {
            noValue();
            options.Json = true;
            used.push_back(arg);
        } else if (arg == "--list") {
            noValue();
            options.List = true;
            used.push_back(arg);
        } else if (arg == "--offsets") {
            noValue();
            options.Offsets = true;
            used.push_back(arg);
        } else if (arg == "--sort") {
            noValue();
            options.SortByNumber = true;
            used.push_back(arg);
        } else if (arg == "--untitled") {
            options.UntitledName = takeValue();
            if (options.UntitledName.empty())
                throw TUsageError{"--untitled needs a name that is not empty"};
            used.push_back(arg);
        } else if (arg == "-o" || arg == "--output") {
            options.OutputPath = takeValue();
            if (options.OutputPath.empty())
                throw TUsageError{arg + " needs a file name"};
            used.push_back("--output");
        } else {
            throw TUsageError{"unknown option " + arg};
        }
    }

    if (help || (command == "help" && options.Files.empty())) {
        console.Out << HrzctlUsage();
        return ExitOk;
    }
    if (version) {
        console.Out << "hrzctl " << HRZCTL_VERSION << '\n';
        return ExitOk;
    }
    if (command.empty())
        throw TUsageError{"no command given"};
    const auto found = Commands().find(command);
    if (found == Commands().end())
        throw TUsageError{"unknown command " + command};
    const TCommandInfo& info = found->second;
    for (const auto& option : used)
        if (!info.Options.count(option))
            throw TUsageError{"option " + option + " does not apply to " + command};
    if (static_cast<int>(options.Files.size()) < info.MinFiles)
        throw TUsageError{command + " needs " +
                          (info.MinFiles == 1 ? std::string("a file")
                                              : std::to_string(info.MinFiles) + " arguments")};
    if (options.Offsets && options.List)
        throw TUsageError{"--offsets applies to the grid, not to --list"};

    TModelScope model(options.PreExpress);
    return info.Run(options, console);
}

} // namespace

int RunHrzctl(const std::vector<std::string>& args, TConsole& console) {
    try {
        return Run(args, console);
    } catch (const TUsageError& e) {
        ReportError(console, e.Text);
        console.Err << "Try 'hrzctl --help' for more information.\n";
        return ExitFailure;
    } catch (const std::exception& e) {
        ReportError(console, e.what());
        return ExitFailure;
    } catch (...) {
        ReportError(console, "unexpected failure");
        return ExitFailure;
    }
}

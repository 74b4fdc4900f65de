#include "tools/hrzctl/hrzctl.h"

#include "model/device_globals.h"
#include "tools/hrzctl/commands.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <iterator>
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
  diff DIR1 DIR2          two backup folders compared location by location
  check FILE...           validate preset, table and .syx files (exit 1 on problems)
  mpt FILE...             a program table as a grid, or a list with --list
  split FILE.syx DIR      one Title.hrzNNN file per preset dump of FILE, in DIR
  join FILE... > OUT.syx  the dumps of the files one after the other
  library add DIR...      put the presets of files and folders into the library
  library search QUERY    presets of the library ("Reverb Decay > 5 s", docs/hrzctl.md)
  library history LOC     what the unit held at a location (A-042) over time
  library duplicates      the same sound kept under several titles

Options:
  --json                  output for scripts (show, diff, check, mpt, library)
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
    // A damaged recording can give thousands; the first ones tell what is wrong.
    constexpr std::size_t kShown = 20;
    for (std::size_t i = 0; i < warnings.size() && i < kShown; ++i)
        console.Err << "hrzctl: warning: " << warnings[i] << '\n';
    if (warnings.size() > kShown)
        console.Err << "hrzctl: warning: " << warnings.size() - kShown
                    << " more warnings not shown\n";
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
        {"library", {CmdLibrary, 1, {"--json"}}},
    };
    return commands;
}

struct TUsageError {
    std::string Text;
};

// Command-line options of every command, for "does not apply to" rather than
// "unknown" when a known option is given to the wrong command.
const std::set<std::string>& CommandOptionNames() {
    static const std::set<std::string> names = {"--json", "--list",     "--offsets",
                                                "--sort", "--untitled", "--output"};
    return names;
}

// The option an unmatched argument names: "--json" of "--json=yes", "--output" of "-o".
std::string OptionNameOf(const std::string& arg) {
    const std::string name = arg.substr(0, arg.find('='));
    return name == "-o" ? "--output" : name;
}

// CLI11 parses; the texts stay the tool's own, one line each.
std::string UsageText(const CLI::ParseError& e, const std::vector<std::string>& args) {
    const std::string what = e.what();
    for (const auto& name : CommandOptionNames()) {
        if (what.find(name) == std::string::npos)
            continue;
        if (what.find("requires") != std::string::npos ||
            what.find("missing") != std::string::npos || what.find("at least") != std::string::npos)
            return "option " + name + " needs a value";
    }
    // A flag given a value: CLI11 names it without its dashes.
    for (const auto& arg : args)
        if (arg.rfind("--", 0) == 0 && arg.find('=') != std::string::npos &&
            what.find(OptionNameOf(arg).substr(2)) != std::string::npos)
            return "option " + OptionNameOf(arg) + " takes no value";
    return what;
}

int Run(const std::vector<std::string>& args, TConsole& console) {
    TCommandOptions options;
    bool help = false, version = false;

    CLI::App app{"", "hrzctl"};
    app.set_help_flag();
    app.allow_extras(); // reported below in the tool's own words
    app.add_flag("-h,--help", help);
    app.add_flag("--version", version);
    const auto flag = [&](const char* name, bool& target) {
        app.add_flag(name, target)->disable_flag_override();
    };
    flag("--pre-express", options.PreExpress);
    flag("--json", options.Json);
    flag("--list", options.List);
    flag("--offsets", options.Offsets);
    flag("--sort", options.SortByNumber);
    app.add_option("--untitled", options.UntitledName);
    app.add_option("-o,--output", options.OutputPath);
    // Options stand before or after the command; the rest of its arguments are files.
    std::map<std::string, CLI::App*> subcommands;
    const auto addCommand = [&](const std::string& name) {
        CLI::App* sub = app.add_subcommand(name);
        sub->fallthrough();
        sub->set_help_flag();
        sub->allow_extras();
        sub->add_option("files", options.Files);
        subcommands[name] = sub;
    };
    for (const auto& [name, info] : Commands())
        addCommand(name);
    addCommand("help");
    // One command: after it, a file named like a command is a file.
    app.require_subcommand(0, 1);

    // "--" ends the options: what follows are files, even "-odd.hrz".
    const auto end = std::find(args.begin(), args.end(), "--");
    std::vector<std::string> reversed(std::make_reverse_iterator(end), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        throw TUsageError{UsageText(e, args)};
    }

    std::string command;
    for (const auto& [name, sub] : subcommands)
        if (sub->parsed())
            command = name;
    std::vector<std::string> extras = app.remaining();
    if (!command.empty()) {
        const auto more = subcommands[command]->remaining();
        extras.insert(extras.end(), more.begin(), more.end());
    }
    for (const auto& extra : extras) {
        if (extra.size() > 1 && extra[0] == '-') {
            const std::string name = OptionNameOf(extra);
            if (CommandOptionNames().count(name) == 0 && name != "--pre-express")
                throw TUsageError{"unknown option " + name};
            throw TUsageError{"option " + name + " takes no value"};
        }
        if (command.empty())
            throw TUsageError{"unknown command " + extra};
    }

    if (end != args.end()) {
        if (command.empty() && end + 1 != args.end())
            throw TUsageError{"unknown command " + *(end + 1)};
        options.Files.insert(options.Files.end(), end + 1, args.end());
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
    if (command == "help")
        throw TUsageError{"unknown command help"};
    const TCommandInfo& info = Commands().at(command);
    for (const auto& name : CommandOptionNames())
        if (app.count(name) > 0 && !info.Options.count(name))
            throw TUsageError{"option " + name + " does not apply to " + command};
    if (app.count("--untitled") > 0 && options.UntitledName.empty())
        throw TUsageError{"--untitled needs a name that is not empty"};
    if (app.count("--output") > 0 && options.OutputPath.empty())
        throw TUsageError{"--output needs a file name"};
    if (static_cast<int>(options.Files.size()) < info.MinFiles)
        throw TUsageError{command + " needs " +
                          (info.MinFiles == 1 ? std::string("a file")
                                              : std::to_string(info.MinFiles) + " arguments")};
    if (options.Offsets && options.List)
        throw TUsageError{"--offsets applies to the grid, not to --list"};

    TPreExpressScope model(options.PreExpress);
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

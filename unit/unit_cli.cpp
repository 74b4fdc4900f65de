#include "unit/unit_cli.h"

#include "unit/unit_memory.h"

#include <CLI/CLI.hpp>

#include <sstream>

TUnitCommandLine ParseUnitCommandLine(const std::vector<std::string>& args) {
    TUnitCommandLine result;
    TUnitProgramOptions& o = result.Options;
    int channel = 1;
    std::string state;

    CLI::App app{"Publishes a virtual HRZ2000 Express effects unit as MIDI ports, so that the "
                 "librarian or any other MIDI program can talk to it as to the hardware. Its "
                 "memory (presets, program table) is kept between runs.",
                 "hrz2000-unit"};
    app.add_flag("--pre-express", o.Unit.PreExpress,
                 "Behave as the older Pre-Express model (one bank, 128 table entries)");
    app.add_option("--channel", channel, "MIDI channel of the unit, 1..16 (default 1)")
        ->check(CLI::Range(1, 16));
    app.add_flag("--omni", o.Unit.Omni, "Obey bank select and program change on every channel");
    app.add_option("--delay", o.Unit.AnswerDelayMs, "Milliseconds before each answer starts")
        ->check(CLI::Range(0, 60000));
    app.add_flag("--pace", o.Unit.WirePacing,
                 "Take as long as a real MIDI cable (31,250 baud) for every byte");
    app.add_option("--drop", o.Unit.Faults.DropEvery, "Fault: never send every N-th reply")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--truncate", o.Unit.Faults.TruncateEvery, "Fault: cut every N-th reply in half")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--corrupt", o.Unit.Faults.CorruptEvery,
                   "Fault: change one data byte of every N-th reply")
        ->check(CLI::NonNegativeNumber);
    app.add_flag("--interleave", o.Unit.Faults.Interleave,
                 "Fault: send unrelated messages and realtime bytes among the replies");
    app.add_flag("--silent", o.Unit.Faults.Silent, "Fault: obey everything, answer nothing");
    app.add_option("--api", o.Api, "MIDI system: alsa or jack (default: the first that starts)")
        ->check(CLI::IsMember({"alsa", "jack"}));
    app.add_option("--state", state,
                   "File that keeps the unit's memory (default: " + DefaultUnitStatePath(false) +
                       ")");
    app.add_option("--name", o.PortName,
                   "Name of the unit's MIDI client; its ports are NAME:MIDI in and NAME:MIDI out "
                   "(default: HRZ2000 virtual unit)");
    app.add_flag("-q,--quiet", o.Quiet, "Print nothing but errors");
    app.set_version_flag("--version", "hrz2000-unit " HRZ_VERSION, "Show the version");

    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ParseError& e) {
        std::ostringstream out, err;
        // Help exits with 0; a bad command line with 2, as command-line tools do.
        result.ExitCode = app.exit(e, out, err) == 0 ? 0 : 2;
        result.Output = out.str() + err.str();
        return result;
    }
    o.Unit.Channel = static_cast<std::uint8_t>(channel - 1);
    o.Unit.StatePath = state.empty() ? DefaultUnitStatePath(o.Unit.PreExpress) : state;
    result.Run = true;
    return result;
}

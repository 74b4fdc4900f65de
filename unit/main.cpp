// hrz2000-unit: the virtual unit on MIDI ports of a JACK server or the ALSA sequencer.
#include "unit/jack_unit_transport.h"
#include "unit/reply_backlog.h"
#include "unit/rtmidi_unit_transport.h"
#include "unit/unit_cli.h"
#include "unit/virtual_unit.h"
#include "unit/wire_timing.h"

#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <map>
#include <memory>

namespace {

std::atomic<bool> gStop{false};
constexpr const char* kAlsaSequencer = "/dev/snd/seq";

extern "C" void OnStopSignal(int) {
    gStop = true;
}

// The first MIDI system asked for (or that starts) carries the unit's ports.
std::unique_ptr<IUnitTransport> OpenTransport(const TUnitProgramOptions& options,
                                              std::string& reasons) {
    std::vector<RtMidi::Api> apis;
    if (options.Api == "alsa")
        apis = {RtMidi::LINUX_ALSA};
    else if (options.Api == "jack")
        apis = {RtMidi::UNIX_JACK};
    else
        RtMidi::getCompiledApi(apis);
    for (RtMidi::Api api : apis) {
        if (api == RtMidi::RTMIDI_DUMMY)
            continue;
        // Without the sequencer device the ALSA library only prints its own
        // errors before failing; the line that names the ports says what was used.
        if (api == RtMidi::LINUX_ALSA && !std::filesystem::exists(kAlsaSequencer)) {
            reasons += "\n  ALSA: no sequencer device (" + std::string(kAlsaSequencer) + ")";
            continue;
        }
        try {
            if (api == RtMidi::UNIX_JACK)
                return OpenJackUnitTransport(options.PortName);
            return OpenRtMidiUnitTransport(api, options.PortName);
        } catch (const std::exception& e) {
            reasons += "\n  " + RtMidi::getApiDisplayName(api) + ": " + e.what();
        }
    }
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const TUnitCommandLine cmd =
        ParseUnitCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (!cmd.Run) {
        (cmd.ExitCode == 0 ? std::cout : std::cerr) << cmd.Output;
        return cmd.ExitCode;
    }
    const TUnitProgramOptions& options = cmd.Options;

    // The memory first: what it says about a damaged file is out before anyone
    // can see the ports and talk to the unit.
    THrzVirtualUnit unit(options.Unit);
    if (!unit.StartNotice().empty())
        std::cerr << "hrz2000-unit: " << unit.StartNotice() << "\n";

    std::string reasons;
    const std::unique_ptr<IUnitTransport> ports = OpenTransport(options, reasons);
    if (!ports) {
        std::cerr << "hrz2000-unit: no MIDI system could be started, so the virtual unit "
                     "cannot be published."
                  << reasons << "\n";
        return 1;
    }
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    if (!options.Quiet) {
        std::cout << "HRZ2000 virtual unit ("
                  << (options.Unit.PreExpress ? "Pre-Express" : "Express") << ", channel "
                  << options.Unit.Channel + 1 << ") on " << ports->Description()
                  << "\nMemory: " << options.Unit.StatePath << "\nPress Ctrl+C to stop.\n"
                  << std::flush;
    }

    using TClock = TWireTiming::TClock;
    TWireTiming toUnit(options.Unit.WirePacing);
    TWireTiming fromUnit(options.Unit.WirePacing,
                         std::chrono::milliseconds(options.Unit.AnswerDelayMs));
    TReplyBacklog outgoing(fromUnit);
    std::string lastSaveError;
    std::vector<IUnitTransport::TMessage> received;

    while (!gStop) {
        auto until = TClock::now() + std::chrono::milliseconds(50);
        // A reply held back while the ports still send is looked at again soon.
        if (const auto next = outgoing.NextDue())
            until =
                std::min(until, ports->Sending()
                                    ? std::max(*next, TClock::now() + std::chrono::milliseconds(5))
                                    : *next);
        if (const auto due = unit.SaveDue())
            until = std::min(until, *due);
        received.clear();
        ports->Wait(until, received);
        if (const std::string failure = ports->Failure(); !failure.empty()) {
            std::cerr << "hrz2000-unit: " << failure
                      << "; the virtual unit's ports are gone, so it stops.\n";
            return 1; // the unit's destructor writes what is not saved yet
        }
        for (const auto& message : received) {
            const auto arrived = toUnit.Transmit(TClock::now(), message.size());
            for (auto& reply : unit.Receive(message))
                outgoing.Add(arrived, std::move(reply));
        }
        unit.SaveIfDue(TClock::now());
        if (unit.LastSaveError() != lastSaveError) {
            lastSaveError = unit.LastSaveError();
            if (!lastSaveError.empty())
                std::cerr << "hrz2000-unit: memory not saved: " << lastSaveError << "\n";
        }
        // One cable: what is due waits in the unit's bounded buffer while the
        // ports are still sending, so a flood is dropped there and only there.
        if (!ports->Sending())
            for (const auto& reply : outgoing.TakeDue(TClock::now()))
                ports->Send(reply);
        for (const auto& warning : ports->TakeWarnings())
            std::cerr << "hrz2000-unit: " << warning << "\n";
        for (const auto& warning : outgoing.TakeWarnings(TClock::now()))
            std::cerr << "hrz2000-unit: " << warning << "\n";
    }
    if (!options.Quiet)
        std::cout << "Stopped.\n";
    return 0;
}

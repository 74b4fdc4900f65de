// hrz2000-unit: the virtual unit on virtual MIDI ports of the ALSA sequencer or JACK.
#include "unit/unit_cli.h"
#include "unit/virtual_unit.h"
#include "unit/wire_timing.h"

#include <RtMidi.h>

#include <atomic>
#include <condition_variable>
#include <csignal>
#include <deque>
#include <iostream>
#include <map>
#include <memory>
#include <mutex>

namespace {

std::atomic<bool> gStop{false};

extern "C" void OnStopSignal(int) {
    gStop = true;
}

// Bytes received by RtMidi's thread, handed to the main loop.
struct TInbox {
    std::mutex Mutex;
    std::condition_variable Wake;
    std::deque<std::vector<std::uint8_t>> Messages;
};

void OnMidiIn(double, std::vector<unsigned char>* message, void* user) {
    auto* inbox = static_cast<TInbox*>(user);
    {
        std::lock_guard lock(inbox->Mutex);
        inbox->Messages.emplace_back(message->begin(), message->end());
    }
    inbox->Wake.notify_one();
}

// RtMidi reports some failures (a JACK server that is not running) only through
// its error callback; collect them so that opening can fail cleanly.
void OnRtMidiError(RtMidiError::Type, const std::string& text, void* user) {
    auto* errors = static_cast<std::string*>(user);
    if (!errors->empty())
        *errors += "; ";
    *errors += text;
}

struct TPorts {
    std::unique_ptr<RtMidiIn> In;
    std::unique_ptr<RtMidiOut> Out;
    std::string ApiName;
};

bool OpenPorts(RtMidi::Api api, const TUnitProgramOptions& options, TInbox& inbox, TPorts& ports,
               std::string& errors) {
    try {
        auto in = std::make_unique<RtMidiIn>(api, options.PortName, 1024);
        in->setErrorCallback(OnRtMidiError, &errors);
        in->openVirtualPort(options.PortName);
        if (!errors.empty())
            return false;
        in->ignoreTypes(false, false, false);
        in->setCallback(OnMidiIn, &inbox);
        auto out = std::make_unique<RtMidiOut>(api, options.PortName);
        out->setErrorCallback(OnRtMidiError, &errors);
        out->openVirtualPort(options.PortName);
        if (!errors.empty())
            return false;
        ports.In = std::move(in);
        ports.Out = std::move(out);
        ports.ApiName = RtMidi::getApiDisplayName(api);
        return true;
    } catch (const RtMidiError& e) {
        if (!errors.empty())
            errors += "; ";
        errors += e.getMessage();
        return false;
    }
}

// Sends one reply block as a driver would put it on the port: realtime bytes
// inside it go out on their own, ahead of the message they interrupted.
void SendBlock(RtMidiOut& out, const std::vector<std::uint8_t>& block, std::string& errors) {
    std::vector<unsigned char> rest;
    rest.reserve(block.size());
    try {
        for (std::uint8_t b : block) {
            if (b >= 0xF8) {
                std::vector<unsigned char> realtime{b};
                out.sendMessage(&realtime);
            } else {
                rest.push_back(b);
            }
        }
        if (!rest.empty())
            out.sendMessage(&rest);
    } catch (const RtMidiError& e) {
        errors = e.getMessage();
    }
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

    std::vector<RtMidi::Api> apis;
    if (options.Api == "alsa")
        apis = {RtMidi::LINUX_ALSA};
    else if (options.Api == "jack")
        apis = {RtMidi::UNIX_JACK};
    else
        RtMidi::getCompiledApi(apis);

    TInbox inbox;
    TPorts ports;
    std::string reasons;
    for (RtMidi::Api api : apis) {
        if (api == RtMidi::RTMIDI_DUMMY)
            continue;
        std::string errors;
        if (OpenPorts(api, options, inbox, ports, errors))
            break;
        reasons += "\n  " + RtMidi::getApiDisplayName(api) + ": " +
                   (errors.empty() ? std::string("cannot start") : errors);
    }
    if (!ports.In) {
        std::cerr << "hrz2000-unit: no MIDI system could be started, so the virtual unit "
                     "cannot be published."
                  << reasons << "\n";
        return 1;
    }

    THrzVirtualUnit unit(options.Unit);
    std::signal(SIGINT, OnStopSignal);
    std::signal(SIGTERM, OnStopSignal);
    if (!options.Quiet) {
        std::cout << "HRZ2000 virtual unit ("
                  << (options.Unit.PreExpress ? "Pre-Express" : "Express") << ", channel "
                  << options.Unit.Channel + 1 << ") on " << ports.ApiName << " ports \""
                  << options.PortName << "\"\nMemory: " << options.Unit.StatePath
                  << "\nPress Ctrl+C to stop.\n"
                  << std::flush;
    }

    using TClock = TWireTiming::TClock;
    TWireTiming toUnit(options.Unit.WirePacing);
    TWireTiming fromUnit(options.Unit.WirePacing,
                         std::chrono::milliseconds(options.Unit.AnswerDelayMs));
    std::multimap<TClock::time_point, std::vector<std::uint8_t>> outgoing;
    std::string lastSaveError;

    while (!gStop) {
        std::deque<std::vector<std::uint8_t>> received;
        {
            std::unique_lock lock(inbox.Mutex);
            auto until = TClock::now() + std::chrono::milliseconds(50);
            if (!outgoing.empty())
                until = std::min(until, outgoing.begin()->first);
            inbox.Wake.wait_until(lock, until, [&] { return !inbox.Messages.empty(); });
            received.swap(inbox.Messages);
        }
        for (const auto& message : received) {
            const auto arrived = toUnit.Transmit(TClock::now(), message.size());
            for (auto& reply : unit.Receive(message))
                outgoing.emplace(fromUnit.Transmit(arrived, reply.size()), std::move(reply));
        }
        if (unit.LastSaveError() != lastSaveError) {
            lastSaveError = unit.LastSaveError();
            if (!lastSaveError.empty())
                std::cerr << "hrz2000-unit: memory not saved: " << lastSaveError << "\n";
        }
        std::string sendError;
        while (!outgoing.empty() && outgoing.begin()->first <= TClock::now()) {
            SendBlock(*ports.Out, outgoing.begin()->second, sendError);
            outgoing.erase(outgoing.begin());
        }
        if (!sendError.empty())
            std::cerr << "hrz2000-unit: " << sendError << "\n";
    }
    if (!options.Quiet)
        std::cout << "Stopped.\n";
    return 0;
}

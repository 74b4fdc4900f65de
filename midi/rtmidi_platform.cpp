#include "midi/rtmidi_platform.h"

#include "midi/kept_until_exit.h"
#include "midi/midi_device_names.h"
#include "midi/midi_result_text.h"
#include "midi/midi_stream_split.h"
#include "midi/quiet_stderr.h"
#include "midi/rtmidi_delivery.h"

#include <rtmidi/RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#ifdef HRZ_HAVE_JACK
#include <jack/jack.h>
#endif

using namespace mm;

struct TRtMidiPlatform::TDevice {
    RtMidi::Api Api = RtMidi::UNSPECIFIED;
    std::string PortName;       // as the API lists it, without a sequencer address
    std::size_t Occurrence = 0; // among ports of this API with the same PortName
    std::string Name;
};

namespace {

using Clock = std::chrono::steady_clock;

// A JACK server that has not answered by then is taken as absent.
constexpr std::chrono::milliseconds kJackProbeTimeout{2000};

// RtMidi reports through this instead of printing or throwing.
struct TRtErrors {
    std::atomic<bool> Failed{false};
    static void Report(RtMidiError::Type type, const std::string& /*text*/, void* userData) {
        if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING)
            static_cast<TRtErrors*>(userData)->Failed = true;
    }
};

void SilenceLibraries() {
#ifdef HRZ_HAVE_JACK
    static std::once_flag once;
    std::call_once(once, [] {
        jack_set_error_function([](const char*) {});
        jack_set_info_function([](const char*) {});
    });
#endif
}

// Whether a JACK server answers, asked the way libjack's own clients ask:
// jackd2, PipeWire's JACK and any other server behind libjack are found alike,
// and none is started. The probe runs on a thread of its own so that a server
// that hangs costs at most the time-out; a probe still waiting then is left to
// finish (or never) on its own, holding nothing of ours.
bool JackServerAnswers() {
#ifdef HRZ_HAVE_JACK
    struct TProbe {
        std::mutex Mutex;
        std::condition_variable Done;
        bool Finished = false;
        bool Answered = false;
    };
    auto probe = std::make_shared<TProbe>();
    try {
        std::thread([probe] {
            jack_status_t status{};
            jack_client_t* client = jack_client_open(
                "HRZ2000e probe", static_cast<jack_options_t>(JackNoStartServer), &status);
            if (client != nullptr)
                jack_client_close(client);
            std::lock_guard lock(probe->Mutex);
            probe->Finished = true;
            probe->Answered = client != nullptr;
            probe->Done.notify_all();
        }).detach();
    } catch (const std::system_error&) {
        return false;
    }
    std::unique_lock lock(probe->Mutex);
    probe->Done.wait_for(lock, kJackProbeTimeout, [&] { return probe->Finished; });
    return probe->Answered;
#else
    return true; // without libjack's headers RtMidi finds out itself
#endif
}

bool ApiCanStart(RtMidi::Api api) {
    // Without the sequencer device the ALSA library complains on stderr.
    if (api == RtMidi::LINUX_ALSA)
        return std::filesystem::exists("/dev/snd/seq");
    if (api == RtMidi::UNIX_JACK)
        return JackServerAnswers();
    return api != RtMidi::RTMIDI_DUMMY && api != RtMidi::WEB_MIDI_API;
}

std::string ListedName(RtMidi::Api api, const std::string& portName) {
    return api == RtMidi::LINUX_ALSA ? WithoutPortAddress(portName) : portName;
}

// Index of the port the device stands for, in the API's current list; -1 if gone.
int FindPort(RtMidi& client, const TRtMidiPlatform::TDevice& device) {
    std::size_t seen = 0;
    const unsigned count = client.getPortCount();
    for (unsigned i = 0; i < count; ++i) {
        if (ListedName(device.Api, client.getPortName(i)) != device.PortName)
            continue;
        if (seen++ == device.Occurrence)
            return static_cast<int>(i);
    }
    return -1;
}

template <typename Client>
void ListPorts(RtMidi::Api api, const std::string& clientName,
               std::vector<TRtMidiPlatform::TDevice>& devices) {
    try {
        std::unique_ptr<Client> client;
        {
            TQuietStderr quiet;
            client = std::make_unique<Client>(api, clientName);
        }
        TRtErrors errors;
        client->setErrorCallback(&TRtErrors::Report, &errors);
        const unsigned count = client->getPortCount();
        for (unsigned i = 0; i < count && !errors.Failed; ++i) {
            TRtMidiPlatform::TDevice device;
            device.Api = api;
            device.PortName = ListedName(api, client->getPortName(i));
            if (IsOwnClientPort(device.PortName, clientName))
                continue;
            device.Occurrence = static_cast<std::size_t>(
                std::count_if(devices.begin(), devices.end(), [&](const auto& other) {
                    return other.Api == api && other.PortName == device.PortName;
                }));
            devices.push_back(std::move(device));
        }
    } catch (const RtMidiError&) {
        // this API cannot start here: no devices from it
    }
}

void NameDevices(std::vector<TRtMidiPlatform::TDevice>& devices) {
    std::vector<std::string> portNames;
    for (const auto& device : devices)
        portNames.push_back(device.PortName);
    const std::vector<std::string> names = UniqueDeviceNames(portNames);
    for (std::size_t i = 0; i < devices.size(); ++i)
        devices[i].Name = names[i];
}

// Destroying a JACK client whose server has gone makes RtMidi unregister its port
// through the dead connection, and libjack crashes there. Such a client is kept
// (its threads ended with the server) until the program exits.
template <typename Client> void CloseClient(std::unique_ptr<Client>& client) {
    if (client && client->getCurrentApi() == RtMidi::UNIX_JACK && !JackServerAnswers()) {
        KeepUntilExit(std::move(client));
        return;
    }
    client.reset();
}

std::uint32_t ElapsedMs(Clock::time_point since) {
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - since).count());
}

} // namespace

struct TRtMidiPlatform::TRtInPort : TInPort {
    explicit TRtInPort(TRtMidiPlatform& platform)
        : Platform(platform), Delivery(&Forward, static_cast<TInPort*>(this),
                                       reinterpret_cast<std::uintptr_t>(this), Queue) {}

    TRtMidiPlatform& Platform;
    std::unique_ptr<RtMidiIn> Client;
    TRtErrors Errors;
    Clock::time_point StartTime;
    TRtMidiDelivery Delivery; // fills the port's queued buffers

    // On RtMidi's thread; the platform's lock keeps it apart from the window thread.
    static void Receive(double /*delta*/, std::vector<unsigned char>* message, void* userData) {
        auto* port = static_cast<TRtInPort*>(userData);
        if (message == nullptr || message->empty())
            return;
        std::lock_guard lock(port->Platform.mutex_);
        if (!port->Started)
            return;
        port->Delivery.Deliver(message->data(), message->size(), ElapsedMs(port->StartTime));
    }
    // The delivery calls the callback the port was opened with.
    static void Forward(void* handle, std::uint32_t message, std::uintptr_t instance,
                        std::uintptr_t p1, std::uintptr_t p2) {
        auto* port = reinterpret_cast<TRtInPort*>(instance);
        if (port->Callback != nullptr)
            port->Callback(handle, message, port->Instance, p1, p2);
    }
};

struct TRtMidiPlatform::TRtOutPort : TOutPort {
    std::unique_ptr<RtMidiOut> Client;
    TRtErrors Errors;
    std::uint8_t RunningStatus = 0;

    bool Send(const std::vector<std::uint8_t>& bytes) {
        Errors.Failed = false;
        Client->sendMessage(&bytes);
        return !Errors.Failed;
    }
};

TRtMidiPlatform::TRtMidiPlatform(std::string clientName, std::vector<std::string> apiNames)
    : clientName_(std::move(clientName)) {
    SilenceLibraries();
    std::vector<RtMidi::Api> compiled;
    RtMidi::getCompiledApi(compiled);
    if (apiNames.empty()) {
        for (RtMidi::Api api : compiled)
            apis_.push_back(api);
    } else {
        for (const std::string& name : apiNames) {
            const RtMidi::Api api = RtMidi::getCompiledApiByName(name);
            if (api != RtMidi::UNSPECIFIED)
                apis_.push_back(api);
        }
    }
    Refresh();
}

TRtMidiPlatform::~TRtMidiPlatform() {
    // Clients still open stop their threads before the ports go.
    for (auto& port : OpenInputs())
        CloseClient(static_cast<TRtInPort&>(*port).Client);
    for (auto& port : OpenOutputs())
        CloseClient(static_cast<TRtOutPort&>(*port).Client);
}

void TRtMidiPlatform::Refresh() {
    inputs_.clear();
    outputs_.clear();
    for (int value : apis_) {
        const auto api = static_cast<RtMidi::Api>(value);
        if (!ApiCanStart(api))
            continue;
        ListPorts<RtMidiIn>(api, clientName_, inputs_);
        ListPorts<RtMidiOut>(api, clientName_, outputs_);
    }
    NameDevices(inputs_);
    NameDevices(outputs_);
}

// ---- devices

std::uint32_t TRtMidiPlatform::midiInGetNumDevs() {
    return static_cast<std::uint32_t>(inputs_.size());
}

MMRESULT TRtMidiPlatform::midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) {
    if (deviceId >= inputs_.size())
        return MMSYSERR_BADDEVICEID;
    caps = MIDIINCAPS{};
    caps.wMid = 0xFFFF; // unknown maker
    caps.wPid = static_cast<std::uint16_t>(inputs_[deviceId].Api);
    caps.vDriverVersion = 0x0100;
    std::strncpy(caps.szPname, inputs_[deviceId].Name.c_str(), MAXPNAMELEN - 1);
    return MMSYSERR_NOERROR;
}

std::uint32_t TRtMidiPlatform::midiOutGetNumDevs() {
    return static_cast<std::uint32_t>(outputs_.size());
}

MMRESULT TRtMidiPlatform::midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) {
    if (deviceId < 0 || static_cast<std::size_t>(deviceId) >= outputs_.size())
        return MMSYSERR_BADDEVICEID;
    const TDevice& device = outputs_[static_cast<std::size_t>(deviceId)];
    caps = MIDIOUTCAPS{};
    caps.wMid = 0xFFFF;
    caps.wPid = static_cast<std::uint16_t>(device.Api);
    caps.vDriverVersion = 0x0100;
    std::strncpy(caps.szPname, device.Name.c_str(), MAXPNAMELEN - 1);
    caps.wTechnology = 1; // a port
    caps.wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

// ---- input

MMRESULT TRtMidiPlatform::OpenInput(TLock& lock, std::uint32_t deviceId,
                                    std::unique_ptr<TInPort>& opened) {
    const TDevice& device = inputs_[deviceId];
    auto port = std::make_unique<TRtInPort>(*this);
    // A JACK client starts in step with the server's cycle, in which the
    // clients already open may be waiting for the lock.
    TUnlocked unlocked(lock);
    try {
        {
            TQuietStderr quiet;
            port->Client = std::make_unique<RtMidiIn>(device.Api, clientName_);
        }
        port->Client->setErrorCallback(&TRtErrors::Report, &port->Errors);
        port->Client->ignoreTypes(false, false, false);
        // Where the API takes it (WinMM's sysex buffers, ALSA's decoder), a dump
        // of the unit then arrives in one piece; the delivery joins the rest.
        port->Client->setBufferSize(TRtMidiDelivery::kRtMidiBufferSize,
                                    TRtMidiDelivery::kRtMidiBufferCount);
        port->Client->setCallback(&TRtInPort::Receive, port.get());
        const int index = FindPort(*port->Client, device);
        if (index < 0)
            return MIDIERR_NODEVICE;
        port->Client->openPort(static_cast<unsigned>(index), "MIDI In");
    } catch (const RtMidiError&) {
        return MMSYSERR_NODRIVER;
    }
    if (port->Errors.Failed || !port->Client->isPortOpen())
        return MMSYSERR_ALLOCATED;
    opened = std::move(port);
    return MMSYSERR_NOERROR;
}

void TRtMidiPlatform::Starting(TLock&, TInPort& port) {
    static_cast<TRtInPort&>(port).StartTime = Clock::now();
}

void TRtMidiPlatform::Stopping(TLock&, TInPort& port) {
    static_cast<TRtInPort&>(port).Delivery.Reset();
}

void TRtMidiPlatform::ClosingInput(TLock& lock, TInPort& port) {
    // Destroying the client stops its thread, which may be waiting for the lock:
    // no callback after this returns.
    TUnlocked unlocked(lock);
    CloseClient(static_cast<TRtInPort&>(port).Client);
}

// ---- output

MMRESULT TRtMidiPlatform::OpenOutput(TLock& lock, int deviceId, std::unique_ptr<TOutPort>& opened) {
    const TDevice& device = outputs_[static_cast<std::size_t>(deviceId)];
    auto port = std::make_unique<TRtOutPort>();
    TUnlocked unlocked(lock); // as for an input
    try {
        {
            TQuietStderr quiet;
            port->Client = std::make_unique<RtMidiOut>(device.Api, clientName_);
        }
        port->Client->setErrorCallback(&TRtErrors::Report, &port->Errors);
        const int index = FindPort(*port->Client, device);
        if (index < 0)
            return MIDIERR_NODEVICE;
        port->Client->openPort(static_cast<unsigned>(index), "MIDI Out");
    } catch (const RtMidiError&) {
        return MMSYSERR_NODRIVER;
    }
    if (port->Errors.Failed || !port->Client->isPortOpen())
        return MMSYSERR_ALLOCATED;
    opened = std::move(port);
    return MMSYSERR_NOERROR;
}

MMRESULT TRtMidiPlatform::SendShort(TLock&, TOutPort& out, std::uint32_t message) {
    auto& port = static_cast<TRtOutPort&>(out);
    std::vector<std::uint8_t> bytes;
    std::uint8_t status = message & 0xFF;
    std::uint32_t data = message >> 8;
    if (status < 0x80) { // running status: the data bytes start in the low byte
        if (port.RunningStatus == 0)
            return MMSYSERR_INVALPARAM;
        data = message;
        status = port.RunningStatus;
    }
    const std::size_t length = ShortMessageLength(status);
    if (length == 0)
        return MMSYSERR_INVALPARAM;
    bytes.push_back(status);
    for (std::size_t i = 1; i < length; ++i, data >>= 8)
        bytes.push_back(static_cast<std::uint8_t>(data & 0x7F));
    if (status < 0xF0)
        port.RunningStatus = status;
    else if (status < 0xF8)
        port.RunningStatus = 0;
    try {
        return port.Send(bytes) ? MMSYSERR_NOERROR : MMSYSERR_ERROR;
    } catch (const RtMidiError&) {
        return MMSYSERR_ERROR;
    }
}

MMRESULT TRtMidiPlatform::SendLong(TLock& lock, TOutPort& out, MIDIHDR* header) {
    auto& port = static_cast<TRtOutPort&>(out);
    // Transports take one message at a time; the whole block still goes out.
    try {
        for (const auto& message : SplitMidiStream(header->lpData, header->dwBufferLength))
            if (!port.Send(message))
                return MMSYSERR_ERROR;
    } catch (const RtMidiError&) {
        return MMSYSERR_ERROR;
    }
    port.RunningStatus = 0;
    // Sending is synchronous, so the block is done now; the ports only post on it.
    Done(lock, port, header);
    return MMSYSERR_NOERROR;
}

MMRESULT TRtMidiPlatform::ClosingOutput(TLock& lock, TOutPort& port) {
    TUnlocked unlocked(lock); // as for an input
    CloseClient(static_cast<TRtOutPort&>(port).Client);
    return MMSYSERR_NOERROR;
}

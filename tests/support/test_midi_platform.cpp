#include "tests/support/test_midi_platform.h"

#include "midi/midi_result_text.h"

#include <algorithm>
#include <cstring>

using namespace mm;

namespace {

template <std::size_t N> void CopyName(char (&target)[N], const std::string& name) {
    std::memset(target, 0, N);
    std::strncpy(target, name.c_str(), N - 1);
}

} // namespace

TTestMidiPlatform::TTestMidiPlatform() = default;
TTestMidiPlatform::~TTestMidiPlatform() = default;

std::uint32_t TTestMidiPlatform::AddInputDevice(const TDevice& device) {
    std::lock_guard lock(mutex_);
    inputs_.push_back(device);
    return static_cast<std::uint32_t>(inputs_.size() - 1);
}

int TTestMidiPlatform::AddOutputDevice(const TDevice& device) {
    std::lock_guard lock(mutex_);
    outputs_.push_back(device);
    return static_cast<int>(outputs_.size() - 1);
}

void TTestMidiPlatform::RemoveInputDevice(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    if (deviceId < inputs_.size())
        inputs_.erase(inputs_.begin() + static_cast<std::ptrdiff_t>(deviceId));
}

void TTestMidiPlatform::RemoveOutputDevice(int deviceId) {
    std::lock_guard lock(mutex_);
    if (deviceId >= 0 && static_cast<std::size_t>(deviceId) < outputs_.size())
        outputs_.erase(outputs_.begin() + deviceId);
}

void TTestMidiPlatform::SetMapperName(const std::string& name) {
    std::lock_guard lock(mutex_);
    mapperName_ = name;
}

void TTestMidiPlatform::Fail(TMidiOp op, MMRESULT code, int times, int after) {
    std::lock_guard lock(mutex_);
    failures_[static_cast<std::size_t>(op)] = {code, times, after};
}

void TTestMidiPlatform::ClearFailures() {
    std::lock_guard lock(mutex_);
    failures_.fill({});
}

int TTestMidiPlatform::CallCount(TMidiOp op) const {
    std::lock_guard lock(mutex_);
    return calls_[static_cast<std::size_t>(op)];
}

void TTestMidiPlatform::SetErrorText(MMRESULT code, const std::string& text) {
    std::lock_guard lock(mutex_);
    textOverrides_[code] = text;
    std::erase(removedTexts_, code);
}

void TTestMidiPlatform::RemoveErrorText(MMRESULT code) {
    std::lock_guard lock(mutex_);
    textOverrides_.erase(code);
    removedTexts_.push_back(code);
}

MMRESULT TTestMidiPlatform::Enter(TMidiOp op) {
    const auto index = static_cast<std::size_t>(op);
    ++calls_[index];
    TFailure& failure = failures_[index];
    if (failure.Times == 0)
        return MMSYSERR_NOERROR;
    if (failure.After > 0) {
        --failure.After;
        return MMSYSERR_NOERROR;
    }
    if (failure.Times > 0)
        --failure.Times;
    return failure.Code;
}

MMRESULT TTestMidiPlatform::OutputDevice(int& deviceId) {
    const bool mapper = deviceId == MIDI_MAPPER;
    const int id = mapper ? 0 : deviceId;
    if (id < 0 || static_cast<std::size_t>(id) >= outputs_.size())
        return mapper ? MIDIERR_NODEVICE : MMSYSERR_BADDEVICEID;
    deviceId = id;
    return MMSYSERR_NOERROR;
}

TTestMidiPlatform::TInPort* TTestMidiPlatform::StartedInput(std::uint32_t deviceId) const {
    TInPort* port = InputOf(deviceId);
    return port != nullptr && port->Started ? port : nullptr;
}

// ---- injected input

bool TTestMidiPlatform::InjectShort(std::uint32_t deviceId, std::uint32_t message,
                                    std::uint32_t time) {
    return InjectCallback(deviceId, MIM_DATA, message, time);
}

bool TTestMidiPlatform::InjectCallback(std::uint32_t deviceId, std::uint32_t message,
                                       std::uintptr_t param1, std::uintptr_t param2) {
    TLock lock(mutex_);
    TInPort* port = StartedInput(deviceId);
    if (port == nullptr)
        return false;
    Notify(lock, *port, message, param1, param2);
    return true;
}

std::size_t TTestMidiPlatform::InjectSysex(std::uint32_t deviceId,
                                           const std::vector<std::uint8_t>& bytes,
                                           std::uint32_t time) {
    TLock lock(mutex_);
    TInPort* port = StartedInput(deviceId);
    if (port == nullptr)
        return 0;
    std::size_t delivered = 0;
    do {
        if (port->Queue.empty())
            break; // no buffer: the rest is lost
        MIDIHDR* header = port->Queue.front();
        port->Queue.pop_front();
        const std::size_t chunk =
            std::min<std::size_t>(bytes.size() - delivered, header->dwBufferLength);
        if (chunk != 0)
            std::memcpy(header->lpData, bytes.data() + delivered, chunk);
        header->dwBytesRecorded = static_cast<std::uint32_t>(chunk);
        MarkHeaderDone(header);
        delivered += chunk;
        Notify(lock, *port, MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(header), time);
    } while (delivered < bytes.size());
    return delivered;
}

std::size_t TTestMidiPlatform::QueuedBufferCount(std::uint32_t deviceId) const {
    std::lock_guard lock(mutex_);
    const TInPort* port = InputOf(deviceId);
    return port ? port->Queue.size() : 0;
}

bool TTestMidiPlatform::IsInputOpen(std::uint32_t deviceId) const {
    std::lock_guard lock(mutex_);
    return InputOf(deviceId) != nullptr;
}

bool TTestMidiPlatform::IsInputStarted(std::uint32_t deviceId) const {
    std::lock_guard lock(mutex_);
    return StartedInput(deviceId) != nullptr;
}

bool TTestMidiPlatform::IsOutputOpen(int deviceId) const {
    std::lock_guard lock(mutex_);
    return OutputOf(deviceId == MIDI_MAPPER ? 0 : deviceId) != nullptr;
}

std::size_t TTestMidiPlatform::OpenDeviceCount() const {
    std::lock_guard lock(mutex_);
    return OpenInputs().size() + OpenOutputs().size();
}

std::vector<TTestMidiPlatform::TSent> TTestMidiPlatform::Sent() const {
    std::lock_guard lock(mutex_);
    return sent_;
}

void TTestMidiPlatform::ClearSent() {
    std::lock_guard lock(mutex_);
    sent_.clear();
}

void TTestMidiPlatform::SetHoldDone(bool hold) {
    std::lock_guard lock(mutex_);
    holdDone_ = hold;
}

void TTestMidiPlatform::ReleaseDone() {
    TLock lock(mutex_);
    for (const auto& open : OpenOutputs()) {
        auto& port = static_cast<THoldingOutPort&>(*open);
        while (!port.HeldDone.empty()) {
            MIDIHDR* header = port.HeldDone.front();
            port.HeldDone.pop_front();
            Done(lock, port, header);
        }
    }
}

// ---- devices

std::uint32_t TTestMidiPlatform::midiInGetNumDevs() {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint32_t>(inputs_.size());
}

MMRESULT TTestMidiPlatform::midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InGetDevCaps))
        return failure;
    if (deviceId >= inputs_.size())
        return MMSYSERR_BADDEVICEID;
    const TDevice& device = inputs_[deviceId];
    caps = MIDIINCAPS{};
    caps.wMid = device.Mid;
    caps.wPid = device.Pid;
    caps.vDriverVersion = device.DriverVersion;
    CopyName(caps.szPname, device.Name);
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) {
    std::lock_guard lock(mutex_);
    if (std::find(removedTexts_.begin(), removedTexts_.end(), code) != removedTexts_.end())
        return MMSYSERR_BADERRNUM;
    if (auto it = textOverrides_.find(code); it != textOverrides_.end())
        return CopyMidiText(it->second.c_str(), text, size);
    return CopyMidiResultText(code, text, size);
}

std::uint32_t TTestMidiPlatform::midiOutGetNumDevs() {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint32_t>(outputs_.size());
}

MMRESULT TTestMidiPlatform::midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutGetDevCaps))
        return failure;
    const bool mapper = deviceId == MIDI_MAPPER;
    const int id = mapper ? 0 : deviceId;
    if (id < 0 || static_cast<std::size_t>(id) >= outputs_.size())
        return MMSYSERR_BADDEVICEID;
    const TDevice& device = outputs_[static_cast<std::size_t>(id)];
    caps = MIDIOUTCAPS{};
    caps.wMid = device.Mid;
    caps.wPid = device.Pid;
    caps.vDriverVersion = device.DriverVersion;
    CopyName(caps.szPname, mapper ? mapperName_ : device.Name);
    caps.wTechnology = mapper ? 5 : 1;
    caps.wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiOutGetErrorText(MMRESULT code, char* text, std::uint32_t size) {
    return midiInGetErrorText(code, text, size);
}

// ---- what the base leaves to a backend

MMRESULT TTestMidiPlatform::OpenInput(TLock&, std::uint32_t, std::unique_ptr<TInPort>& port) {
    port = std::make_unique<TInPort>();
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::OpenOutput(TLock&, int, std::unique_ptr<TOutPort>& port) {
    port = std::make_unique<THoldingOutPort>();
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::ClosingOutput(TLock&, TOutPort& port) {
    return static_cast<THoldingOutPort&>(port).HeldDone.empty() ? MMSYSERR_NOERROR
                                                                : MIDIERR_STILLPLAYING;
}

MMRESULT TTestMidiPlatform::SendShort(TLock&, TOutPort& port, std::uint32_t message) {
    TSent sent;
    sent.DeviceId = port.DeviceId;
    sent.Packed = message;
    sent.Bytes = {static_cast<std::uint8_t>(message), static_cast<std::uint8_t>(message >> 8),
                  static_cast<std::uint8_t>(message >> 16)};
    sent_.push_back(std::move(sent));
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::SendLong(TLock& lock, TOutPort& port, MIDIHDR* header) {
    TSent sent;
    sent.DeviceId = port.DeviceId;
    sent.Long = true;
    if (header->lpData != nullptr)
        sent.Bytes.assign(header->lpData, header->lpData + header->dwBufferLength);
    sent_.push_back(std::move(sent));
    if (holdDone_) {
        MarkHeaderQueued(header);
        static_cast<THoldingOutPort&>(port).HeldDone.push_back(header);
        return MMSYSERR_NOERROR;
    }
    Done(lock, port, header);
    return MMSYSERR_NOERROR;
}

#include "midi/test_midi_platform.h"

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

TTestMidiPlatform::TInPort* TTestMidiPlatform::FindIn(HMIDIIN handle) const {
    for (const auto& port : openIn_)
        if (reinterpret_cast<HMIDIIN>(port.get()) == handle)
            return port.get();
    return nullptr;
}

TTestMidiPlatform::TOutPort* TTestMidiPlatform::FindOut(HMIDIOUT handle) const {
    for (const auto& port : openOut_)
        if (reinterpret_cast<HMIDIOUT>(port.get()) == handle)
            return port.get();
    return nullptr;
}

TTestMidiPlatform::TInPort* TTestMidiPlatform::OpenIn(std::uint32_t deviceId) const {
    for (const auto& port : openIn_)
        if (port->DeviceId == deviceId)
            return port.get();
    return nullptr;
}

TTestMidiPlatform::TOutPort* TTestMidiPlatform::OpenOut(int deviceId) const {
    for (const auto& port : openOut_)
        if (port->DeviceId == deviceId)
            return port.get();
    return nullptr;
}

void TTestMidiPlatform::Call(const TInPort& port, std::uint32_t message, std::uintptr_t p1,
                             std::uintptr_t p2) {
    if (port.Callback != nullptr)
        port.Callback(const_cast<TInPort*>(&port), message, port.Instance, p1, p2);
}

void TTestMidiPlatform::Call(const TOutPort& port, std::uint32_t message, std::uintptr_t p1,
                             std::uintptr_t p2) {
    if (port.Callback != nullptr)
        port.Callback(const_cast<TOutPort*>(&port), message, port.Instance, p1, p2);
}

// ---- injected input

bool TTestMidiPlatform::InjectShort(std::uint32_t deviceId, std::uint32_t message,
                                    std::uint32_t time) {
    return InjectCallback(deviceId, MIM_DATA, message, time);
}

bool TTestMidiPlatform::InjectCallback(std::uint32_t deviceId, std::uint32_t message,
                                       std::uintptr_t param1, std::uintptr_t param2) {
    std::lock_guard lock(mutex_);
    TInPort* port = OpenIn(deviceId);
    if (port == nullptr || !port->Started)
        return false;
    Call(*port, message, param1, param2);
    return true;
}

std::size_t TTestMidiPlatform::InjectSysex(std::uint32_t deviceId,
                                           const std::vector<std::uint8_t>& bytes,
                                           std::uint32_t time) {
    std::lock_guard lock(mutex_);
    TInPort* port = OpenIn(deviceId);
    if (port == nullptr || !port->Started)
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
        Call(*port, MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(header), time);
    } while (delivered < bytes.size());
    return delivered;
}

std::size_t TTestMidiPlatform::QueuedBufferCount(std::uint32_t deviceId) const {
    std::lock_guard lock(mutex_);
    const TInPort* port = OpenIn(deviceId);
    return port ? port->Queue.size() : 0;
}

bool TTestMidiPlatform::IsInputOpen(std::uint32_t deviceId) const {
    std::lock_guard lock(mutex_);
    return OpenIn(deviceId) != nullptr;
}

bool TTestMidiPlatform::IsInputStarted(std::uint32_t deviceId) const {
    std::lock_guard lock(mutex_);
    const TInPort* port = OpenIn(deviceId);
    return port && port->Started;
}

bool TTestMidiPlatform::IsOutputOpen(int deviceId) const {
    std::lock_guard lock(mutex_);
    return OpenOut(deviceId == MIDI_MAPPER ? 0 : deviceId) != nullptr;
}

std::size_t TTestMidiPlatform::OpenDeviceCount() const {
    std::lock_guard lock(mutex_);
    return openIn_.size() + openOut_.size();
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
    std::lock_guard lock(mutex_);
    for (const auto& port : openOut_) {
        while (!port->HeldDone.empty()) {
            MIDIHDR* header = port->HeldDone.front();
            port->HeldDone.pop_front();
            MarkHeaderDone(header);
            Call(*port, MOM_DONE, reinterpret_cast<std::uintptr_t>(header), 0);
        }
    }
}

// ---- input operations

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

MMRESULT TTestMidiPlatform::midiInOpen(HMIDIIN* handle, std::uint32_t deviceId,
                                       MidiCallback callback, std::uintptr_t instance,
                                       std::uint32_t flags) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InOpen))
        return failure;
    if (handle == nullptr || (callback != nullptr && flags != CALLBACK_FUNCTION))
        return MMSYSERR_INVALPARAM;
    if (deviceId >= inputs_.size())
        return MMSYSERR_BADDEVICEID;
    if (OpenIn(deviceId) != nullptr)
        return MMSYSERR_ALLOCATED;
    auto port = std::make_unique<TInPort>();
    port->DeviceId = deviceId;
    port->Callback = callback;
    port->Instance = instance;
    *handle = reinterpret_cast<HMIDIIN>(port.get());
    Call(*port, MIM_OPEN, 0, 0);
    openIn_.push_back(std::move(port));
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InPrepareHeader))
        return failure;
    if (FindIn(handle) == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (header == nullptr || header->lpData == nullptr)
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InAddBuffer))
        return failure;
    TInPort* port = FindIn(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (header == nullptr || header->lpData == nullptr || header->dwBufferLength == 0)
        return MMSYSERR_INVALPARAM;
    if ((header->dwFlags & MHDR_PREPARED) == 0)
        return MIDIERR_UNPREPARED;
    if ((header->dwFlags & MHDR_INQUEUE) != 0)
        return MIDIERR_STILLPLAYING;
    MarkHeaderQueued(header);
    header->dwBytesRecorded = 0;
    port->Queue.push_back(header);
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiInStart(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InStart))
        return failure;
    TInPort* port = FindIn(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    port->Started = true;
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiInReset(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InReset))
        return failure;
    TInPort* port = FindIn(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    port->Started = false;
    // Every queued buffer comes back, empty, as the real service does.
    while (!port->Queue.empty()) {
        MIDIHDR* header = port->Queue.front();
        port->Queue.pop_front();
        header->dwBytesRecorded = 0;
        MarkHeaderDone(header);
        Call(*port, MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(header), 0);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InUnprepareHeader))
        return failure;
    if (FindIn(handle) == nullptr)
        return MMSYSERR_INVALHANDLE;
    return UnprepareHeaderFlags(header);
}

MMRESULT TTestMidiPlatform::midiInClose(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InClose))
        return failure;
    TInPort* port = FindIn(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (!port->Queue.empty())
        return MIDIERR_STILLPLAYING;
    Call(*port, MIM_CLOSE, 0, 0);
    std::erase_if(openIn_, [port](const auto& item) { return item.get() == port; });
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

// ---- output operations

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

MMRESULT TTestMidiPlatform::midiOutOpen(HMIDIOUT* handle, int deviceId, MidiCallback callback,
                                        std::uintptr_t instance, std::uint32_t flags) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutOpen))
        return failure;
    if (handle == nullptr || (callback != nullptr && flags != CALLBACK_FUNCTION))
        return MMSYSERR_INVALPARAM;
    const int id = deviceId == MIDI_MAPPER ? 0 : deviceId;
    if (id < 0 || static_cast<std::size_t>(id) >= outputs_.size())
        return deviceId == MIDI_MAPPER ? MIDIERR_NODEVICE : MMSYSERR_BADDEVICEID;
    if (OpenOut(id) != nullptr)
        return MMSYSERR_ALLOCATED;
    auto port = std::make_unique<TOutPort>();
    port->DeviceId = id;
    port->Callback = callback;
    port->Instance = instance;
    *handle = reinterpret_cast<HMIDIOUT>(port.get());
    Call(*port, MOM_OPEN, 0, 0);
    openOut_.push_back(std::move(port));
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiOutShortMsg(HMIDIOUT handle, std::uint32_t message) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutShortMsg))
        return failure;
    TOutPort* port = FindOut(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    TSent sent;
    sent.DeviceId = port->DeviceId;
    sent.Packed = message;
    sent.Bytes = {static_cast<std::uint8_t>(message), static_cast<std::uint8_t>(message >> 8),
                  static_cast<std::uint8_t>(message >> 16)};
    sent_.push_back(std::move(sent));
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutPrepareHeader))
        return failure;
    if (FindOut(handle) == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (header == nullptr)
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutLongMsg))
        return failure;
    TOutPort* port = FindOut(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (header == nullptr)
        return MMSYSERR_INVALPARAM;
    if ((header->dwFlags & MHDR_PREPARED) == 0)
        return MIDIERR_UNPREPARED;
    TSent sent;
    sent.DeviceId = port->DeviceId;
    sent.Long = true;
    if (header->lpData != nullptr)
        sent.Bytes.assign(header->lpData, header->lpData + header->dwBufferLength);
    sent_.push_back(std::move(sent));
    if (holdDone_) {
        MarkHeaderQueued(header);
        port->HeldDone.push_back(header);
        return MMSYSERR_NOERROR;
    }
    MarkHeaderDone(header);
    Call(*port, MOM_DONE, reinterpret_cast<std::uintptr_t>(header), 0);
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutUnprepareHeader))
        return failure;
    if (FindOut(handle) == nullptr)
        return MMSYSERR_INVALHANDLE;
    return UnprepareHeaderFlags(header);
}

MMRESULT TTestMidiPlatform::midiOutClose(HMIDIOUT handle) {
    std::lock_guard lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutClose))
        return failure;
    TOutPort* port = FindOut(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (!port->HeldDone.empty())
        return MIDIERR_STILLPLAYING;
    Call(*port, MOM_CLOSE, 0, 0);
    std::erase_if(openOut_, [port](const auto& item) { return item.get() == port; });
    return MMSYSERR_NOERROR;
}

MMRESULT TTestMidiPlatform::midiOutGetErrorText(MMRESULT code, char* text, std::uint32_t size) {
    return midiInGetErrorText(code, text, size);
}

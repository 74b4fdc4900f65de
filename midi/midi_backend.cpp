#include "midi/midi_backend.h"

#include "midi/midi_result_text.h"

#include <algorithm>

using namespace mm;

namespace {

constexpr std::uint32_t kCallbackTypeMask = 0x70000;

} // namespace

MMRESULT mm::PrepareHeader(MIDIHDR* header) {
    if (header == nullptr || header->lpData == nullptr)
        return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT mm::CheckInputBuffer(const MIDIHDR* header) {
    if (header == nullptr || header->lpData == nullptr || header->dwBufferLength == 0)
        return MMSYSERR_INVALPARAM;
    if ((header->dwFlags & MHDR_PREPARED) == 0)
        return MIDIERR_UNPREPARED;
    if ((header->dwFlags & MHDR_INQUEUE) != 0)
        return MIDIERR_STILLPLAYING;
    return MMSYSERR_NOERROR;
}

MMRESULT mm::CheckLongMessage(const MIDIHDR* header) {
    if (header == nullptr || (header->lpData == nullptr && header->dwBufferLength != 0))
        return MMSYSERR_INVALPARAM;
    if ((header->dwFlags & MHDR_PREPARED) == 0)
        return MIDIERR_UNPREPARED;
    if ((header->dwFlags & MHDR_INQUEUE) != 0)
        return MIDIERR_STILLPLAYING;
    return MMSYSERR_NOERROR;
}

MMRESULT mm::CheckOpenFlags(MidiCallback callback, std::uint32_t flags) {
    const std::uint32_t type = flags & kCallbackTypeMask;
    if (type != 0 && type != CALLBACK_FUNCTION)
        return MMSYSERR_INVALFLAG; // windows, threads and events are not called here
    if (callback != nullptr && type != CALLBACK_FUNCTION)
        return MMSYSERR_INVALPARAM;
    return MMSYSERR_NOERROR;
}

TMidiBackend::TMidiBackend() = default;
TMidiBackend::~TMidiBackend() = default;

// ---- the handle table

TMidiBackend::TInPort* TMidiBackend::FindIn(HMIDIIN handle) const {
    for (const auto& port : inputs_)
        if (reinterpret_cast<HMIDIIN>(port.get()) == handle)
            return port.get();
    return nullptr;
}

TMidiBackend::TOutPort* TMidiBackend::FindOut(HMIDIOUT handle) const {
    for (const auto& port : outputs_)
        if (reinterpret_cast<HMIDIOUT>(port.get()) == handle)
            return port.get();
    return nullptr;
}

TMidiBackend::TInPort* TMidiBackend::InputOf(std::uint32_t deviceId) const {
    for (const auto& port : inputs_)
        if (port->DeviceId == deviceId)
            return port.get();
    return nullptr;
}

TMidiBackend::TOutPort* TMidiBackend::OutputOf(int deviceId) const {
    for (const auto& port : outputs_)
        if (port->DeviceId == deviceId)
            return port.get();
    return nullptr;
}

MMRESULT TMidiBackend::OutputDevice(int& deviceId) {
    if (deviceId < 0 || static_cast<std::uint32_t>(deviceId) >= midiOutGetNumDevs())
        return MMSYSERR_BADDEVICEID;
    return MMSYSERR_NOERROR;
}

// ---- callbacks

void TMidiBackend::Invoke(TLock&, MidiCallback callback, void* handle, std::uint32_t message,
                          std::uintptr_t instance, std::uintptr_t p1, std::uintptr_t p2) {
    if (callback != nullptr)
        callback(handle, message, instance, p1, p2);
}

void TMidiBackend::Notify(TLock& lock, TInPort& port, std::uint32_t message, std::uintptr_t p1,
                          std::uintptr_t p2) {
    Invoke(lock, port.Callback, &port, message, port.Instance, p1, p2);
}

void TMidiBackend::Notify(TLock& lock, TOutPort& port, std::uint32_t message, std::uintptr_t p1,
                          std::uintptr_t p2) {
    Invoke(lock, port.Callback, &port, message, port.Instance, p1, p2);
}

void TMidiBackend::Done(TLock& lock, TOutPort& port, MIDIHDR* header) {
    MarkHeaderDone(header);
    Notify(lock, port, MOM_DONE, reinterpret_cast<std::uintptr_t>(header), 0);
}

// ---- input

MMRESULT TMidiBackend::midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiCallback callback,
                                  std::uintptr_t instance, std::uint32_t flags) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InOpen))
        return failure;
    if (handle == nullptr)
        return MMSYSERR_INVALPARAM;
    if (const MMRESULT refused = CheckOpenFlags(callback, flags))
        return refused;
    if (deviceId >= midiInGetNumDevs())
        return MMSYSERR_BADDEVICEID;
    if (OpensOnce() && InputOf(deviceId) != nullptr)
        return MMSYSERR_ALLOCATED;
    std::unique_ptr<TInPort> port;
    if (const MMRESULT failed = OpenInput(lock, deviceId, port))
        return failed;
    port->DeviceId = deviceId;
    port->Callback = callback;
    port->Instance = instance;
    TInPort& opened = *port;
    inputs_.push_back(std::move(port));
    *handle = reinterpret_cast<HMIDIIN>(&opened);
    Notify(lock, opened, MIM_OPEN, 0, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiBackend::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InPrepareHeader))
        return failure;
    if (FindIn(handle) == nullptr)
        return MMSYSERR_INVALHANDLE;
    return PrepareHeader(header);
}

MMRESULT TMidiBackend::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InAddBuffer))
        return failure;
    TInPort* port = FindIn(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (const MMRESULT refused = CheckInputBuffer(header))
        return refused;
    MarkHeaderQueued(header);
    header->dwBytesRecorded = 0;
    port->Queue.push_back(header);
    BufferAdded(lock, *port);
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiBackend::midiInStart(HMIDIIN handle) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InStart))
        return failure;
    TInPort* port = FindIn(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    Starting(lock, *port);
    port->Started = true;
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiBackend::midiInReset(HMIDIIN handle) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InReset))
        return failure;
    TInPort* port = FindIn(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    port->Started = false;
    Stopping(lock, *port);
    // Every queued buffer comes back, empty. A callback may run without the lock,
    // so the port is looked up again after each.
    while (port != nullptr && !port->Queue.empty()) {
        MIDIHDR* header = port->Queue.front();
        port->Queue.pop_front();
        header->dwBytesRecorded = 0;
        MarkHeaderDone(header);
        Notify(lock, *port, MIM_LONGDATA, reinterpret_cast<std::uintptr_t>(header), 0);
        port = FindIn(handle);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiBackend::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InUnprepareHeader))
        return failure;
    if (FindIn(handle) == nullptr)
        return MMSYSERR_INVALHANDLE;
    return UnprepareHeaderFlags(header);
}

MMRESULT TMidiBackend::midiInClose(HMIDIIN handle) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::InClose))
        return failure;
    TInPort* port = FindIn(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (!port->Queue.empty())
        return MIDIERR_STILLPLAYING;
    port->Started = false;
    ClosingInput(lock, *port);
    Notify(lock, *port, MIM_CLOSE, 0, 0);
    std::erase_if(inputs_, [port](const auto& item) { return item.get() == port; });
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiBackend::midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) {
    return CopyMidiResultText(code, text, size);
}

// ---- output

MMRESULT TMidiBackend::midiOutOpen(HMIDIOUT* handle, int deviceId, MidiCallback callback,
                                   std::uintptr_t instance, std::uint32_t flags) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutOpen))
        return failure;
    if (handle == nullptr)
        return MMSYSERR_INVALPARAM;
    if (const MMRESULT refused = CheckOpenFlags(callback, flags))
        return refused;
    if (const MMRESULT refused = OutputDevice(deviceId))
        return refused;
    if (OpensOnce() && OutputOf(deviceId) != nullptr)
        return MMSYSERR_ALLOCATED;
    std::unique_ptr<TOutPort> port;
    if (const MMRESULT failed = OpenOutput(lock, deviceId, port))
        return failed;
    port->DeviceId = deviceId;
    port->Callback = callback;
    port->Instance = instance;
    TOutPort& opened = *port;
    outputs_.push_back(std::move(port));
    *handle = reinterpret_cast<HMIDIOUT>(&opened);
    Notify(lock, opened, MOM_OPEN, 0, 0);
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiBackend::midiOutShortMsg(HMIDIOUT handle, std::uint32_t message) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutShortMsg))
        return failure;
    TOutPort* port = FindOut(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    return SendShort(lock, *port, message);
}

MMRESULT TMidiBackend::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutPrepareHeader))
        return failure;
    if (FindOut(handle) == nullptr)
        return MMSYSERR_INVALHANDLE;
    return PrepareHeader(header);
}

MMRESULT TMidiBackend::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutLongMsg))
        return failure;
    TOutPort* port = FindOut(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (const MMRESULT refused = CheckLongMessage(header))
        return refused;
    return SendLong(lock, *port, header);
}

MMRESULT TMidiBackend::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutUnprepareHeader))
        return failure;
    if (FindOut(handle) == nullptr && !ReleasesAfterClose(handle))
        return MMSYSERR_INVALHANDLE;
    return UnprepareHeaderFlags(header);
}

MMRESULT TMidiBackend::midiOutClose(HMIDIOUT handle) {
    TLock lock(mutex_);
    if (const MMRESULT failure = Enter(TMidiOp::OutClose))
        return failure;
    TOutPort* port = FindOut(handle);
    if (port == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (const MMRESULT refused = ClosingOutput(lock, *port))
        return refused;
    Notify(lock, *port, MOM_CLOSE, 0, 0);
    std::erase_if(outputs_, [port](const auto& item) { return item.get() == port; });
    return MMSYSERR_NOERROR;
}

MMRESULT TMidiBackend::midiOutGetErrorText(MMRESULT code, char* text, std::uint32_t size) {
    return CopyMidiResultText(code, text, size);
}

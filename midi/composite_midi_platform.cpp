#include "midi/composite_midi_platform.h"

#include <algorithm>
#include <cstring>

using namespace mm;

TCompositeMidiPlatform::TCompositeMidiPlatform() = default;
TCompositeMidiPlatform::~TCompositeMidiPlatform() = default;

void TCompositeMidiPlatform::AddBackend(IMidiPlatform& backend) {
    backends_.push_back(&backend);
}

void TCompositeMidiPlatform::AddBackend(std::unique_ptr<IMidiPlatform> backend) {
    backends_.push_back(backend.get());
    owned_.push_back(std::move(backend));
}

IMidiPlatform* TCompositeMidiPlatform::RouteInput(std::uint32_t deviceId,
                                                  std::uint32_t& localId) const {
    for (IMidiPlatform* backend : backends_) {
        const std::uint32_t count = backend->midiInGetNumDevs();
        if (deviceId < count) {
            localId = deviceId;
            return backend;
        }
        deviceId -= count;
    }
    return nullptr;
}

IMidiPlatform* TCompositeMidiPlatform::RouteOutput(int deviceId, int& localId) const {
    if (deviceId == MIDI_MAPPER)
        deviceId = 0;
    if (deviceId < 0)
        return nullptr;
    auto remaining = static_cast<std::uint32_t>(deviceId);
    for (IMidiPlatform* backend : backends_) {
        const std::uint32_t count = backend->midiOutGetNumDevs();
        if (remaining < count) {
            localId = static_cast<int>(remaining);
            return backend;
        }
        remaining -= count;
    }
    return nullptr;
}

TCompositeMidiPlatform::TOpenInput* TCompositeMidiPlatform::FindInput(HMIDIIN handle) const {
    for (const auto& open : inputs_)
        if (reinterpret_cast<HMIDIIN>(open.get()) == handle)
            return open.get();
    return nullptr;
}

TCompositeMidiPlatform::TOpenOutput* TCompositeMidiPlatform::FindOutput(HMIDIOUT handle) const {
    for (const auto& open : outputs_)
        if (reinterpret_cast<HMIDIOUT>(open.get()) == handle)
            return open.get();
    return nullptr;
}

void TCompositeMidiPlatform::InputCallback(void* /*handle*/, std::uint32_t message,
                                           std::uintptr_t instance, std::uintptr_t param1,
                                           std::uintptr_t param2) {
    auto* open = reinterpret_cast<TOpenInput*>(instance);
    if (open->Callback != nullptr)
        open->Callback(open, message, open->Instance, param1, param2);
}

void TCompositeMidiPlatform::OutputCallback(void* /*handle*/, std::uint32_t message,
                                            std::uintptr_t instance, std::uintptr_t param1,
                                            std::uintptr_t param2) {
    auto* open = reinterpret_cast<TOpenOutput*>(instance);
    if (open->Callback != nullptr)
        open->Callback(open, message, open->Instance, param1, param2);
}

// ---- input

std::uint32_t TCompositeMidiPlatform::midiInGetNumDevs() {
    std::uint32_t total = 0;
    for (IMidiPlatform* backend : backends_)
        total += backend->midiInGetNumDevs();
    return total;
}

MMRESULT TCompositeMidiPlatform::midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) {
    std::uint32_t local = 0;
    IMidiPlatform* backend = RouteInput(deviceId, local);
    return backend ? backend->midiInGetDevCaps(local, caps) : MMSYSERR_BADDEVICEID;
}

MMRESULT TCompositeMidiPlatform::midiInOpen(HMIDIIN* handle, std::uint32_t deviceId,
                                            MidiCallback callback, std::uintptr_t instance,
                                            std::uint32_t flags) {
    if (handle == nullptr)
        return MMSYSERR_INVALPARAM;
    std::uint32_t local = 0;
    IMidiPlatform* backend = RouteInput(deviceId, local);
    if (backend == nullptr)
        return MMSYSERR_BADDEVICEID;
    auto open = std::make_unique<TOpenInput>();
    open->Backend = backend;
    open->Callback = callback;
    open->Instance = instance;
    const MMRESULT result =
        backend->midiInOpen(&open->Inner, local, callback ? &InputCallback : nullptr,
                            reinterpret_cast<std::uintptr_t>(open.get()), flags);
    if (result != MMSYSERR_NOERROR)
        return result;
    *handle = reinterpret_cast<HMIDIIN>(open.get());
    inputs_.push_back(std::move(open));
    return MMSYSERR_NOERROR;
}

MMRESULT TCompositeMidiPlatform::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header) {
    TOpenInput* open = FindInput(handle);
    return open ? open->Backend->midiInPrepareHeader(open->Inner, header) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header) {
    TOpenInput* open = FindInput(handle);
    return open ? open->Backend->midiInAddBuffer(open->Inner, header) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiInStart(HMIDIIN handle) {
    TOpenInput* open = FindInput(handle);
    return open ? open->Backend->midiInStart(open->Inner) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiInReset(HMIDIIN handle) {
    TOpenInput* open = FindInput(handle);
    return open ? open->Backend->midiInReset(open->Inner) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header) {
    TOpenInput* open = FindInput(handle);
    return open ? open->Backend->midiInUnprepareHeader(open->Inner, header) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiInClose(HMIDIIN handle) {
    TOpenInput* open = FindInput(handle);
    if (open == nullptr)
        return MMSYSERR_INVALHANDLE;
    const MMRESULT result = open->Backend->midiInClose(open->Inner);
    if (result == MMSYSERR_NOERROR)
        std::erase_if(inputs_, [open](const auto& item) { return item.get() == open; });
    return result;
}

MMRESULT TCompositeMidiPlatform::midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) {
    for (IMidiPlatform* backend : backends_)
        if (backend->midiInGetErrorText(code, text, size) == MMSYSERR_NOERROR)
            return MMSYSERR_NOERROR;
    return MMSYSERR_BADERRNUM;
}

// ---- output

std::uint32_t TCompositeMidiPlatform::midiOutGetNumDevs() {
    std::uint32_t total = 0;
    for (IMidiPlatform* backend : backends_)
        total += backend->midiOutGetNumDevs();
    return total;
}

MMRESULT TCompositeMidiPlatform::midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) {
    int local = 0;
    IMidiPlatform* backend = RouteOutput(deviceId, local);
    if (backend == nullptr)
        return MMSYSERR_BADDEVICEID;
    const MMRESULT result = backend->midiOutGetDevCaps(local, caps);
    if (result == MMSYSERR_NOERROR && deviceId == MIDI_MAPPER) {
        std::memset(caps.szPname, 0, sizeof caps.szPname);
        std::strncpy(caps.szPname, MapperName.c_str(), sizeof caps.szPname - 1);
        caps.wTechnology = MOD_MAPPER;
    }
    return result;
}

MMRESULT TCompositeMidiPlatform::midiOutOpen(HMIDIOUT* handle, int deviceId, MidiCallback callback,
                                             std::uintptr_t instance, std::uint32_t flags) {
    if (handle == nullptr)
        return MMSYSERR_INVALPARAM;
    int local = 0;
    IMidiPlatform* backend = RouteOutput(deviceId, local);
    if (backend == nullptr)
        return deviceId == MIDI_MAPPER ? MIDIERR_NODEVICE : MMSYSERR_BADDEVICEID;
    auto open = std::make_unique<TOpenOutput>();
    open->Backend = backend;
    open->Callback = callback;
    open->Instance = instance;
    const MMRESULT result =
        backend->midiOutOpen(&open->Inner, local, callback ? &OutputCallback : nullptr,
                             reinterpret_cast<std::uintptr_t>(open.get()), flags);
    if (result != MMSYSERR_NOERROR)
        return result;
    *handle = reinterpret_cast<HMIDIOUT>(open.get());
    outputs_.push_back(std::move(open));
    return MMSYSERR_NOERROR;
}

MMRESULT TCompositeMidiPlatform::midiOutShortMsg(HMIDIOUT handle, std::uint32_t message) {
    TOpenOutput* open = FindOutput(handle);
    return open ? open->Backend->midiOutShortMsg(open->Inner, message) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    TOpenOutput* open = FindOutput(handle);
    return open ? open->Backend->midiOutPrepareHeader(open->Inner, header) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header) {
    TOpenOutput* open = FindOutput(handle);
    return open ? open->Backend->midiOutLongMsg(open->Inner, header) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    TOpenOutput* open = FindOutput(handle);
    return open ? open->Backend->midiOutUnprepareHeader(open->Inner, header) : MMSYSERR_INVALHANDLE;
}

MMRESULT TCompositeMidiPlatform::midiOutClose(HMIDIOUT handle) {
    TOpenOutput* open = FindOutput(handle);
    if (open == nullptr)
        return MMSYSERR_INVALHANDLE;
    const MMRESULT result = open->Backend->midiOutClose(open->Inner);
    if (result == MMSYSERR_NOERROR)
        std::erase_if(outputs_, [open](const auto& item) { return item.get() == open; });
    return result;
}

MMRESULT TCompositeMidiPlatform::midiOutGetErrorText(MMRESULT code, char* text,
                                                     std::uint32_t size) {
    for (IMidiPlatform* backend : backends_)
        if (backend->midiOutGetErrorText(code, text, size) == MMSYSERR_NOERROR)
            return MMSYSERR_NOERROR;
    return MMSYSERR_BADERRNUM;
}

void TCompositeMidiPlatform::RefreshDevices() {
    for (IMidiPlatform* backend : backends_)
        backend->RefreshDevices();
}

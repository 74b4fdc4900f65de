#include "midi/winmm_platform.h"

#ifdef _WIN32

#include "model/file_path.h"

#include <algorithm>
#include <map>
#include <memory>

// After the layer: from here on the winmm names are the system's (::).
#include "midi/winmm_functions.h"
// The layer's members and types of these names, not the system's A/W choice;
// the constants may stay macros: their values are the layer's.
#undef MIDIINCAPS
#undef MIDIOUTCAPS
#undef midiInGetDevCaps
#undef midiOutGetDevCaps
#undef midiInGetErrorText
#undef midiOutGetErrorText

// The system's MIDIHDR mirroring one of the layer's while it is prepared; both
// point at the layer's data, so nothing is copied.
using TSystemHeaders = std::map<mm::MIDIHDR*, std::unique_ptr<::MIDIHDR>>;

struct mm::MidiInDevice {
    ::HMIDIIN System = nullptr;
    mm::MidiCallback Callback = nullptr;
    std::uintptr_t Instance = 0;
    TSystemHeaders Headers; // window thread only; the callback goes by dwUser
};

struct mm::MidiOutDevice {
    ::HMIDIOUT System = nullptr;
    mm::MidiCallback Callback = nullptr;
    std::uintptr_t Instance = 0;
    TSystemHeaders Headers;
};

namespace {

mm::MMRESULT Result(::MMRESULT code) {
    return static_cast<mm::MMRESULT>(code);
}

// The layer's header back from the system's, with what the system wrote.
mm::MIDIHDR* Returned(DWORD_PTR param) {
    auto* system = reinterpret_cast<::MIDIHDR*>(param);
    auto* header = reinterpret_cast<mm::MIDIHDR*>(system->dwUser);
    header->dwBytesRecorded = system->dwBytesRecorded;
    mm::MarkHeaderDone(header);
    return header;
}

void CALLBACK InputProc(::HMIDIIN, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                        DWORD_PTR param2) {
    auto* device = reinterpret_cast<mm::MidiInDevice*>(instance);
    if (device == nullptr || device->Callback == nullptr)
        return;
    if (message == MIM_LONGDATA || message == MIM_LONGERROR)
        param1 = reinterpret_cast<DWORD_PTR>(Returned(param1));
    device->Callback(device, message, device->Instance, param1, param2);
}

void CALLBACK OutputProc(::HMIDIOUT, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                         DWORD_PTR param2) {
    auto* device = reinterpret_cast<mm::MidiOutDevice*>(instance);
    if (device == nullptr || device->Callback == nullptr)
        return;
    if (message == MOM_DONE)
        param1 = reinterpret_cast<DWORD_PTR>(Returned(param1));
    device->Callback(device, message, device->Instance, param1, param2);
}

// The system header for one of the layer's, made at its first preparing.
::MIDIHDR& SystemHeader(TSystemHeaders& headers, mm::MIDIHDR* header) {
    auto& system = headers[header];
    if (!system)
        system = std::make_unique<::MIDIHDR>();
    system->lpData = reinterpret_cast<LPSTR>(header->lpData);
    system->dwBufferLength = header->dwBufferLength;
    system->dwBytesRecorded = header->dwBytesRecorded;
    system->dwUser = reinterpret_cast<DWORD_PTR>(header);
    return *system;
}

::MIDIHDR* Prepared(TSystemHeaders& headers, mm::MIDIHDR* header) {
    const auto it = headers.find(header);
    return it == headers.end() ? nullptr : it->second.get();
}

template <typename TDevice, typename TPrepare>
mm::MMRESULT Prepare(TDevice* device, mm::MIDIHDR* header, TPrepare prepare) {
    if (device == nullptr)
        return MMSYSERR_INVALHANDLE;
    if (header == nullptr || header->lpData == nullptr)
        return MMSYSERR_INVALPARAM;
    ::MIDIHDR& system = SystemHeader(device->Headers, header);
    const mm::MMRESULT result = Result(prepare(device->System, &system, sizeof system));
    if (result == MMSYSERR_NOERROR)
        header->dwFlags |= MHDR_PREPARED;
    return result;
}

template <typename TDevice, typename TUnprepare>
mm::MMRESULT Unprepare(TDevice* device, mm::MIDIHDR* header, TUnprepare unprepare) {
    if (device == nullptr)
        return MMSYSERR_INVALHANDLE;
    ::MIDIHDR* system = header ? Prepared(device->Headers, header) : nullptr;
    if (system == nullptr)
        return header ? mm::MMRESULT(MMSYSERR_NOERROR) : MMSYSERR_INVALPARAM;
    const mm::MMRESULT result = Result(unprepare(device->System, system, sizeof *system));
    if (result == MMSYSERR_NOERROR) {
        header->dwFlags &= ~MHDR_PREPARED;
        device->Headers.erase(header);
    }
    return result;
}

template <typename TDevice, typename TQueue>
mm::MMRESULT Queue(TDevice* device, mm::MIDIHDR* header, TQueue queue) {
    if (device == nullptr)
        return MMSYSERR_INVALHANDLE;
    ::MIDIHDR* system = header ? Prepared(device->Headers, header) : nullptr;
    if (system == nullptr)
        return header ? MIDIERR_UNPREPARED : MMSYSERR_INVALPARAM;
    system->dwBufferLength = header->dwBufferLength;
    system->dwBytesRecorded = header->dwBytesRecorded;
    mm::MarkHeaderQueued(header);
    const mm::MMRESULT result = Result(queue(device->System, system, sizeof *system));
    if (result != MMSYSERR_NOERROR)
        header->dwFlags &= ~MHDR_INQUEUE;
    return result;
}

} // namespace

void mm::CopyDeviceName(const wchar_t* name, char (&target)[MAXPNAMELEN]) {
    const std::string utf8 = Utf8FromWide(name);
    std::size_t n = std::min<std::size_t>(utf8.size(), MAXPNAMELEN - 1);
    while (n > 0 && n < utf8.size() && (static_cast<unsigned char>(utf8[n]) & 0xC0) == 0x80)
        --n; // not inside a character
    utf8.copy(target, n);
    target[n] = '\0';
}

namespace {
const TWinMMFunctions kSystem;
}

mm::TWinMMPlatform::TWinMMPlatform(const TWinMMFunctions* functions)
    : system_(functions ? *functions : kSystem) {}

std::uint32_t mm::TWinMMPlatform::midiInGetNumDevs() {
    return system_.InGetNumDevs();
}

mm::MMRESULT mm::TWinMMPlatform::midiInGetDevCaps(std::uint32_t deviceId, MIDIINCAPS& caps) {
    ::MIDIINCAPSW system{};
    const MMRESULT result = Result(system_.InGetDevCaps(deviceId, &system, sizeof system));
    if (result != MMSYSERR_NOERROR)
        return result;
    caps = MIDIINCAPS{};
    caps.wMid = system.wMid;
    caps.wPid = system.wPid;
    caps.vDriverVersion = system.vDriverVersion;
    CopyDeviceName(system.szPname, caps.szPname);
    caps.dwSupport = system.dwSupport;
    return result;
}

mm::MMRESULT mm::TWinMMPlatform::midiInOpen(HMIDIIN* handle, std::uint32_t deviceId,
                                            MidiCallback callback, std::uintptr_t instance,
                                            std::uint32_t) {
    if (handle == nullptr)
        return MMSYSERR_INVALPARAM;
    auto device = std::make_unique<MidiInDevice>();
    device->Callback = callback;
    device->Instance = instance;
    const MMRESULT result =
        Result(system_.InOpen(&device->System, deviceId, reinterpret_cast<DWORD_PTR>(&InputProc),
                              reinterpret_cast<DWORD_PTR>(device.get()), CALLBACK_FUNCTION));
    *handle = result == MMSYSERR_NOERROR ? device.release() : nullptr;
    return result;
}

mm::MMRESULT mm::TWinMMPlatform::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header) {
    return Prepare(handle, header, system_.InPrepareHeader);
}

mm::MMRESULT mm::TWinMMPlatform::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header) {
    return Queue(handle, header, system_.InAddBuffer);
}

mm::MMRESULT mm::TWinMMPlatform::midiInStart(HMIDIIN handle) {
    return handle ? Result(system_.InStart(handle->System)) : MMRESULT(MMSYSERR_INVALHANDLE);
}

mm::MMRESULT mm::TWinMMPlatform::midiInReset(HMIDIIN handle) {
    return handle ? Result(system_.InReset(handle->System)) : MMRESULT(MMSYSERR_INVALHANDLE);
}

mm::MMRESULT mm::TWinMMPlatform::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header) {
    return Unprepare(handle, header, system_.InUnprepareHeader);
}

mm::MMRESULT mm::TWinMMPlatform::midiInClose(HMIDIIN handle) {
    if (handle == nullptr)
        return MMSYSERR_INVALHANDLE;
    const MMRESULT result = Result(system_.InClose(handle->System));
    if (result == MMSYSERR_NOERROR)
        delete handle; // no callback comes after midiInClose returns
    return result;
}

mm::MMRESULT mm::TWinMMPlatform::midiInGetErrorText(MMRESULT code, char* text, std::uint32_t size) {
    return Result(system_.InGetErrorText(code, text, size));
}

std::uint32_t mm::TWinMMPlatform::midiOutGetNumDevs() {
    return system_.OutGetNumDevs();
}

mm::MMRESULT mm::TWinMMPlatform::midiOutGetDevCaps(int deviceId, MIDIOUTCAPS& caps) {
    ::MIDIOUTCAPSW system{};
    const MMRESULT result = Result(system_.OutGetDevCaps(
        static_cast<UINT_PTR>(static_cast<UINT>(deviceId)), &system, sizeof system));
    if (result != MMSYSERR_NOERROR)
        return result;
    caps = MIDIOUTCAPS{};
    caps.wMid = system.wMid;
    caps.wPid = system.wPid;
    caps.vDriverVersion = system.vDriverVersion;
    CopyDeviceName(system.szPname, caps.szPname);
    caps.wTechnology = system.wTechnology;
    caps.wVoices = system.wVoices;
    caps.wNotes = system.wNotes;
    caps.wChannelMask = system.wChannelMask;
    caps.dwSupport = system.dwSupport;
    return result;
}

mm::MMRESULT mm::TWinMMPlatform::midiOutOpen(HMIDIOUT* handle, int deviceId, MidiCallback callback,
                                             std::uintptr_t instance, std::uint32_t) {
    if (handle == nullptr)
        return MMSYSERR_INVALPARAM;
    auto device = std::make_unique<MidiOutDevice>();
    device->Callback = callback;
    device->Instance = instance;
    const MMRESULT result = Result(system_.OutOpen(
        &device->System, static_cast<UINT>(deviceId), reinterpret_cast<DWORD_PTR>(&OutputProc),
        reinterpret_cast<DWORD_PTR>(device.get()), CALLBACK_FUNCTION));
    *handle = result == MMSYSERR_NOERROR ? device.release() : nullptr;
    return result;
}

mm::MMRESULT mm::TWinMMPlatform::midiOutShortMsg(HMIDIOUT handle, std::uint32_t message) {
    return handle ? Result(system_.OutShortMsg(handle->System, message))
                  : MMRESULT(MMSYSERR_INVALHANDLE);
}

mm::MMRESULT mm::TWinMMPlatform::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    return Prepare(handle, header, system_.OutPrepareHeader);
}

mm::MMRESULT mm::TWinMMPlatform::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header) {
    return Queue(handle, header, system_.OutLongMsg);
}

mm::MMRESULT mm::TWinMMPlatform::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header) {
    return Unprepare(handle, header, system_.OutUnprepareHeader);
}

mm::MMRESULT mm::TWinMMPlatform::midiOutClose(HMIDIOUT handle) {
    if (handle == nullptr)
        return MMSYSERR_INVALHANDLE;
    const MMRESULT result = Result(system_.OutClose(handle->System));
    if (result == MMSYSERR_NOERROR)
        delete handle;
    return result;
}

mm::MMRESULT mm::TWinMMPlatform::midiOutGetErrorText(MMRESULT code, char* text,
                                                     std::uint32_t size) {
    return Result(system_.OutGetErrorText(code, text, size));
}

#endif
